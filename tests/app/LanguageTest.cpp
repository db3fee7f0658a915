// The window in English: every text it shows comes from the catalogue, the catalogue is
// complete, and the language chosen in its menu is the one the next start uses.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <cerrno>
#include <set>

#include "app/MainWindow.h"
#include "app/Texts.h"
#include "app/Translations.h"
#include "app/Wording.h"
#include "capture/CaptureTab.h"
#include "capture/KeyCodeDialog.h"
#include "config/GameSettingsTab.h"
#include "editor/MacroTab.h"
#include "storage/SafeFile.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

bool HasJapanese(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// Every text a widget tree shows: captions, tool tips, list items, tree items, menus.
void CollectTexts(QWidget* root, QStringList& out) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    const auto add = [&](QObject* where, const QString& text) {
        if (!text.isEmpty()) out << where->objectName() + QStringLiteral(": ") + text;
    };
    for (QWidget* w : widgets) {
        add(w, w->toolTip());
        if (w->isWindow()) add(w, w->windowTitle());
        if (auto* label = qobject_cast<QLabel*>(w)) add(w, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w)) add(w, button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w)) add(w, group->title());
        if (auto* box = qobject_cast<QLineEdit*>(w)) add(w, box->text() + box->placeholderText());
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i) add(w, combo->itemText(i));
        if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i) add(w, tabs->tabText(i) + tabs->tabToolTip(i));
        if (auto* tree = qobject_cast<QTreeWidget*>(w))
            for (QTreeWidgetItemIterator it(tree); *it; ++it) add(w, (*it)->text(0));
        if (auto* menu = qobject_cast<QMenu*>(w)) {
            // The language menu's title is in both languages on purpose.
            if (menu->objectName() != QStringLiteral("LanguageMenu")) add(w, menu->title());
        }
    }
    QList<QAction*> actions = root->findChildren<QAction*>();
    for (QWidget* w : widgets) actions += w->actions();
    for (QAction* a : actions) {
        // A language is named in its own; the language menu's title is in both.
        if (a->objectName() == QStringLiteral("LanguageJapanese")) continue;
        if (a->menu() && a->menu()->objectName() == QStringLiteral("LanguageMenu")) continue;
        add(a, a->text() + a->toolTip() + a->statusTip());
    }
}

QStringList JapaneseIn(const QStringList& texts) {
    QStringList found;
    for (const QString& t : texts)
        if (HasJapanese(t)) found << t;
    return found;
}

