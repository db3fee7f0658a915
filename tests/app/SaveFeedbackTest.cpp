// What the window tells the player about a save, a backup drag and the status line: text
// that cannot be stored is never dropped in silence, and a message is never cut.
#include <QDir>
#include <QStatusBar>
#include <QTest>

#include "DemoData.h"
#include "app/StatusLine.h"
#include "editor/MacroTab.h"
#include "editor/SetDragHandle.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

std::string OpenDemo(WindowFixture& f) {
    if (!demo::WriteDemoGame(f.dir.Path("game"))) return {};
    const std::string character = std::string("game/USER/") + demo::kCleanCharacter;
    f.fake.dialogs.folders.push_back(f.dir.Text(character));
    f.Start();
    return character;
}

QString Mark(wMenu& w) {
    return w.findChild<QLabel*>(QStringLiteral("stModified"))->text();
}

}  // namespace

class SaveFeedbackTest : public QObject {
    Q_OBJECT

  private slots:
    void tooLongLineIsNamedBeforeTheSave() {
        WindowFixture f;
        const std::string character = OpenDemo(f);
        QVERIFY(!character.empty());
        wMenu& w = *f.window;
        MacroTab& tab = *w.macroTab;
        const auto before = f.dir.Read(character + "/mcr.dat");
        tab.efLine[0]->setFocus();
        tab.efLine[0]->selectAll();
        QTest::keyClicks(tab.efLine[0], QString(62, QLatin1Char('a')));
        tab.efTitle[1]->setText(QStringLiteral("new"));  // fits: stored at once
        QCOMPARE(Mark(w), QStringLiteral("変更あり"));

        f.fake.messageBox.answers = {MsgAnswer::No};
        QCOMPARE(w.FileSave_Click(), SaveResult::Declined);
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        const auto& asked = f.fake.messageBox.shown[0];
        QCOMPARE(int(asked.buttons), int(MsgButtons::YesNoDefaultNo));
        QVERIFY2(Q(asked.text)
                     .contains(QStringLiteral(
                         "ブック1 セット1 マクロ1 1行目：62 バイト（60 バイトまで）")),
                 qPrintable(Q(asked.text)));
        QCOMPARE(f.dir.Read(character + "/mcr.dat"), before);
        QCOMPARE(tab.efLine[0]->text(), QString(62, QLatin1Char('a')));
        QVERIFY(w.ContentModified);

        f.fake.messageBox.answers = {MsgAnswer::Yes};
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        const auto after = f.dir.Read(character + "/mcr.dat");
        QVERIFY(after != before);
        MacroFile stored;
        std::copy(after.begin(), after.end(), stored.bytes.begin());
        QCOMPARE(Q(ReadFieldText(stored.Title(1))), QStringLiteral("new"));
        QCOMPARE(Q(ReadFieldText(stored.Line(0, 0))),
                 Q(ReadFieldText(w.Books().File(0).Line(0, 0))));
        QVERIFY(ReadFieldText(stored.Line(0, 0)).size() < 62);
        // The box still holds what was not stored: the save is not the whole story.
        QVERIFY(w.ContentModified);
        QCOMPARE(Mark(w), QStringLiteral("変更あり"));
        QCOMPARE(
            w.statusBar()->currentMessage(),
            QStringLiteral(
                "保存しました（1 ファイル）　保存されなかった欄: ブック1 セット1 マクロ1 1行目"));

        // Once the box holds what fits, nothing is left unsaved but that edit.
        tab.efLine[0]->setText(QStringLiteral("/p short"));
        f.fake.messageBox.answers.clear();
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(2));
        QVERIFY(!w.ContentModified);
        QCOMPARE(Mark(w), QString());
    }

    void savesAndSaveAsConfirmThemselves() {
        WindowFixture f;
        QVERIFY(!OpenDemo(f).empty());
        wMenu& w = *f.window;
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("保存しました（0 ファイル）"));
        w.macroTab->efTitle[3]->setText(QStringLiteral("x"));
        w.macroTab->pbSet_Click(2);
        w.macroTab->efTitle[3]->setText(QStringLiteral("y"));
        w.macroTab->pbSet_Click(4);
        w.macroTab->efTitle[3]->setText(QStringLiteral("z"));
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("保存しました（3 ファイル）"));

        std::filesystem::create_directories(f.dir.Path("copy"));
        f.fake.dialogs.folders.push_back(f.dir.Text("copy"));
        w.FileSaveAs_Click();
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("名前をつけて保存しました: ") +
                                                      Q(f.dir.Text("copy")) + QDir::separator());
    }

    void refusedBackupDragSaysWhyInAMessageBox() {
        WindowFixture f;
        QVERIFY(!OpenDemo(f).empty());
        wMenu& w = *f.window;
        // A line end stored in a field (the game keeps no such thing) cannot be written
        // so that the backup reads back.
        w.Books().File(2).Line(4, 1)[0] = '\r';
        w.Books().File(2).Line(4, 1)[1] = '\n';
        auto* handle = static_cast<SetDragHandle*>(w.macroTab->pctSetDragger[2]);
        handle->pctSetDragger_MouseDown();
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(Q(f.fake.messageBox.shown[0].text),
                 QStringLiteral(
                     "セット3のバックアップファイル「Set3.txt」を作成できませんでした。\r\n"
                     "マクロ5の2行目に改行が含まれているため、復元できるように書き出せません。"));
        // A target asking for the file again and again gets one message, after the drag.
        QVERIFY(!handle->pctSetDragger_OLESetData());
        QVERIFY(!handle->pctSetDragger_OLESetData());
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QTRY_COMPARE(f.fake.messageBox.shown.size(), std::size_t(2));
        QTest::qWait(20);
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(2));
    }

    // The labels at the right give way; a message keeps every word, and only a path in
    // it loses its middle.
    void statusMessagesAreNeverCutMidWord() {
        WindowFixture f;
        wMenu& w = f.Start();
        w.resize(720, w.height());
        w.ShowHostStatus(
            u"Wineプレフィックス: /home/player/.local/share/wineprefixes/"
            u"playonline-japanese-client　レジストリ: HKLM\\SOFTWARE\\PlayOnline");
        w.statusGame->show();
        QApplication::processEvents();
        const QString message = QStringLiteral(
            "セット3のバックアップファイル「Set3.txt」を作成できませんでした。"
            "一時フォルダに書き込めません。");
        w.ShowStatus(message.toStdU16String());
        QApplication::processEvents();
        QCOMPARE(w.statusBar()->currentMessage(), message);
        const QFontMetrics metrics = w.statusBar()->fontMetrics();
        QVERIFY(w.statusHost->width() + metrics.horizontalAdvance(message) <=
                w.statusBar()->width());

        const std::u16string path =
            u"/home/player/Pictures/" + std::u16string(200, u'x') + u"/ScreenShot.bmp";
        w.ShowStatus(u"スクリーンショット: " + path + u" を書き込めません。", path);
        const QString shown = w.statusBar()->currentMessage();
        QVERIFY2(shown.startsWith(QStringLiteral("スクリーンショット: /home/")), qPrintable(shown));
        QVERIFY(shown.endsWith(QStringLiteral("ScreenShot.bmp を書き込めません。")));
        QVERIFY(shown.contains(QChar(0x2026)));
        QVERIFY(w.statusHost->width() < metrics.horizontalAdvance(QStringLiteral("Wine")));
        QVERIFY(w.statusBar()->toolTip().contains(Q(path)));
    }
};

QTEST_MAIN(SaveFeedbackTest)
#include "SaveFeedbackTest.moc"
