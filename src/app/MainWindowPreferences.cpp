// The tool's own preferences, game discovery and the launcher, on the main window.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>

#include "app/MainWindow.h"
#include "editor/MacroTab.h"
#include "settings/InstallPaths.h"

namespace qm {

namespace {
QString Q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}
}  // namespace

void wMenu::LoadPreferences() {
    prefs = qm::LoadPreferences(*platform.registry);
    // A damaged settings file was set aside, or the file cannot be used at all.
    if (auto notice = platform.registry->TakeNotice(); !notice.empty())
        ShowMessage(notice, MsgIcon::Warning);
}

void wMenu::ShowPreferences() {
    Filling = true;
    // Each step stands alone: a value a control cannot show skips that step only.
    // A negative index or one past the last tab selects nothing; the strip keeps its tab.
    if (prefs.TabIndex >= 0 && prefs.TabIndex < tsMenu->count())
        tsMenu->setCurrentIndex(prefs.TabIndex);
    if (macroTab && macroTab->efMyname) macroTab->efMyname->setText(Q(prefs.Myname));
    ShowCapturePreferences();
    Filling = false;
}

void wMenu::SavePreferences() {
    if (qm::SavePreferences(*platform.registry, prefs)) return;
    // The window closes anyway; the player should at least know the settings are lost.
    std::u16string text = u"クイルモアの設定を保存できませんでした。";
    if (auto notice = platform.registry->TakeNotice(); !notice.empty()) text += u"\n" + notice;
    ShowMessage(text, MsgIcon::Warning);
}

void wMenu::InitPath() {
    const InstallPaths paths = FindInstallPaths(*platform.registry, *platform.folders, prefs);
    CurrentFolder = paths.CurrentFolder;
    PlayOnlinePath = paths.PlayOnlinePath;
    if (paths.LauncherExists) FilePlayOnline->setEnabled(true);
    if (paths.CapturePathFilled) {
        // The capture tab's folder label, when that tab has been built.
        if (auto* label = findChild<QLabel*>(QStringLiteral("stCapturePath")))
            label->setText(Q(prefs.CapturePath));
    }
}

void wMenu::FilePlayOnline_Click() {
    if (!platform.processes) return;
    std::u16string message;
    if (LaunchPlayOnline(*platform.processes, PlayOnlinePath, &message) == LaunchResult::Failed)
        ShowMessage(message, MsgIcon::Critical);
}

}  // namespace qm
