// The tool's own preferences, game discovery and the launcher, on the main window.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>

#include "app/MainWindow.h"
#include "app/Texts.h"
#include "editor/MacroTab.h"
#include "platform/QtText.h"
#include "settings/InstallPaths.h"

namespace qm {

namespace {

// Which prefix and which registry root the game's data come from.
std::u16string GameHostStatus(IGameHost& host) {
    const std::u16string root = u"レジストリ: HKLM\\" + host.GameRoot();
    if (!host.UsesWinePrefix()) return root;
    const std::u16string prefix = host.WinePrefix();
    if (prefix.empty()) return u"Wineプレフィックスなし";
    return u"Wineプレフィックス: " + prefix + u"　" + root;
}

// The status line's right end: where the game's data come from.
void ShowGameHost(wMenu& w, IGameHost& host) {
    w.ShowHostStatus(GameHostStatus(host));
    const bool missing = host.UsesWinePrefix() && host.WinePrefix().empty();
    w.statusHost->setToolTip(
        missing ? QStringLiteral("ゲームのWineプレフィックスが見つかりません。"
                                 "ファイル メニューの「Wineプレフィックスを選択...」で選べます。")
                : QString());
}

// Game folder, launcher and game settings from the prefix now in use.
void FindGameAgain(wMenu& w) {
    const InstallPaths paths =
        FindInstallPaths(*w.platform.registry, *w.platform.folders, w.prefs, w.platform.gameHost);
    w.PlayOnlinePath = paths.PlayOnlinePath;
    w.FilePlayOnline->setEnabled(paths.LauncherExists);
    // An open character folder stays open; only the picker's starting place moves.
    if (!w.EditorEnabled) w.CurrentFolder = paths.CurrentFolder;
    const bool modified = w.ContentModified;
    w.LoadGameSettings();
    w.ContentModified = modified;
}

// True when a prefix was chosen.
bool FileWinePrefix_Click(wMenu& w) {
    IGameHost& host = *w.platform.gameHost;
    // The game settings on the tab belong to the prefix in use; they are read again from
    // the new one, so unsaved edits are offered for saving first, as on opening a folder.
    if (w.ContentModified) {
        const MsgAnswer a =
            w.ShowMessage(kAskSaveChanges, MsgIcon::Question, MsgButtons::YesNoCancel);
        if (a == MsgAnswer::Cancel) return false;
        if (a == MsgAnswer::Yes && w.FileSave_Click() != SaveResult::Saved) return false;
    }
    const std::u16string chosen = w.platform.dialogs->BrowseForFolder(
        u"ゲームの入っている Wine プレフィックスのフォルダを選択してください", host.WinePrefix());
    if (chosen.empty()) return false;
    std::u16string error;
    if (!host.ChooseWinePrefix(chosen, &error)) {
        w.ShowMessage(error, MsgIcon::Warning);
        return false;
    }
    FindGameAgain(w);
    ShowGameHost(w, host);
    if (host.WinePrefix() != chosen) {
        w.ShowMessage(u"「" + chosen +
                          u"」のレジストリにはゲームのキーがありません。\r\n"
                          u"ゲームの設定はこのプレフィックスから読み書きしません"
                          u"（PlayOnline の起動には、ゲームのフォルダに届くときだけ使います）。",
                      MsgIcon::Information);
    }
    return true;
}

// No prefix is known for the launcher: asks for one rather than let Wine make one.
bool FindLauncherPrefix(wMenu& w) {
    IGameHost& host = *w.platform.gameHost;
    const MsgAnswer a = w.ShowMessage(
        u"PlayOnline を起動する Wine プレフィックスが見つかりません。\r\n"
        u"このまま起動すると Wine が空のプレフィックスを新しく作るため、起動しません。\r\n\r\n"
        u"ゲームの入っている Wine プレフィックスのフォルダを選びますか？",
        MsgIcon::Question, MsgButtons::YesNo);
    if (a != MsgAnswer::Yes || !FileWinePrefix_Click(w)) return false;
    if (!host.LauncherPrefix(w.PlayOnlinePath).empty()) return true;
    w.ShowMessage(u"選んだプレフィックスのドライブからは「" + w.PlayOnlinePath +
                      u"」に届かないため、起動しません。",
                  MsgIcon::Warning);
    return false;
}

void AddWinePrefixCommand(wMenu& w) {
    if (w.findChild<QAction*>(QStringLiteral("FileWinePrefix"))) return;
    auto* action = new QAction(QStringLiteral("Wineプレフィックスを選択..."), &w);
    action->setObjectName(QStringLiteral("FileWinePrefix"));
    // Right after the launcher command, which it concerns.
    const QList<QAction*> items = w.FileMenu->actions();
    const qsizetype at = items.indexOf(w.FilePlayOnline);
    w.FileMenu->insertAction(at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr, action);
    QObject::connect(action, &QAction::triggered, &w, [&w] { FileWinePrefix_Click(w); });
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
    std::u16string reason;
    if (qm::SavePreferences(*platform.registry, prefs, &reason)) return;
    // The window closes anyway; the player should at least know the settings are lost.
    std::u16string text = u"クイルモアの設定を保存できませんでした。";
    if (!reason.empty()) text += u"\n" + reason;
    if (auto notice = platform.registry->TakeNotice(); !notice.empty()) text += u"\n" + notice;
    ShowMessage(text, MsgIcon::Warning);
}

void wMenu::InitPath() {
    const InstallPaths paths =
        FindInstallPaths(*platform.registry, *platform.folders, prefs, platform.gameHost);
    CurrentFolder = paths.CurrentFolder;
    PlayOnlinePath = paths.PlayOnlinePath;
    if (paths.LauncherExists) FilePlayOnline->setEnabled(true);
    if (paths.CapturePathFilled) {
        // The capture tab's folder label, when that tab has been built.
        if (auto* label = findChild<QLabel*>(QStringLiteral("stCapturePath")))
            label->setText(Q(prefs.CapturePath));
    }
    if (platform.gameHost) {
        // Only where the game runs under Wine (Linux).
        if (platform.gameHost->UsesWinePrefix()) AddWinePrefixCommand(*this);
        ShowGameHost(*this, *platform.gameHost);
    }
}

void wMenu::FilePlayOnline_Click() {
    if (!platform.processes) return;
    IGameHost* host = platform.gameHost;
    std::u16string prefix;
    if (host && host->UsesWinePrefix()) {
        prefix = host->LauncherPrefix(PlayOnlinePath);
        if (prefix.empty()) {
            // A running launcher needs no prefix to be brought forward.
            if (platform.processes->ActivateLauncherWindow() || !FindLauncherPrefix(*this)) return;
            prefix = host->LauncherPrefix(PlayOnlinePath);
        }
    }
    std::u16string message;
    switch (LaunchPlayOnline(*platform.processes, PlayOnlinePath, &message)) {
        case LaunchResult::Failed:
            ShowMessage(message, MsgIcon::Critical);
            break;
        case LaunchResult::Started:
            // Wine can take seconds before the launcher's window shows.
            if (prefix.empty())
                ShowStatus(u"PlayOnline を起動しています…");
            else
                ShowStatus(u"PlayOnline を起動しています…（Wineプレフィックス: " + prefix + u"）",
                           prefix);
            break;
        case LaunchResult::Activated:
            break;
    }
}

}  // namespace qm
