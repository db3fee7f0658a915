// The single-instance socket and the sound module that is loaded on the first sound.
#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/linux/LazySoundPlayer.h"
#include "platform/linux/LocalInstanceChannel.h"

namespace {

bool Mapped(const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

// A socket file nobody listens on, as a killed copy leaves it.
void LeaveStaleSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::unlink(path.c_str());
    QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    ::close(fd);
}

}  // namespace

class LinuxServicesTest : public QObject {
    Q_OBJECT
  private slots:
    void laterCopiesFindTheFirstAndBringItForward() {
        const QString name = QStringLiteral("quillmor-test-instance-%1").arg(::getpid());
        int activations = 0;
        auto first = std::make_unique<qm::LocalInstanceChannel>(name);
        LeaveStaleSocket(first->Path());
        QVERIFY(!first->AnotherCopyRunning([&] { ++activations; }));
        struct stat info {};
        QVERIFY(::stat(first->Path().c_str(), &info) == 0);
        QCOMPARE(info.st_mode & 077, 0u);  // nobody else may knock

        qm::LocalInstanceChannel second(name);
        QVERIFY(second.AnotherCopyRunning([] {}));
        QTest::qWait(50);
        QCOMPARE(activations, 0);  // asking is not knocking
        second.ActivateOtherCopy();
        QTRY_COMPARE(activations, 1);
        second.ActivateOtherCopy();
        QTRY_COMPARE(activations, 2);

        first.reset();
        QVERIFY(!QFile::exists(QString::fromStdString(second.Path())));
        qm::LocalInstanceChannel third(name);
        QVERIFY(!third.AnotherCopyRunning([] {}));
    }

    void qtMultimediaIsLoadedOnlyForTheFirstSound() {
        // The window library itself must not pull it (or Qt Network) into every start-up.
        QVERIFY(!Mapped("libQt6Multimedia"));
        QVERIFY(!Mapped("libQt6Network"));

        qm::LazySoundPlayer missing(QStringLiteral("/nonexistent/libquillmor_sound.so"));
        missing.Stop();
        missing.PlayAsync(u"/nonexistent.wav");
        QVERIFY(!missing.Loaded());

        qm::LazySoundPlayer player(QStringLiteral(QUILLMOR_SOUND_MODULE));
        player.Stop();
        QVERIFY(!player.Loaded());
        QVERIFY(!Mapped("libQt6Multimedia"));
        player.PlayAsync(u"/nonexistent.wav");
        QVERIFY(player.Loaded());
        QVERIFY(Mapped("libQt6Multimedia"));
        player.Stop();
    }
};

QTEST_GUILESS_MAIN(LinuxServicesTest)
#include "LinuxServicesTest.moc"
