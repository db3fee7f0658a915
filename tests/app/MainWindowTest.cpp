// Start-up, trace log, single-instance guard and close of the main window.
#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QTest>

#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "app/Translations.h"
#include "app/WindowStyle.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    // The window's style reads the menu bar's overflow arrow itself (see WindowStyle):
    // it must be Fusion's, in every size and both directions, and Fusion otherwise.
    void windowStyleIsFusion() {
        const std::unique_ptr<QStyle> ours(NewWindowStyle());
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        QStyleOption option;
        for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            option.direction = direction;
            const QIcon mine =
                ours->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, &option);
            const QIcon theirs =
                fusion->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, &option);
            QCOMPARE(mine.availableSizes(), theirs.availableSizes());
            QVERIFY(!mine.availableSizes().isEmpty());
            for (QSize size : theirs.availableSizes())
                QCOMPARE(mine.pixmap(size).toImage(), theirs.pixmap(size).toImage());
        }
        QCOMPARE(ours->pixelMetric(QStyle::PM_ButtonMargin),
                 fusion->pixelMetric(QStyle::PM_ButtonMargin));
        QCOMPARE(ours->standardPalette(), fusion->standardPalette());
    }

    // Qt's own texts (standard buttons, the pickers) are Japanese with the Japanese window,
    // whatever the locale.
    void qtDialogsSpeakJapanese() {
        QVERIFY(InstallTranslations(*qApp, UiLanguage::Japanese));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("キャンセル"));
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
        QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") !=
                QStringLiteral("Look in:"));
    }

    // The status line shows the open folder, however long, without widening the window;
    // a passing message gives way to the folder again.
    void statusLineKeepsTheFolderInView() {
        WindowFixture f;
        f.statusMessageMs = 50;
        const std::string deep =
            "とても長いフォルダの名前/" + std::string(120, 'x') + "/USER/1a2b3c4d";
        std::filesystem::create_directories(f.dir.Path(deep));
        f.fake.dialogs.folders.push_back(f.dir.Text(deep));
        wMenu& w = f.Start(false);
        const int width = w.width();
        w.FinishStartup();
        QApplication::processEvents();
        auto* folder = static_cast<ElidedLabel*>(w.statusText);
        QCOMPARE(folder->text(), Q(w.CurrentFolder));
        QCOMPARE(folder->toolTip(), Q(w.CurrentFolder));
        const QString shown = folder->ShownText();
        QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
        QVERIFY(shown.endsWith(QStringLiteral("1a2b3c4d/")));
        QCOMPARE(w.width(), width);

        w.ShowStatus(u"スクリーンショットを保存しました: /tmp/a.jpg");
        QCOMPARE(w.statusBar()->currentMessage(),
                 QStringLiteral("スクリーンショットを保存しました: /tmp/a.jpg"));
        QTRY_VERIFY(w.statusBar()->currentMessage().isEmpty());
        QTRY_VERIFY(folder->isVisible());
        QCOMPARE(folder->text(), Q(w.CurrentFolder));
    }

    void titleMenusAndTabs() {
        WindowFixture f;
        wMenu& w = f.Start();
        QCOMPARE(w.windowTitle(), QStringLiteral("クイルモア"));
        QCOMPARE(w.tsMenu->count(), 4);
        QCOMPARE(w.tsMenu->tabText(0), QStringLiteral("マクロ"));
        QCOMPARE(w.tsMenu->tabText(3), QStringLiteral("スクリーンショット"));
        QCOMPARE(w.FileOpen->text(), QStringLiteral("開く(&O)..."));
        QCOMPARE(w.EditMenu->title(), QStringLiteral("編集(&E)"));
        // Cancelled picker at start-up: nothing to save yet.
        QVERIFY(!w.FileSave->isEnabled());
        QVERIFY(!w.FileSaveAs->isEnabled());
        QCOMPARE(f.fake.dialogs.folderPrompts.size(), std::size_t(1));
        QCOMPARE(Q(f.fake.dialogs.folderPrompts[0].prompt),
                 QStringLiteral("編集するキャラクターのフォルダを選択してください"));
    }

    void tabClickShowsOneFrame() {
        WindowFixture f;
        wMenu& w = f.Start();
        w.tsMenu->setCurrentIndex(2);
        QVERIFY(!w.fTab[0]->isVisible());
        QVERIFY(w.fTab[2]->isVisible());
        QCOMPARE(int(w.prefs.TabIndex), 2);
    }

    void noTraceWithoutShift() {
        WindowFixture f;
        wMenu& w = f.Start();
        QVERIFY(w.close());
        QVERIFY(!f.dir.Exists("Debug.txt"));
    }

    void traceWithShiftHeldAtStart() {
        WindowFixture f;
        f.fake.keyState.Press(16);
        wMenu& w = f.Start();
        f.fake.keyState.Release(16);
        f.fake.clock.Set({2026, 12, 6, 9, 5, 7});
        QVERIFY(w.close());
        auto lines = f.TraceLines();
        QVERIFY(lines.size() >= 8);
        QCOMPARE(Q(lines[0]), QString());
        QCOMPARE(Q(lines[1]), QStringLiteral("0.9.0.2"));
        QCOMPARE(Q(lines[2]), QStringLiteral("実行開始:05-06-2004 21:07:03"));
        auto has = [&](const char16_t* text) {
            return std::find(lines.begin(), lines.end(), std::u16string(text)) != lines.end();
        };
        QVERIFY(has(u"LoadPreferences()"));
        QVERIFY(has(u"ShowPreferences()"));
        QVERIFY(has(u"InitPath()"));
        QVERIFY(has(u"InitTextColor()"));
        QCOMPARE(Q(lines.back()), QStringLiteral("実行終了:12-06-2026 09:05:07"));

        // A second run appends instead of replacing.
        WindowFixture* same = &f;
        same->fake.keyState.Press(16);
        same->Start();
        QCOMPARE(Q(same->TraceLines()[lines.size() + 1]), QStringLiteral("0.9.0.2"));
    }

    void secondCopyActivatesTheFirstAndEnds() {
        WindowFixture f;
        f.fake.keyState.Press(16);
        f.fake.instance.otherRunning = true;
        wMenu& w = f.Start();
        QVERIFY(w.Ended());
        QCOMPARE(f.fake.instance.activationRequests, 1);
        auto lines = f.TraceLines();
        QCOMPARE(int(lines.size()), 4);
        QCOMPARE(Q(lines[3]), QStringLiteral("多重起動"));
        QVERIFY(f.fake.dialogs.folderPrompts.empty());  // nothing else of start-up ran
        QCOMPARE(f.fake.registry.sets, 0);              // no preferences saved
    }

    void firstCopyComesForwardWhenAsked() {
        WindowFixture f;
        wMenu& w = f.Start();
        w.showMinimized();
        QVERIFY(f.fake.instance.activate);
        f.fake.instance.activate();
        QVERIFY(!w.isMinimized());
    }

    void closeWithUnsavedChanges() {
        WindowFixture f;
        wMenu& w = f.Start();
        w.ContentModified = true;
        f.fake.messageBox.answers = {MsgAnswer::Cancel};
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QVERIFY(w.ContentModified);
        QCOMPARE(Q(f.fake.messageBox.shown.back().text),
                 QStringLiteral("内容が変更されています。保存しますか？"));

        f.fake.messageBox.answers = {MsgAnswer::Cancel};
        w.FileQuit_Click();
        QVERIFY(w.isVisible());

        f.fake.messageBox.answers = {MsgAnswer::No};
        QVERIFY(w.close());
        QVERIFY(w.Ended());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
