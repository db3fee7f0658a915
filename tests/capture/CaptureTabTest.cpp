// The screenshot tab and the key-code dialog on the real main window, with fake services.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "app/MainWindow.h"
#include "capture/CaptureTab.h"
#include "capture/KeyCodeDialog.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

QStringList Entries(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

void Retype(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    // Key clicks carry Latin-1 only; other text arrives as an input method would give it.
    if (text.toLatin1() == text.toUtf8()) {
        QTest::keyClicks(box, text);
    } else {
        box->insert(text);
    }
}

// Where a person clicks an option button: on its circle (its full width is not its target).
void ClickOption(QRadioButton* option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

}  // namespace

class CaptureTabTest : public QObject {
    Q_OBJECT
  private slots:
    void firstRunDefaults() {
        WindowFixture f;
        f.fake.folders.pictures = f.dir.Text("Pictures");
        wMenu& w = f.Start();
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(3).center());
        CaptureTab& tab = *w.captureTab;
        QVERIFY(tab.isVisible());
        QVERIFY(tab.optCapture[0]->isChecked());
        QCOMPARE(tab.optCapture[1]->text(), QStringLiteral("特定のキーでスクリーンショット"));
        QCOMPARE(tab.optCapture[2]->text(), QStringLiteral("特定のキーで連続撮影開始／終了"));
        QCOMPARE(tab.efCaptureInterval->text(), QStringLiteral("10"));
        QVERIFY(!tab.efCaptureInterval->isEnabled());
        QCOMPARE(tab.stCapturePath->text(), Q(f.dir.Text("Pictures")));
        QVERIFY(tab.cbSaveAsJpeg->isChecked());
        QCOMPARE(tab.sJpegQuality->value(), 80);
        QVERIFY(tab.sJpegQuality->isEnabled());
        QVERIFY(!tab.cbLockCaptureName->isChecked());
        QCOMPARE(tab.efCaptureName->text(), QStringLiteral("ScreenShot"));
        QVERIFY(!tab.efCaptureName->isEnabled());
        QCOMPARE(tab.efCaptureKeyCode->text(), QStringLiteral("44"));
        QCOMPARE(Entries(tab.cboCaptureStartSE), QStringList{QStringLiteral("(なし)")});
        QCOMPARE(Entries(tab.cboCaptureStopSE), QStringList{QStringLiteral("(なし)")});
        QVERIFY(!tab.tCapture->isActive());
        QVERIFY(!tab.tKeyCapture->isActive());
        QVERIFY(f.fake.sound.Played().empty());
    }

    void controlsFollowTheirBoxesWithoutMarkingMacrosModified() {
        WindowFixture f;
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(3).center());

        tab.cbSaveAsJpeg->click();
        QCOMPARE(int(w.prefs.SaveAsJpeg), 0);
        QVERIFY(!tab.sJpegQuality->isEnabled());
        for (QLabel* label : tab.stJpegQuality) QVERIFY(!label->isEnabled());
        tab.cbSaveAsJpeg->click();
        QCOMPARE(int(w.prefs.SaveAsJpeg), 1);
        QVERIFY(tab.stJpegQuality[2]->isEnabled());

        tab.sJpegQuality->setFocus();
        QTest::keyClick(tab.sJpegQuality, Qt::Key_PageUp);
        QCOMPARE(w.prefs.JpegQuality, 85);

        tab.cbLockCaptureName->click();
        QCOMPARE(int(w.prefs.LockCaptureName), 1);
        QVERIFY(tab.efCaptureName->isEnabled());
        Retype(tab.efCaptureName, QStringLiteral("戦闘"));
        QCOMPARE(w.prefs.CaptureName, std::u16string(u"戦闘"));

        f.fake.dialogs.folders = {f.dir.Text("shots")};
        QTest::mouseClick(tab.pbCapturePath, Qt::LeftButton);
        QCOMPARE(Q(f.fake.dialogs.folderPrompts.back().prompt),
                 QStringLiteral("スクリーンショットを保存するフォルダを選択してください。"));
        QCOMPARE(tab.stCapturePath->text(), Q(f.dir.Text("shots")));
        QCOMPARE(Q(w.prefs.CapturePath), Q(f.dir.Text("shots")));
        QTest::mouseClick(tab.pbCapturePath, Qt::LeftButton);  // cancelled
        QCOMPARE(Q(f.fake.dialogs.folderPrompts.back().preselect), Q(f.dir.Text("shots")));
        QCOMPARE(Q(w.prefs.CapturePath), Q(f.dir.Text("shots")));

        QVERIFY(!w.ContentModified);
    }

    void intervalBoxWhileTypingAndOnLeaving() {
        WindowFixture f;
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(3).center());
        ClickOption(tab.optCapture[2]);
        QVERIFY(tab.efCaptureInterval->isEnabled());

        Retype(tab.efCaptureInterval, QStringLiteral("2.5"));
        QCOMPARE(w.prefs.CaptureInterval, 2000);
        Retype(tab.efCaptureInterval, QStringLiteral("0"));
        QCOMPARE(w.prefs.CaptureInterval, 2000);
        tab.efCaptureKeyCode->setFocus();  // leaving the box
        QCOMPARE(tab.efCaptureInterval->text(), QStringLiteral("1"));
        QCOMPARE(w.prefs.CaptureInterval, 1000);
        QVERIFY(!w.ContentModified);
    }

    void storedIntervalAndModeAreShownAsStored() {
        WindowFixture f;
        f.fake.registry.PutNumber(kPreferencesKey, u"CaptureInterval", 2500);
        f.fake.registry.PutNumber(kPreferencesKey, u"CaptureMode", 2);
        f.fake.registry.PutNumber(kPreferencesKey, u"CaptureKeyCode", 300);
        f.fake.registry.PutNumber(kPreferencesKey, u"JpegQuality", 5);
        f.fake.folders.pictures = f.dir.Text("Pictures");
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        QCOMPARE(tab.efCaptureInterval->text(), QStringLiteral("2"));
        QCOMPARE(w.prefs.CaptureInterval, 2500);
        QVERIFY(tab.optCapture[2]->isChecked());
        QVERIFY(tab.efCaptureInterval->isEnabled());
        QVERIFY(tab.tKeyCapture->isActive());
        QVERIFY(!tab.tCapture->isActive());
        QCOMPARE(tab.efCaptureKeyCode->text(), QStringLiteral("300"));
        // A quality the slider cannot show is kept as stored; shots use the nearest one.
        QCOMPARE(tab.sJpegQuality->value(), 10);
        w.prefs.CaptureKeyCode = 44;
        f.fake.keyState.Tap(44);
        tab.tKeyCapture_Timer();
        QCOMPARE(f.fake.imageWriter.Writes().size(), std::size_t(1));
        QCOMPARE(f.fake.imageWriter.Writes()[0].quality, 10);
        QVERIFY(w.close());
        QCOMPARE(f.fake.registry.Peek(kPreferencesKey, u"JpegQuality")->data,
                 (std::vector<uint8_t>{5, 0, 0, 0}));
    }

    void resetRestoresPrintScreen() {
        WindowFixture f;
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(3).center());
        Retype(tab.efCaptureKeyCode, QStringLiteral("65"));
        QCOMPARE(int(w.prefs.CaptureKeyCode), 65);
        QTest::mouseClick(tab.pbResetKeyCode, Qt::LeftButton);
        QCOMPARE(tab.efCaptureKeyCode->text(), QStringLiteral("44"));
        QCOMPARE(int(w.prefs.CaptureKeyCode), 44);
    }

    void keyShotsInBothModesAndSilentStop() {
        WindowFixture f;
        std::u16string start = f.dir.Text("start.wav"), stop = f.dir.Text("stop.wav");
        f.dir.Write("start.wav", {'R', 'I', 'F', 'F'});
        f.dir.Write("stop.wav", {'R', 'I', 'F', 'F'});
        f.fake.registry.PutText(kPreferencesKey, u"CaptureStartSE", start);
        f.fake.registry.PutText(kPreferencesKey, u"CaptureStopSE", stop);
        f.fake.registry.PutText(kPreferencesKey, u"CapturePath", f.dir.Text("shots"));
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        QVERIFY(f.fake.sound.Played().empty());  // stored sounds are not heard at start-up

        ClickOption(tab.optCapture[1]);
        QVERIFY(tab.tKeyCapture->isActive());
        f.fake.keyState.Press(44);
        for (int i = 0; i < 20; ++i) tab.tKeyCapture_Timer();
        f.fake.keyState.Release(44);
        tab.tKeyCapture_Timer();
        QCOMPARE(f.fake.imageWriter.Writes().size(), std::size_t(1));
        QCOMPARE(f.fake.sound.Played(), std::vector<std::u16string>{start});
        QVERIFY(Q(f.fake.imageWriter.Writes()[0].path)
                    .startsWith(Q(f.dir.Text("shots")) + QStringLiteral("/")));

        ClickOption(tab.optCapture[2]);
        f.fake.keyState.Tap(44);
        tab.tKeyCapture_Timer();
        QVERIFY(tab.tCapture->isActive());
        QCOMPARE(f.fake.sound.Played().back(), start);
        ClickOption(tab.optCapture[1]);
        QVERIFY(!tab.tCapture->isActive());
        QCOMPARE(f.fake.sound.Played().size(), std::size_t(2));  // stopped silently
        ClickOption(tab.optCapture[2]);
        QVERIFY(!tab.tCapture->isActive());
        ClickOption(tab.optCapture[0]);
        QVERIFY(!tab.tKeyCapture->isActive());
        QVERIFY(!w.ContentModified);
    }

    void failedShotIsShownOnceInTheStatusLine() {
        WindowFixture f;
        f.fake.folders.pictures = f.dir.Text("Pictures");
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        QStatusBar* status = w.statusBar();
        f.fake.imageWriter.FailWith(u"保存できません");
        ClickOption(tab.optCapture[2]);
        f.fake.keyState.Tap(44);
        tab.tKeyCapture_Timer();
        QVERIFY(status->currentMessage().startsWith(
            QStringLiteral("スクリーンショットを保存できませんでした: ")));
        QVERIFY(status->currentMessage().endsWith(QStringLiteral(" (保存できません)")));
        status->clearMessage();
        tab.tCapture_Timer();
        w.prefs.CaptureInterval = 1000;
        tab.tCapture_Timer();
        QCOMPARE(f.fake.imageWriter.Writes().size(), std::size_t(2));
        QCOMPARE(status->currentMessage(), QString());  // the same failure is not repeated
        QVERIFY(f.fake.messageBox.shown.empty());

        f.fake.imageWriter.FailWith({});
        tab.tCapture_Timer();
        // Every shot that goes well names its file.
        const QString file = Q(f.fake.imageWriter.Writes().back().path);
        QCOMPARE(status->currentMessage(), QStringLiteral("スクリーンショット: ") + file);
        status->clearMessage();
        tab.tCapture_Timer();
        QCOMPARE(status->currentMessage(), QStringLiteral("スクリーンショット: ") +
                                               Q(f.fake.imageWriter.Writes().back().path));
        f.fake.imageWriter.FailWith(u"保存できません");
        tab.tCapture_Timer();
        QVERIFY(status->currentMessage().startsWith(
            QStringLiteral("スクリーンショットを保存できませんでした: ")));
        QVERIFY(status->currentMessage().endsWith(QStringLiteral(" (保存できません)")));
    }

    void soundListsWithAndWithoutWavFiles() {
        WindowFixture f;
        f.fake.keyState.Press(16);  // trace on
        f.dir.Write("sounds/chimes.wav", {'R'});
        f.dir.Write("sounds/Chimes.WAV", {'R'});
        f.dir.Write("common/tada.wav", {'R'});
        f.dir.Write("music/song.mp3", {'R'});
        f.fake.folders.windows = TextFromPath(f.dir.Path("sounds"));
        f.fake.folders.commonMusic = TextFromPath(f.dir.Path("common"));
        f.fake.folders.music = TextFromPath(f.dir.Path("music"));
        wMenu& w = f.Start();
        f.fake.keyState.Release(16);
        const QStringList expected{QStringLiteral("(なし)"), QStringLiteral("chimes.wav"),
                                   QStringLiteral("tada.wav")};
        QCOMPARE(Entries(w.captureTab->cboCaptureStartSE), expected);
        QCOMPARE(Entries(w.captureTab->cboCaptureStopSE), expected);
        QCOMPARE(Q(w.captureTab->Sounds().paths[2]), Q(f.dir.Text("common/tada.wav")));

        const auto lines = f.TraceLines();
        auto at = std::find(lines.begin(), lines.end(), std::u16string(u"MakeSoundItems()"));
        QVERIFY(at != lines.end() && lines.end() - at >= 3);
        QCOMPARE(Q(at[1]), QStringLiteral("AddItem \"(なし)\""));
        QCOMPARE(Q(at[2]), QStringLiteral("CreateObject"));

        // Picking an entry sets and plays it; "(なし)" sets no sound and plays nothing.
        QComboBox* box = w.captureTab->cboCaptureStopSE;
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(Q(w.prefs.CaptureStopSE), Q(f.dir.Text("sounds/chimes.wav")));
        QCOMPARE(f.fake.sound.Played(), std::vector<std::u16string>{w.prefs.CaptureStopSE});
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(w.prefs.CaptureStopSE, std::u16string());
        QCOMPARE(f.fake.sound.Played().size(), std::size_t(1));
    }

    void storedSoundOutsideTheListIsAppendedAndNotPlayed() {
        WindowFixture f;
        const std::u16string outside = f.dir.Text("elsewhere/bell.wav");
        f.dir.Write("elsewhere/bell.wav", {'R'});
        f.fake.registry.PutText(kPreferencesKey, u"CaptureStartSE", outside);
        wMenu& w = f.Start();
        QComboBox* box = w.captureTab->cboCaptureStartSE;
        QCOMPARE(Entries(box), (QStringList{QStringLiteral("(なし)"), Q(outside)}));
        QCOMPARE(box->currentIndex(), 1);
        QCOMPARE(Entries(w.captureTab->cboCaptureStopSE), QStringList{QStringLiteral("(なし)")});
        QCOMPARE(w.prefs.CaptureStartSE, outside);
        QVERIFY(f.fake.sound.Played().empty());
        QVERIFY(w.close());
        QCOMPARE(f.fake.registry.Peek(kPreferencesKey, u"CaptureStartSE")->data,
                 Cp932Encode(outside + u'\0'));
    }

    void browsingTheSameOutsideFileTwiceAddsTwoEntries() {
        WindowFixture f;
        f.fake.folders.music = f.dir.Text("music");
        const std::u16string outside = f.dir.Text("elsewhere/bell.wav");
        f.dir.Write("elsewhere/bell.wav", {'R'});
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        f.fake.dialogs.files = {outside, outside};
        QTest::mouseClick(tab.pbCaptureStartSE, Qt::LeftButton);
        QTest::mouseClick(tab.pbCaptureStartSE, Qt::LeftButton);
        QTest::mouseClick(tab.pbCaptureStartSE, Qt::LeftButton);  // cancelled: nothing changes
        QCOMPARE(Entries(tab.cboCaptureStartSE),
                 (QStringList{QStringLiteral("(なし)"), Q(outside), Q(outside)}));
        QCOMPARE(tab.cboCaptureStartSE->currentIndex(), 2);
        QCOMPARE(w.prefs.CaptureStartSE, outside);
        QCOMPARE(f.fake.sound.Played(), (std::vector<std::u16string>{outside, outside}));
        QCOMPARE(Q(f.fake.dialogs.filePrompts[0].prompt), QStringLiteral("サウンドファイル"));
        QCOMPARE(Q(f.fake.dialogs.filePrompts[0].pattern), QStringLiteral("*.wav"));
        QCOMPARE(Q(f.fake.dialogs.filePrompts[0].preselect), Q(f.dir.Text("music")));
        QCOMPARE(tab.cboCaptureStopSE->count(), 1);
    }

    void keyCodeDialogShowsTheHighestPressedCode() {
        WindowFixture f;
        wMenu& w = f.Start();
        CaptureTab& tab = *w.captureTab;
        QTest::mouseClick(tab.pbCheckKeyCode, Qt::LeftButton);
        dCheckKeyCode* dialog = tab.KeyCodeDialog();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QVERIFY(dialog->parent() == nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("コードを調べる"));
        QCOMPARE(dialog->stCaptured->text(), QString());
        QVERIFY(dialog->tCheckKeyCode->isActive());
        QCOMPARE(dialog->tCheckKeyCode->interval(), 100);

        f.fake.keyState.Press(65);
        dialog->tCheckKeyCode_Timer();
        QCOMPARE(dialog->stCaptured->text(), QStringLiteral("65"));
        f.fake.keyState.Release(65);
        f.fake.keyState.Press(200);  // above 160: not looked at
        dialog->tCheckKeyCode_Timer();
        QCOMPARE(dialog->stCaptured->text(), QStringLiteral("65"));
        f.fake.keyState.Press(16);
        f.fake.keyState.Press(100);
        dialog->tCheckKeyCode_Timer();
        QCOMPARE(dialog->stCaptured->text(), QStringLiteral("100"));

        QTest::mouseClick(tab.pbCheckKeyCode, Qt::LeftButton);  // open: brought forward
        QCOMPARE(tab.KeyCodeDialog(), dialog);
        QCOMPARE(dialog->stCaptured->text(), QStringLiteral("100"));
        dialog->close();
        QVERIFY(!dialog->tCheckKeyCode->isActive());
        QTest::mouseClick(tab.pbCheckKeyCode, Qt::LeftButton);
        QCOMPARE(dialog->stCaptured->text(), QString());  // a new opening starts empty
        QVERIFY(w.isEnabled());
    }
};

QTEST_MAIN(CaptureTabTest)
#include "CaptureTabTest.moc"
