// The tool's preferences in the window, game discovery and the launcher command.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>

#include "editor/MacroTab.h"
#include "settings/InstallPaths.h"
#include "settings/Registry.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

constexpr Hive HKLM = Hive::LocalMachine;

template <typename T>
T* Control(wMenu& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}

int32_t StoredNumber(FakeRegistry& reg, std::u16string_view name) {
    return RegReadValue(reg, HKLM, kPreferencesKey, name, REG_DWORD_TYPE, -999);
}
std::u16string StoredText(FakeRegistry& reg, std::u16string_view name) {
    return RegReadValue(reg, HKLM, kPreferencesKey, name, REG_SZ_TYPE, u"<none>");
}

// The game under Wine with the prefixes a test gives: the game's (holding its keys), and
// the one the launcher would run in.
class PrefixHost : public IGameHost {
  public:
    bool UsesWinePrefix() override { return true; }
    std::u16string WinePrefix() override { return gamePrefix; }
    bool ChooseWinePrefix(std::u16string_view folder, Reason*) override {
        launcherPrefix = folder;
        return true;
    }
    std::u16string LauncherPrefix(std::u16string_view) override { return launcherPrefix; }
    std::u16string NativePath(std::u16string_view p) override { return std::u16string(p); }
    std::u16string GameRoot() override { return u"SOFTWARE\\PlayOnline"; }
    std::u16string gamePrefix, launcherPrefix;
};

}  // namespace

class PreferencesWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void firstRunShowsTheDefaults() {
        WindowFixture f;
        wMenu& w = f.Start();
        QCOMPARE(w.tsMenu->currentIndex(), 0);
        QVERIFY(w.fTab[0]->isVisible());
        QCOMPARE(w.macroTab->efMyname->text(), QStringLiteral("Myname"));
        QVERIFY(!w.Filling);
        QVERIFY(!w.ContentModified);
        // The capture controls are checked as far as the capture tab has them.
        if (auto* e = Control<QLineEdit>(w, "efCaptureInterval"))
            QCOMPARE(e->text(), QStringLiteral("10"));
        if (auto* c = Control<QCheckBox>(w, "cbSaveAsJpeg")) QVERIFY(c->isChecked());
        if (auto* s = Control<QSlider>(w, "sJpegQuality")) QCOMPARE(s->value(), 80);
        if (auto* e = Control<QLineEdit>(w, "efCaptureName"))
            QCOMPARE(e->text(), QStringLiteral("ScreenShot"));
        if (auto* e = Control<QLineEdit>(w, "efCaptureKeyCode"))
            QCOMPARE(e->text(), QStringLiteral("44"));
        QCOMPARE(f.fake.registry.sets, 0);  // nothing is written before the close
    }

    void storedTabIsSelectedUnlessItNamesNoTab() {
        {
            WindowFixture f;
            f.fake.registry.PutNumber(kPreferencesKey, u"TabIndex", 2);
            wMenu& w = f.Start();
            QCOMPARE(w.tsMenu->currentIndex(), 2);
            QVERIFY(w.fTab[2]->isVisible());
            QVERIFY(!w.fTab[0]->isVisible());
        }
        for (int stored : {4, -1, 70000}) {
            WindowFixture f;
            f.fake.registry.PutNumber(kPreferencesKey, u"TabIndex", stored);
            wMenu& w = f.Start();
            QCOMPARE(w.tsMenu->currentIndex(), 0);
            QVERIFY(w.fTab[0]->isVisible());
            QVERIFY(w.close());
            // 4 and -1 fit the field and are kept; 70000 does not and became 0.
            QCOMPARE(StoredNumber(f.fake.registry, u"TabIndex"), stored == 70000 ? 0 : stored);
        }
    }

    void intervalShowsWholeSecondsAndKeepsMilliseconds() {
        WindowFixture f;
        f.fake.registry.PutNumber(kPreferencesKey, u"CaptureInterval", 2500);
        wMenu& w = f.Start();
        auto* interval = Control<QLineEdit>(w, "efCaptureInterval");
        if (interval) QCOMPARE(interval->text(), QStringLiteral("2"));
        QCOMPARE(w.prefs.CaptureInterval, 2500);
        QVERIFY(w.close());
        QCOMPARE(StoredNumber(f.fake.registry, u"CaptureInterval"), 2500);
        if (!interval)
            QSKIP("the capture tab has no interval box yet; the stored value was checked");
    }

    void tabAndOwnNameSurviveARestart() {
        WindowFixture f;
        wMenu& w = f.Start();
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(1).center());
        QCOMPARE(w.tsMenu->currentIndex(), 1);
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(0).center());
        QLineEdit* name = w.macroTab->efMyname;
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Tarutaru"));
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(3).center());
        QVERIFY(!w.ContentModified);  // neither the tab nor the own name is macro content
        QVERIFY(w.close());
        QVERIFY(f.fake.messageBox.shown.empty());

        wMenu& again = f.Start();
        QCOMPARE(again.tsMenu->currentIndex(), 3);
        QVERIFY(again.fTab[3]->isVisible());
        QCOMPARE(again.macroTab->efMyname->text(), QStringLiteral("Tarutaru"));
        QCOMPARE(again.prefs.Myname, std::u16string(u"Tarutaru"));
    }

    void cancelAtTheCloseQuestionSavesNoPreference() {
        WindowFixture f;
        wMenu& w = f.Start();
        QTest::mouseClick(w.tsMenu, Qt::LeftButton, {}, w.tsMenu->tabRect(2).center());
        w.ContentModified = true;
        f.fake.messageBox.answers = {MsgAnswer::Cancel};
        QVERIFY(!w.close());
        QCOMPARE(f.fake.registry.sets, 0);
        QVERIFY(!f.fake.registry.HasKey(kPreferencesKey));

        f.fake.messageBox.answers = {MsgAnswer::No};
        QVERIFY(w.close());
        QCOMPARE(StoredNumber(f.fake.registry, u"TabIndex"), 2);
        QCOMPARE(StoredText(f.fake.registry, u"Myname"), std::u16string(u"Myname"));
        QCOMPARE(StoredNumber(f.fake.registry, u"CaptureKeyCode"), 44);
        QCOMPARE(StoredText(f.fake.registry, u"CaptureStopSE"), std::u16string());
    }

    void pickerOpensInTheGamesUserFolder() {
        WindowFixture f;
        std::filesystem::create_directories(f.dir.Path("FINAL FANTASY XI/USER"));
        f.fake.registry.PutText(kInstallFolderKey, u"0001", f.dir.Text("FINAL FANTASY XI/"));
        wMenu& w = f.Start();
        QCOMPARE(f.fake.dialogs.folderPrompts.size(), std::size_t(1));
        QCOMPARE(Q(f.fake.dialogs.folderPrompts[0].preselect),
                 Q(f.dir.Text("FINAL FANTASY XI/USER")));
        QCOMPARE(Q(w.CurrentFolder), Q(f.dir.Text("FINAL FANTASY XI/USER")));
        QVERIFY(!f.fake.registry.Peek(kInstallFolderKey, u"1000"));  // read only, never written
    }

    void launcherCommandNeedsPolExe() {
        WindowFixture f;
        f.fake.registry.PutText(kInstallFolderKey, u"1000", f.dir.Text("PlayOnlineViewer"));
        wMenu& w = f.Start();
        QVERIFY(!w.FilePlayOnline->isEnabled());
        QTest::keyClick(&w, Qt::Key_F5);
        w.FilePlayOnline->trigger();
        QVERIFY(f.fake.processes.started.empty());
        QCOMPARE(f.fake.processes.activations, 0);
    }

    void launcherIsStartedOrBroughtForward() {
        WindowFixture f;
        f.dir.Write("PlayOnlineViewer/pol.exe", {'M', 'Z'});
        f.fake.registry.PutText(kInstallFolderKey, u"1000", f.dir.Text("PlayOnlineViewer"));
        wMenu& w = f.Start();
        QVERIFY(w.FilePlayOnline->isEnabled());
        QCOMPARE(w.FilePlayOnline->text(), QStringLiteral("&PlayOnline"));
        QCOMPARE(w.FilePlayOnline->shortcut(), QKeySequence(Qt::Key_F5));
        const std::u16string pol = f.dir.Text("PlayOnlineViewer/pol.exe");

        w.FilePlayOnline->trigger();
        QCOMPARE(f.fake.processes.started, std::vector<std::u16string>{pol});

        f.fake.processes.launcherRunning = true;
        w.FilePlayOnline->trigger();
        w.FilePlayOnline->trigger();
        QCOMPARE(f.fake.processes.activations, 2);
        QCOMPARE(f.fake.processes.started.size(), std::size_t(1));

        // Removed after start-up: the command stays, and the failure is told.
        f.fake.processes.launcherRunning = false;
        f.fake.processes.startFails = {.kind = ReasonKind::ProgramMissing};
        w.FilePlayOnline->trigger();
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(f.fake.messageBox.shown[0].icon, MsgIcon::Critical);
        QVERIFY(Q(f.fake.messageBox.shown[0].text).contains(Q(pol)));
        QVERIFY(Q(f.fake.messageBox.shown[0].text)
                    .contains(QStringLiteral("ファイルが見つかりません。")));
        QVERIFY(Q(f.fake.messageBox.shown[0].text)
                    .contains(QStringLiteral("ファイルが見つかりません")));
    }

    // With no prefix known, starting pol.exe would make Wine create one: the player is
    // asked for the game's prefix instead, and nothing runs without one.
    void launcherWithoutAPrefixAsksFirst() {
        WindowFixture f;
        PrefixHost host;
        f.fake.platform.gameHost = &host;
        f.dir.Write("PlayOnlineViewer/pol.exe", {'M', 'Z'});
        f.fake.registry.PutText(kInstallFolderKey, u"1000", f.dir.Text("PlayOnlineViewer"));
        wMenu& w = f.Start();
        f.fake.messageBox.answers = {MsgAnswer::No};
        w.FilePlayOnline->trigger();
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QVERIFY(Q(f.fake.messageBox.shown[0].text).contains(QStringLiteral("プレフィックス")));
        QVERIFY(f.fake.processes.started.empty());

        // Yes, then the prefix chosen in the picker: started, and the status line says so.
        f.fake.messageBox.answers = {MsgAnswer::Yes};
        f.fake.dialogs.folders.push_back(f.dir.Text("pfx"));
        w.FilePlayOnline->trigger();
        QCOMPARE(f.fake.processes.started.size(), std::size_t(1));
        QCOMPARE(host.launcherPrefix, f.dir.Text("pfx"));
        QVERIFY(w.statusBar()->currentMessage().startsWith(
            QStringLiteral("PlayOnline を起動しています…")));
        QVERIFY(w.statusBar()->toolTip().contains(Q(f.dir.Text("pfx"))));

        // A running launcher is brought forward without a question.
        host.launcherPrefix.clear();
        f.fake.processes.launcherRunning = true;
        const std::size_t asked = f.fake.messageBox.shown.size();
        w.FilePlayOnline->trigger();
        QCOMPARE(f.fake.messageBox.shown.size(), asked);
        QCOMPARE(f.fake.processes.activations, 1);
    }

    void emptyCapturePathTakesThePicturesFolder() {
        WindowFixture f;
        f.fake.folders.pictures = u"/home/player/Pictures";
        wMenu& w = f.Start();
        QCOMPARE(Q(w.prefs.CapturePath), QStringLiteral("/home/player/Pictures"));
        if (auto* label = Control<QLabel>(w, "stCapturePath"))
            QCOMPARE(label->text(), QStringLiteral("/home/player/Pictures"));
        QVERIFY(w.close());
        QCOMPARE(StoredText(f.fake.registry, u"CapturePath"),
                 std::u16string(u"/home/player/Pictures"));

        WindowFixture kept;
        kept.fake.folders.pictures = u"/home/player/Pictures";
        kept.fake.registry.PutText(kPreferencesKey, u"CapturePath", u"/no/longer/there");
        wMenu& w2 = kept.Start();
        QCOMPARE(Q(w2.prefs.CapturePath), QStringLiteral("/no/longer/there"));
    }

    void troubleWithTheSettingsStoreIsTold() {
        WindowFixture f;
        f.fake.registry.notice = {
            {.kind = ReasonKind::SettingsFileSetAside, .subject = u"/c/r.reg.damaged"}, false};
        wMenu& w = f.Start();
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(f.fake.messageBox.shown[0].icon, MsgIcon::Warning);
        QCOMPARE(Q(f.fake.messageBox.shown[0].text),
                 QStringLiteral(
                     "設定ファイルが壊れていたため、「/c/r.reg.damaged」に名前を変えて残しました。"
                     "設定は既定値に戻ります。"));

        // A failed save at close is told too, and the window still closes.
        f.fake.registry.failSet = [](std::u16string_view, std::u16string_view) { return true; };
        QVERIFY(w.close());
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(2));
        QVERIFY(
            Q(f.fake.messageBox.shown[1].text).contains(QStringLiteral("保存できませんでした")));
    }
};

QTEST_MAIN(PreferencesWindowTest)
#include "PreferencesWindowTest.moc"
