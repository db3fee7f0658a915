// The tool's own preferences, game discovery and the launcher, on the main window.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>

#include "app/MainWindow.h"
#include "app/Texts.h"
#include "app/Translations.h"
#include "app/Wording.h"
#include "editor/MacroTab.h"
#include "platform/QtText.h"
#include "settings/InstallPaths.h"

namespace qm {

namespace {

// Which prefix and which registry root the game's data come from.
QString GameHostStatus(IGameHost& host) {
    const QString root =
        QCoreApplication::translate("qm::wMenu", "レジストリ: HKLM\\%1").arg(Q(host.GameRoot()));
    if (!host.UsesWinePrefix()) return root;
    const std::u16string prefix = host.WinePrefix();
    if (prefix.empty()) return QCoreApplication::translate("qm::wMenu", "Wineプレフィックスなし");
    return QCoreApplication::translate("qm::wMenu", "Wineプレフィックス: %1　%2")
        .arg(Q(prefix), root);
}

// The status line's right end: where the game's data come from.
void ShowGameHost(wMenu& w, IGameHost& host) {
    w.ShowHostStatus(U(GameHostStatus(host)));
    const bool missing = host.UsesWinePrefix() && host.WinePrefix().empty();
    w.statusHost->setToolTip(
        missing ? QCoreApplication::translate(
                      "qm::wMenu",
                      "ゲームのWineプレフィックスが見つかりません。"
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
    // The settings of the new prefix are its registry's; nothing of them is unsaved.
    w.LoadGameSettings();
}

// True when a prefix was chosen.
bool FileWinePrefix_Click(wMenu& w) {
    IGameHost& host = *w.platform.gameHost;
    // The game settings on the tab belong to the prefix in use; they are read again from
    // the new one, so unsaved edits are offered for saving first, as on opening a folder.
    if (w.ContentModified) {
        const MsgAnswer a =
            w.ShowMessage(U(AskSaveChanges()), MsgIcon::Question, MsgButtons::YesNoCancel);
        if (a == MsgAnswer::Cancel) return false;
        if (a == MsgAnswer::Yes && w.FileSave_Click() != SaveResult::Saved) return false;
    }
    const std::u16string chosen = w.platform.dialogs->BrowseForFolder(
        U(QCoreApplication::translate(
            "qm::wMenu", "ゲームの入っている Wine プレフィックスのフォルダを選択してください")),
        host.WinePrefix());
    if (chosen.empty()) return false;
    Reason error;
    if (!host.ChooseWinePrefix(chosen, &error)) {
        w.ShowMessage(U(Wording::Why(error)), MsgIcon::Warning);
        return false;
    }
    FindGameAgain(w);
    ShowGameHost(w, host);
    if (host.WinePrefix() != chosen) {
        w.ShowMessage(U(QCoreApplication::translate(
                            "qm::wMenu",
                            "「%1」のレジストリにはゲームのキーがありません。\r\n"
                            "ゲームの設定はこのプレフィックスから読み書きしません"
                            "（PlayOnline の起動には、ゲームのフォルダに届くときだけ使います）。")
                            .arg(Q(chosen))),
                      MsgIcon::Information);
    }
    return true;
}

// No prefix is known for the launcher: asks for one rather than let Wine make one.
bool FindLauncherPrefix(wMenu& w) {
    IGameHost& host = *w.platform.gameHost;
    const MsgAnswer a = w.ShowMessage(
        U(QCoreApplication::translate(
            "qm::wMenu",
            "PlayOnline を起動する Wine プレフィックスが見つかりません。\r\n"
            "このまま起動すると Wine が空のプレフィックスを新しく作るため、起動しません。\r\n\r\n"
            "ゲームの入っている Wine プレフィックスのフォルダを選びますか？")),
        MsgIcon::Question, MsgButtons::YesNo);
    if (a != MsgAnswer::Yes || !FileWinePrefix_Click(w)) return false;
    if (!host.LauncherPrefix(w.PlayOnlinePath).empty()) return true;
    w.ShowMessage(U(QCoreApplication::translate(
                        "qm::wMenu",
                        "選んだプレフィックスのドライブからは「%1」に届かないため、起動しません。")
                        .arg(Q(w.PlayOnlinePath))),
                  MsgIcon::Warning);
    return false;
}

void AddWinePrefixCommand(wMenu& w) {
    if (w.findChild<QAction*>(QStringLiteral("FileWinePrefix"))) return;
    auto* action =
        new QAction(QCoreApplication::translate("qm::wMenu", "Wineプレフィックスを選択..."), &w);
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
    if (const QString notice = Wording::Notices(platform.registry->TakeNotice()); !notice.isEmpty())
        ShowMessage(U(notice), MsgIcon::Warning);
}

void wMenu::ShowPreferences() {
    const FillGuard filling(Filling);
    ShowLanguageChoice();
    // Each step stands alone: a value a control cannot show skips that step only.
    // A negative index or one past the last tab selects nothing; the strip keeps its tab.
    if (prefs.TabIndex >= 0 && prefs.TabIndex < tsMenu->count())
        tsMenu->setCurrentIndex(prefs.TabIndex);
    if (macroTab && macroTab->efMyname) macroTab->efMyname->setText(Q(prefs.Myname));
    ShowCapturePreferences();
}

void wMenu::SavePreferences() {
    prefs.Characters = CharacterListPreference();
    Reason reason;
    if (qm::SavePreferences(*platform.registry, prefs, &reason)) return;
    // The window closes anyway; the player should at least know the settings are lost.
    QString text = tr("クイルモアの設定を保存できませんでした。");
    if (reason) text += QStringLiteral("\n") + Wording::Why(reason);
    if (const QString notice = Wording::Notices(platform.registry->TakeNotice()); !notice.isEmpty())
        text += QStringLiteral("\n") + notice;
    ShowMessage(U(text), MsgIcon::Warning);
}

void wMenu::ShowLanguageChoice() {
    QAction* language = prefs.Language == kLanguageJapanese  ? LanguageJapanese
                        : prefs.Language == kLanguageEnglish ? LanguageEnglish
                                                             : LanguageSystem;
    language->setChecked(true);
}

void wMenu::LanguageMenu_Click(std::u16string_view language) {
    if (prefs.Language == language) return;
    // Stored at once: the next start reads it before anything else, even if this run
    // does not end normally.
    Reason reason;
    if (!SaveLanguagePreference(*platform.registry, language, &reason)) {
        QString text = tr("クイルモアの設定を保存できませんでした。");
        if (reason) text += QStringLiteral("\n") + Wording::Why(reason);
        ShowMessage(U(text), MsgIcon::Warning);
        ShowLanguageChoice();  // the menu keeps showing what is stored
        return;
    }
    prefs.Language = std::u16string(language);
    // In both languages: the player may read only the one not shown yet.
    ShowMessage(
        u"表示言語は次に起動したときから切り替わります。\n"
        u"The new language applies the next time Quillmor starts.",
        MsgIcon::Information);
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
    Reason reason;
    switch (LaunchPlayOnline(*platform.processes, PlayOnlinePath, &reason)) {
        case LaunchResult::Failed:
            ShowMessage(U(tr("PlayOnline を起動できませんでした。\n%1").arg(Q(reason.subject)) +
                          QStringLiteral("\n") + Wording::Why(reason)),
                        MsgIcon::Critical);
            break;
        case LaunchResult::Started:
            // Wine can take seconds before the launcher's window shows.
            if (prefix.empty())
                ShowStatus(U(tr("PlayOnline を起動しています…")));
            else
                ShowStatus(
                    U(tr("PlayOnline を起動しています…（Wineプレフィックス: %1）").arg(Q(prefix))),
                    prefix);
            break;
        case LaunchResult::Activated:
            break;
    }
}

}  // namespace qm
