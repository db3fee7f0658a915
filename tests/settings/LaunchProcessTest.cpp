// Starting the launcher and finding its window with the real Linux services.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>

#include "platform/linux/LinuxProcesses.h"
#include "platform/linux/X11Windows.h"
#include "support/TempDir.h"

using namespace qm;
using namespace qm::test;

namespace {

QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

void WriteScript(const std::filesystem::path& path, const std::string& body) {
    QFile file(Q(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(("#!/bin/sh\n" + body + "\n").c_str());
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

bool WaitForFile(const std::filesystem::path& path) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        if (std::filesystem::exists(path) && std::filesystem::file_size(path) > 0) return true;
        QTest::qWait(20);
    }
    return false;
}

// PATH for one test, restored afterwards.
struct ScopedPath {
    explicit ScopedPath(const std::string& value)
        : saved(std::getenv("PATH") ? std::getenv("PATH") : "") {
        setenv("PATH", value.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", saved.c_str(), 1); }
    std::string saved;
};

}  // namespace

class LaunchProcessTest : public QObject {
    Q_OBJECT
  private slots:
    void startsAProgramDetachedInItsFolder() {
        TempDir dir;
        std::filesystem::create_directories(dir.Path("launcher"));
        WriteScript(dir.Path("launcher/run"), "pwd > ran.txt");
        LinuxProcesses processes;
        Reason error;
        QVERIFY(processes.StartProcess(TextFromPath(dir.Path("launcher/run")), &error));
        QVERIFY(WaitForFile(dir.Path("launcher/ran.txt")));
    }

    void startsAWindowsProgramThroughWine() {
        TempDir dir;
        std::filesystem::create_directories(dir.Path("bin"));
        std::filesystem::create_directories(dir.Path("PlayOnline Viewer"));
        dir.Write("PlayOnline Viewer/pol.exe", {'M', 'Z'});
        // A stand-in for wine that records how it was called.
        WriteScript(dir.Path("bin/wine"),
                    "{ pwd; echo \"$1\"; } > \"" + dir.Path("wine.txt").string() + "\"");
        ScopedPath path(dir.Path("bin").string());
        LinuxProcesses processes;
        Reason error;
        QVERIFY(
            processes.StartProcess(TextFromPath(dir.Path("PlayOnline Viewer/pol.exe")), &error));
        QVERIFY(WaitForFile(dir.Path("wine.txt")));
        QFile log(Q(dir.Path("wine.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), Q(dir.Path("PlayOnline Viewer")));
        QCOMPARE(lines.value(1), Q(dir.Path("PlayOnline Viewer/pol.exe")));
    }

    void failuresComeWithAReason() {
        TempDir dir;
        dir.Write("pol.exe", {'M', 'Z'});
        dir.Write("notes.txt", {'x'});
        LinuxProcesses processes;
        Reason error;
        QVERIFY(!processes.StartProcess(TextFromPath(dir.Path("missing/pol.exe")), &error));
        QCOMPARE(error.kind, ReasonKind::ProgramMissing);
        error = {};
        QVERIFY(!processes.StartProcess(TextFromPath(dir.Path("notes.txt")), &error));
        QCOMPARE(error.kind, ReasonKind::ProgramNotExecutable);
        ScopedPath path(dir.Path("empty").string());  // no wine anywhere
        error = {};
        QVERIFY(!processes.StartProcess(TextFromPath(dir.Path("pol.exe")), &error));
        QCOMPARE(error.kind, ReasonKind::WineMissing);
    }

    void findsAndRaisesTheLaunchersWindow() {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display");
        const QString xmessage = QStandardPaths::findExecutable(QStringLiteral("xmessage"));
        if (xmessage.isEmpty()) QSKIP("needs xmessage to stand in for the launcher");
        // A connection held for the whole test: an X server that resets when its last
        // client leaves would otherwise refuse the stand-in launcher for a moment.
        X11Windows held;
        QVERIFY(held.Connected());
        LinuxProcesses processes;
        QVERIFY(!processes.ActivateLauncherWindow());

        QProcess launcher;
        launcher.start(xmessage, {QStringLiteral("-name"), QStringLiteral("PlayOnline"),
                                  QStringLiteral("PlayOnline")});
        QVERIFY(launcher.waitForStarted());
        bool found = false;
        QElapsedTimer timer;
        timer.start();
        // Generous: a loaded machine can take seconds to map a new window.
        while (!found && timer.elapsed() < 20000) {
            found = processes.ActivateLauncherWindow();
            if (!found) QTest::qWait(50);
        }
        launcher.kill();
        launcher.waitForFinished();
        QVERIFY(found);
    }
};

QTEST_MAIN(LaunchProcessTest)
#include "LaunchProcessTest.moc"
