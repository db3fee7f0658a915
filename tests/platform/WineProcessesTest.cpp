// The launcher under Wine: started in the game's prefix, found by the class Wine gives it.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>

#include "platform/fake/FakeRegistry.h"
#include "platform/linux/WineProcesses.h"
#include "settings/WineHost.h"
#include "support/NoWineTool.h"
#include "support/TempDir.h"

using namespace qm;
using namespace qm::test;

namespace {

QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

class FixedPrefix : public IGameHost {
  public:
    explicit FixedPrefix(std::u16string prefix) : prefix_(std::move(prefix)) {}
    bool UsesWinePrefix() override { return true; }
    std::u16string WinePrefix() override { return prefix_; }
    bool ChooseWinePrefix(std::u16string_view, Reason*) override { return false; }
    std::u16string NativePath(std::u16string_view p) override { return std::u16string(p); }
    std::u16string GameRoot() override { return u"SOFTWARE\\PlayOnline"; }

  private:
    std::u16string prefix_;
};

struct ScopedPath {
    explicit ScopedPath(const std::string& value)
        : saved(std::getenv("PATH") ? std::getenv("PATH") : "") {
        setenv("PATH", value.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", saved.c_str(), 1); }
    std::string saved;
};

// A stand-in for wine that records its folder, WINEPREFIX and its argument, then ends.
void WriteRecordingWine(TempDir& dir) {
    std::filesystem::create_directories(dir.Path("bin"));
    QFile script(Q(dir.Path("bin/wine")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    const std::string log = dir.Path("wine.txt").string();
    script.write(("#!/bin/sh\n{ pwd; echo \"$WINEPREFIX\"; echo \"$1\"; } > \"" + log +
                  ".part\"; /bin/mv \"" + log + ".part\" \"" + log + "\"\n")
                     .c_str());
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
}

QStringList WaitForLines(const std::filesystem::path& path) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {  // generous: a loaded machine is slow to start programs
        QFile file(Q(path));
        if (file.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromUtf8(file.readAll());
            if (text.endsWith(QLatin1Char('\n'))) return text.split(QLatin1Char('\n'));
        }
        QTest::qWait(20);
    }
    return {};
}

}  // namespace

class WineProcessesTest : public QObject {
    Q_OBJECT
  private slots:
    void startsPolExeInTheGamesPrefixAndFolder() {
        TempDir dir;
        std::filesystem::create_directories(dir.Path("bin"));
        dir.Write("pfx/drive_c/PlayOnlineViewer/pol.exe", {'M', 'Z'});
        dir.Write("pfx/system.reg", {});
        dir.Write("bin/wine", {});
        {
            QFile script(Q(dir.Path("bin/wine")));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(("#!/bin/sh\n{ pwd; echo \"$WINEPREFIX\"; echo \"$1\"; } > \"" +
                          dir.Path("wine.txt").string() + ".part\"; /bin/mv \"" +
                          dir.Path("wine.txt").string() + ".part\" \"" +
                          dir.Path("wine.txt").string() + "\"\n")
                             .c_str());
            script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        }
        ScopedPath path(dir.Path("bin").string());
        FixedPrefix host(TextFromPath(dir.Path("pfx")));
        WineProcesses processes(&host);
        Reason error;
        const auto exe = dir.Path("pfx/drive_c/PlayOnlineViewer/pol.exe");
        QVERIFY(processes.StartProcess(TextFromPath(exe), &error));
        const QStringList lines = WaitForLines(dir.Path("wine.txt"));
        QCOMPARE(lines.value(0), Q(exe.parent_path()));
        QCOMPARE(lines.value(1), Q(dir.Path("pfx")));
        QCOMPARE(lines.value(2), Q(exe));

        // Without wine the player is told so.
        ScopedPath none(dir.Path("nothing").string());
        error = {};
        QVERIFY(!processes.StartProcess(TextFromPath(exe), &error));
        QCOMPARE(error.kind, ReasonKind::WineMissing);
    }

    // The launcher runs in the prefix that holds the game, whatever $WINEPREFIX says; with
    // no prefix known for it, wine is not run at all (it would make one).
    void launcherRunsInTheGamesPrefixOrNotAtAll() {
        TempDir dir;
        WriteRecordingWine(dir);
        dir.Write("home/.wine/system.reg", {});  // what a bare `wine` left behind
        std::filesystem::create_directories(dir.Path("home/.wine/dosdevices"));
        const std::string keys =
            "WINE REGISTRY Version 2\n\n[Software\\\\PlayOnline\\\\InstallFolder] 1\n"
            "\"0001\"=\"C:\\\\FFXI\\\\\"\n";
        dir.Write("pfx/system.reg", std::vector<uint8_t>(keys.begin(), keys.end()));
        dir.Write("pfx/drive_c/PlayOnlineViewer/pol.exe", {'M', 'Z'});
        const auto exe = dir.Path("pfx/drive_c/PlayOnlineViewer/pol.exe");
        ScopedPath path(dir.Path("bin").string());
        FakeRegistry toolFile;
        test::NoWineTool tool;
        const std::string home = dir.Path("home").string();
        {
            WineHost host(toolFile, tool, {dir.Path("home/.wine").string(), home});
            QCOMPARE(host.WinePrefix(), std::u16string());
            WineProcesses processes(&host);
            Reason error;
            QVERIFY(!processes.StartProcess(TextFromPath(exe), &error));
            QCOMPARE(error.kind, ReasonKind::LauncherPrefixUnknown);
            QTest::qWait(200);
            QVERIFY(!std::filesystem::exists(dir.Path("wine.txt")));
        }
        RememberWinePrefix(toolFile, TextFromPath(dir.Path("pfx")));
        WineHost host(toolFile, tool, {dir.Path("home/.wine").string(), home});
        WineProcesses processes(&host);
        Reason error;
        QVERIFY(processes.StartProcess(TextFromPath(exe), &error));
        const QStringList lines = WaitForLines(dir.Path("wine.txt"));
        QCOMPARE(lines.value(0), Q(exe.parent_path()));
        QCOMPARE(lines.value(1), Q(dir.Path("pfx")));
        QCOMPARE(lines.value(2), Q(exe));
    }

    void tellsTheLauncherAndTheGameByClassAndTitle() {
        auto window = [](std::string instance, std::string wmClass, std::u16string title) {
            return WineWindowInfo{std::move(instance), std::move(wmClass), std::move(title)};
        };
        QVERIFY(IsPlayOnlineWindow(window("pol.exe", "Wine", u"PlayOnline Viewer")));
        QVERIFY(IsPlayOnlineWindow(window("POL.EXE", "Wine", u"")));
        QVERIFY(IsPlayOnlineWindow(window("", "PlayOnline", u"")));
        // Under Proton the class is the store's application number.
        QVERIFY(IsPlayOnlineWindow(
            window("steam_app_230330", "steam_app_230330", u"PlayOnline Viewer")));
        QVERIFY(IsGameWindow(window("steam_app_230330", "steam_app_230330", u"FINAL FANTASY XI")));
        QVERIFY(IsPlayOnlineWindow(window("pol.exe", "Wine", u"FINAL FANTASY XI")));
        QVERIFY(IsGameWindow(window("ffximain.exe", "Wine", u"Final Fantasy XI")));
        QVERIFY(IsGameWindow(window("", "FFXiClass", u"")));
        // Other programs with such titles are not Wine's windows of the game.
        QVERIFY(!IsPlayOnlineWindow(window("navigator", "Firefox", u"PlayOnline Viewer - Search")));
        QVERIFY(!IsGameWindow(window("xterm", "XTerm", u"FINAL FANTASY XI")));
        QVERIFY(!IsGameWindow(window("pol.exe", "Wine", u"PlayOnline Viewer")));
        QVERIFY(!IsPlayOnlineWindow(window("notepad.exe", "Wine", u"memo")));
    }

    void findsAWineWindowOnTheDisplay() {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display");
        const QString xmessage = QStandardPaths::findExecutable(QStringLiteral("xmessage"));
        if (xmessage.isEmpty()) QSKIP("needs xmessage to stand in for the game");
        X11Windows windows;
        // A window named like one Wine makes for the game inside pol.exe.
        QProcess game;
        game.start(xmessage,
                   {QStringLiteral("-name"), QStringLiteral("pol.exe"), QStringLiteral("-title"),
                    QStringLiteral("FINAL FANTASY XI"), QStringLiteral("game")});
        QVERIFY(game.waitForStarted());
        std::optional<X11WindowId> found;
        QElapsedTimer timer;
        timer.start();
        while (!found && timer.elapsed() < 20000) {  // windows map slowly under load
            found = FindGameWindow(windows);
            if (!found) QTest::qWait(50);
        }
        const bool launcherFound = FindPlayOnlineWindow(windows).has_value();
        WineProcesses processes(nullptr);
        const bool activated = processes.ActivateLauncherWindow();
        game.kill();
        game.waitForFinished();
        QVERIFY(found);
        QVERIFY(launcherFound);
        QVERIFY(activated);
    }
};

QTEST_MAIN(WineProcessesTest)
#include "WineProcessesTest.moc"
