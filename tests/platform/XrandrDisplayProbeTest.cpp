// The X11 display probe against real virtual X servers (Xvfb), one per screen depth.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

#include "config/DisplayProbe.h"
#include "platform/linux/XrandrDisplayProbe.h"

namespace {

// A private Xvfb on a free display number, gone with the object.
class Xvfb {
  public:
    explicit Xvfb(const QString& screen) {
        process_.setProgram(QStringLiteral("Xvfb"));
        process_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                               QStringLiteral("-screen"), QStringLiteral("0"), screen,
                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start();
        if (!process_.waitForStarted(5000)) return;
        QByteArray out;
        while (!out.contains('\n') && process_.waitForReadyRead(10000))
            out += process_.readAllStandardOutput();
        if (!out.trimmed().isEmpty()) display_ = QByteArray(":") + out.trimmed();
    }
    ~Xvfb() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(3000);
    }
    const QByteArray& display() const { return display_; }

  private:
    QProcess process_;
    QByteArray display_;
};

QByteArray appDisplay;  // the display the application runs on

// Asks the probe and waits for its answer (at most 20 s).
struct Answer {
    bool came = false;
    std::optional<uint32_t> version;
    qint64 afterMs = 0;
};
Answer Ask(qm::XrandrDisplayProbe& probe) {
    auto answer = std::make_shared<Answer>();
    QElapsedTimer clock;
    clock.start();
    probe.AskVertexShaderVersion([answer, &clock](std::optional<uint32_t> v) {
        answer->came = true;
        answer->version = v;
        answer->afterMs = clock.elapsed();
    });
    if (!QTest::qWaitFor([&] { return answer->came; }, 20000)) return {};
    return *answer;
}

// The probe reads $DISPLAY when it is made.
std::unique_ptr<qm::XrandrDisplayProbe> ProbeOn(const QByteArray& display) {
    qputenv("DISPLAY", display);
    return std::make_unique<qm::XrandrDisplayProbe>();
}

}  // namespace

class XrandrDisplayProbeTest : public QObject {
    Q_OBJECT

  private slots:
    void listsTheVirtualScreenModeAndDesktopSize() {
        Xvfb server(QStringLiteral("1280x1024x24"));
        if (server.display().isEmpty()) QSKIP("Xvfb could not be started");
        auto probe = ProbeOn(server.display());
        QVERIFY(probe->Available());

        const std::vector<qm::DisplayMode> modes = probe->Modes();
        QVERIFY(!modes.empty());
        bool listed = false;
        for (const auto& m : modes) {
            QCOMPARE(m.format, qm::kFormatX8R8G8B8);
            QCOMPARE(m.bitsPerPixel, 32);
            listed = listed || (m.width == 1280 && m.height == 1024);
        }
        QVERIFY(listed);
        QCOMPARE(probe->DesktopSize(), (std::optional<std::pair<int, int>>{{1280, 1024}}));

        std::vector<std::u16string> trace;
        const qm::TraceFn fn = [&](std::u16string_view t) { trace.emplace_back(t); };
        const qm::DisplayProbeResult r = qm::CheckD3D(probe.get(), fn);
        QVERIFY(!r.displayModeFailed);
        QVERIFY(std::find(r.modes.begin(), r.modes.end(), qm::Resolution{1280, 1024}) !=
                r.modes.end());
        qm::GetDisplayMode(probe.get(), fn);
        QVERIFY(trace.back() == u"Returns 1280, 1024");
    }

    void sixteenBitScreenOffersNoUsableMode() {
        Xvfb server(QStringLiteral("800x600x16"));
        if (server.display().isEmpty()) QSKIP("Xvfb could not be started");
        auto probe = ProbeOn(server.display());
        const std::vector<qm::DisplayMode> modes = probe->Modes();
        QVERIFY(!modes.empty());
        for (const auto& m : modes) QCOMPARE(m.bitsPerPixel, 16);

        std::vector<std::u16string> trace;
        const qm::DisplayProbeResult r =
            qm::CheckD3D(probe.get(), [&](std::u16string_view t) { trace.emplace_back(t); });
        QVERIFY(r.displayModeFailed);
        QVERIFY(r.modes.empty());
        QVERIFY(std::find(trace.begin(), trace.end(), u"ディスプレイ解像度の取得失敗") !=
                trace.end());
    }