QSet<QString> Placeholders(const QString& text) {
    QSet<QString> found;
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    for (auto it = marker.globalMatch(text); it.hasNext();) found << it.next().captured();
    return found;
}

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { InstallTranslations(*qApp, UiLanguage::Japanese); }

    // Every message is translated, with the same placeholders and no Japanese left, and
    // nothing is waiting for a translation or left over from a text that went away.
    void catalogueIsComplete() {
        QFile file(QStringLiteral(QUILLMOR_TS_FILE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        int messages = 0;
        QString context, source;
        while (xml.readNext() != QXmlStreamReader::EndDocument && !xml.hasError()) {
            if (!xml.isStartElement()) continue;
            if (xml.name() == QStringLiteral("name")) {
                context = xml.readElementText();
            } else if (xml.name() == QStringLiteral("source")) {
                source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (xml.name() == QStringLiteral("translation")) {
                const QString where = context + QStringLiteral(" / ") + source;
                QVERIFY2(xml.attributes().value(QStringLiteral("type")).isEmpty(),
                         qPrintable(where));
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                QVERIFY2(!text.isEmpty() && !HasJapanese(text), qPrintable(where));
                QCOMPARE(Placeholders(text), Placeholders(source));
                ++messages;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 200);
    }

    // What the core reports as values reads in English whatever its kind; the Japanese
    // words stay those the players know.
    void everyReasonAndReportIsWorded() {
        QVERIFY(Wording::LostCharactersQuestion({{0, 0, 0, 0, u"é"}, {39, 9, 19, 6, u"한😀"}}) ==
                QStringLiteral("次の文字は Shift_JIS にないため、「?」として保存されます。\r\n\r\n"
                               "ブック1 セット1 マクロ1 タイトル：é\r\n"
                               "ブック40 セット10 マクロ20 6行目：한 😀\r\n"
                               "\r\nこのまま保存しますか？"));
        SaveReport refused;
        refused.outcome = SaveReport::Outcome::Refused;
        refused.failed = kGameSettingsLabel;
        refused.reason = {.kind = ReasonKind::NumberOutOfRange};
        QCOMPARE(
            Wording::SaveMessage(refused),
            QStringLiteral("「ゲームの環境設定」を保存できませんでした。\r\n内部解像度の「幅」には "
                           "-32768 から 32767 までの数を入力してください。\r\n\r\n"
                           "変更は保存されていません。"));

        QVERIFY(InstallTranslations(*qApp, UiLanguage::English));
        QStringList texts;
        const std::error_code denied(EACCES, std::generic_category());
        for (int k = 1; k <= int(kLastReasonKind); ++k) {
            for (int64_t number : {-2, -1, 0, 3}) {
                const Reason reason{.kind = ReasonKind(k),
                                    .cause = denied,
                                    .subject = u"/home/player/x.reg",
                                    .detail = u"Permission denied",
                                    .number = number};
                const QString text = Wording::Why(reason);
                QVERIFY2(!text.isEmpty(), qPrintable(QString::number(k)));
                texts << QStringLiteral("reason %1: ").arg(k) + text;
            }
        }
        for (int code : {EACCES, EROFS, ENOSPC, ENOENT, EISDIR, EFBIG, ENAMETOOLONG, ELOOP, EEXIST,
                         EIO, EBUSY})
            texts << Wording::FileError(std::error_code(code, std::generic_category()));
        texts << Wording::FileError(TooLongFileError());
        for (auto outcome : {SaveReport::Outcome::Refused, SaveReport::Outcome::NotWritten,
                             SaveReport::Outcome::Partial}) {
            SaveReport report;
            report.outcome = outcome;
            report.failed = kRegistryLabel;
            report.reason = {.kind = ReasonKind::File, .cause = denied};
            report.saved = {u"mcr3.dat", std::u16string(kGameSettingsLabel)};
            report.unsaved = {u"cnf.dat"};
            const QString message = Wording::SaveMessage(report);
            // The part that failed, and after a partial save what was saved and what not.
            QVERIFY(message.contains(QStringLiteral("\"Registry\" could not be saved.")));
            QCOMPARE(message.contains(QStringLiteral("Saved: mcr3.dat, Game settings")),
                     outcome == SaveReport::Outcome::Partial);
            QCOMPARE(message.contains(QStringLiteral("Not saved: cnf.dat")),
                     outcome == SaveReport::Outcome::Partial);
            texts << message;
        }
        SaveReport unsynced;
        unsynced.folderSync = denied;
        texts << Wording::SaveMessage(unsynced);
        texts << Wording::Notices({{{.kind = ReasonKind::SettingsFileUnreadable}, true},
                                   {{.kind = ReasonKind::GameRunning}, false}});
        for (auto e :
             {BackupReadError::NotAFile, BackupReadError::Unreadable, BackupReadError::TooLarge,
              BackupReadError::NotSetText, BackupReadError::NoField})
            texts << Wording::BackupReadError(e);
        std::vector<LostCharacters> many(13, {0, 1, 2, 3, u"€"});
        many[0].line = 0;
        texts << Wording::LostCharactersQuestion(many);
        QCOMPARE(JapaneseIn(texts), QStringList());
    }

    // Every tab, menu, dialog and message box of a run in English.
    void englishWindowHasNoJapaneseLeft() {
        QVERIFY(InstallTranslations(*qApp, UiLanguage::English));
        QCOMPARE(ProgramTitle(), QStringLiteral("Quillmor"));
        // Qt's own buttons follow.
        QMessageBox qtBox;
        qtBox.setStandardButtons(QMessageBox::Cancel);
        QCOMPARE(qtBox.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));

        WindowFixture f;
        f.fake.registry.notice = {{.kind = ReasonKind::SettingsFileSetAside,
                                   .subject = u"/home/player/registry.reg.damaged"},
                                  false};
        std::filesystem::create_directories(f.dir.Path("empty"));
        f.fake.dialogs.folders.push_back(f.dir.Text("empty"));
        wMenu& w = f.Start();  // the notice, then "open as empty macros?" (Yes)
        QVERIFY(w.EditorEnabled);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmor"));
        for (int i = 0; i < 4; ++i) {
            w.tsMenu->setCurrentIndex(i);
            QApplication::processEvents();
        }
        w.captureTab->pbCheckKeyCode_Click();
        QVERIFY(w.captureTab->KeyCodeDialog());

        // The message boxes a player meets along the way.
        f.fake.processes.startFails = {.kind = ReasonKind::StartFailed, .detail = u"gone"};
        w.FilePlayOnline_Click();
        f.fake.dialogs.files.push_back(f.dir.Text("missing/mcr.dat"));
        w.macroTab->pbCheckMD5_Click();
        w.gameSettingsTab->efBackBufferW->setText(QStringLiteral("99999"));
        w.ContentModified = true;
        f.fake.processes.gameRunning = true;
        w.FileSave_Click();  // the running game, then the refused number
        f.fake.processes.gameRunning = false;
        f.fake.messageBox.answers = {MsgAnswer::Cancel};
        w.FileOpen_Click();  // unsaved changes: Cancel
        w.gameSettingsTab->efBackBufferW->setText(QStringLiteral("1024"));
        f.fake.registry.failSet = [](std::u16string_view, std::u16string_view) { return true; };
        w.FileSave_Click();  // the game settings cannot be written
        QCOMPARE(w.statusBar()->currentMessage(), QString());

        QStringList texts;
        CollectTexts(&w, texts);
        CollectTexts(w.captureTab->KeyCodeDialog(), texts);
        f.fake.messageBox.answers = {MsgAnswer::No};
        QVERIFY(w.close());  // unsaved changes: No; the settings cannot be saved
        QVERIFY(f.fake.messageBox.shown.size() >= 9);
        for (const auto& box : f.fake.messageBox.shown) {
            QVERIFY(!box.text.empty());
            texts << QStringLiteral("message: ") + Q(box.text);
        }
        for (const auto& asked : f.fake.dialogs.folderPrompts)
            texts << QStringLiteral("folder picker: ") + Q(asked.prompt);
        QVERIFY(texts.size() > 150);
        const QStringList left = JapaneseIn(texts);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char('\n'))));
    }

    // The choice is stored at once, and the next start (which reads it before the window
    // is built) uses it whatever the system's language; following the system again
    // stores no choice.
    void languageChoiceIsStoredAndUsedAtTheNextStart() {
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        const QLocale american(QLocale::English, QLocale::UnitedStates);
        FakeRegistry registry;
        QCOMPARE(StartupLanguage(registry, japanese), UiLanguage::Japanese);
        QCOMPARE(StartupLanguage(registry, american), UiLanguage::English);
        QCOMPARE(StartupLanguage(registry, QLocale(QLocale::German)), UiLanguage::English);
        {
            WindowFixture f;
            wMenu& w = f.Start();
            QVERIFY(w.LanguageSystem->isChecked());
            w.LanguageEnglish->trigger();
            QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
            QCOMPARE(StartupLanguage(f.fake.registry, japanese), UiLanguage::English);
            QVERIFY(w.close());
            // The next run: the menu shows the choice, and picking Japanese is stored too.
            WindowFixture next;
            next.fake.registry = f.fake.registry;
            QCOMPARE(StartupLanguage(next.fake.registry, japanese), UiLanguage::English);
            wMenu& again = next.Start();
            QVERIFY(again.LanguageEnglish->isChecked());
            again.LanguageJapanese->trigger();
            QCOMPARE(StartupLanguage(next.fake.registry, american), UiLanguage::Japanese);
            again.LanguageSystem->trigger();
            QCOMPARE(StartupLanguage(next.fake.registry, american), UiLanguage::English);
            QCOMPARE(StartupLanguage(next.fake.registry, japanese), UiLanguage::Japanese);
            QVERIFY(again.close());
        }
        // A store that refuses the write says so and leaves the start as it was.
        WindowFixture f;
        wMenu& w = f.Start();
        f.fake.registry.failSet = [](std::u16string_view, std::u16string_view) { return true; };
        w.LanguageEnglish->trigger();
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QVERIFY(
            Q(f.fake.messageBox.shown[0].text).startsWith(QStringLiteral("クイルモアの設定を")));
        QCOMPARE(StartupLanguage(f.fake.registry, japanese), UiLanguage::Japanese);
    }
};

QTEST_MAIN(LanguageTest)
#include "LanguageTest.moc"