    void softwareRasteriserIsNotHardware() {
        // The application runs on an Xvfb, whose OpenGL is at best Mesa's software renderer.
        qm::XrandrDisplayProbe probe;
        const std::optional<uint32_t> version = probe.VertexShaderVersion();
        if (QGuiApplication::platformName() == QStringLiteral("xcb"))
            QCOMPARE(version, std::optional<uint32_t>(0u));
        else if (version)
            QVERIFY((*version & 0xFFFFu) < 0x0101u);
    }

    void helperAnswersAreReadAndEveryFailureIsNoAnswer() {
        struct Row {
            const char* script;
            std::optional<uint32_t> expected;
        };
        const Row rows[] = {
            {"echo 0xFFFE0200", 0xFFFE0200u},
            {"printf '0x00000101'", 0x0101u},
            {"echo none", std::nullopt},
            {"echo 0x101", std::nullopt},
            {"echo 0xFFFE0200zz", std::nullopt},
            {"echo; echo", std::nullopt},
            {"echo 0xFFFE0200; exit 3", std::nullopt},
            {"echo 0xFFFE0200; kill -SEGV $$", std::nullopt},
            {"echo 0xFFFE0200; exec sleep 30", std::nullopt},  // answers, but never ends
            {"exec sleep 30", std::nullopt},
        };
        for (const Row& row : rows) {
            qm::XrandrDisplayProbe probe;
            probe.SetVertexShaderHelper(QStringLiteral("/bin/sh"),
                                        {QStringLiteral("-c"), QString::fromLatin1(row.script)},
                                        1500);
            const Answer a = Ask(probe);
            QVERIFY2(a.came, row.script);
            QVERIFY2(a.version == row.expected, row.script);
            QVERIFY2(a.afterMs < 10000, row.script);
        }
        qm::XrandrDisplayProbe missing;
        missing.SetVertexShaderHelper(QStringLiteral("/nonexistent/quillmor"), {});
        QVERIFY(!Ask(missing).version);
    }

    void helperRunsOnceAndItsAnswerIsKept() {
        QTemporaryDir dir;
        const QString runs = dir.filePath(QStringLiteral("runs"));
        qm::XrandrDisplayProbe probe;
        probe.SetVertexShaderHelper(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("echo x >> '%1'; sleep 0.2; echo 0x00000300").arg(runs)});
        // A second question while the first waits joins it.
        int answers = 0;
        probe.AskVertexShaderVersion([&](std::optional<uint32_t> v) { answers += v == 0x0300u; });
        QCOMPARE(Ask(probe).version, std::optional<uint32_t>(0x0300u));
        QCOMPARE(answers, 1);
        QCOMPARE(Ask(probe).version, std::optional<uint32_t>(0x0300u));
        QFile file(runs);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("x\n"));
    }

    void thisProgramAsItsOwnHelper() {
        // The same answer as asking in this process, from a child run of this test program
        // on the application's display.
        qputenv("DISPLAY", appDisplay);
        qm::XrandrDisplayProbe probe;
        probe.SetVertexShaderHelper(QCoreApplication::applicationFilePath(),
                                    {QString::fromLatin1(qm::kVertexShaderProbeOption)});
        const Answer a = Ask(probe);
        QVERIFY(a.came);
        if (QGuiApplication::platformName() == QStringLiteral("xcb")) QVERIFY(a.version);
        QCOMPARE(a.version, qm::XrandrDisplayProbe::OpenGlVertexShaderVersion());
    }

    void noServerMeansNoAdapter() {
        auto probe = ProbeOn(QByteArrayLiteral(":65000"));
        QVERIFY(!probe->Available());
        QVERIFY(probe->Modes().empty());
        std::vector<std::u16string> trace;
        const qm::DisplayProbeResult r =
            qm::CheckD3D(probe.get(), [&](std::u16string_view t) { trace.emplace_back(t); });
        QVERIFY(r.modes.empty());
        QVERIFY(!r.displayModeFailed);
        QCOMPARE(trace.size(), size_t{1});
    }
};

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], qm::kVertexShaderProbeOption) == 0) {
        QGuiApplication helper(argc, argv);
        return qm::PrintVertexShaderVersion();
    }
    // The application gets an X server of its own when one can be started, so that the
    // OpenGL question is asked of a real (virtual) display.
    Xvfb appServer(QStringLiteral("1024x768x24"));
    if (!appServer.display().isEmpty()) {
        qputenv("DISPLAY", appServer.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    appDisplay = qgetenv("DISPLAY");
    QGuiApplication app(argc, argv);
    XrandrDisplayProbeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "XrandrDisplayProbeTest.moc"
