// The Linux capture backends against a real X server (run under Xvfb).

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <vector>

#include "capture/CaptureEngine.h"
#include "platform/linux/QtImageWriter.h"
#include "platform/linux/QtScreenGrabber.h"
#include "platform/linux/X11KeyState.h"
#include "platform/linux/X11Windows.h"
#include "settings/ToolPreferences.h"
#include "support/ReasonText.h"

using namespace qm;

namespace {

const QString kTargetTitle = QStringLiteral("クイルモア grab target");

bool Xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

}  // namespace

class CaptureX11Test : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void keyStateSeesKeysHeldDown();
    void tapsBetweenTwoQueriesAreEachSeenOnce();
    void findsTopLevelWindowsByClassAndTitle();
    void grabStartsAtTheGameWindowsClientOrigin();
    void grabTakesTheWholeScreenWithoutTheGame();
    void shotsAreWrittenAsJpegAndBmpOfTheScreensSize();
    void unwritableShotIsReportedAndLeavesNoFile();

  private:
    QWidget* target_ = nullptr;
    X11Windows windows_;
};

void CaptureX11Test::initTestCase() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb") || !windows_.Connected()) {
        QSKIP("needs an X display (run under Xvfb with QT_QPA_PLATFORM=xcb)");
    }
    target_ = new QWidget;
    target_->setWindowTitle(kTargetTitle);
    target_->setAutoFillBackground(true);
    QPalette palette = target_->palette();
    palette.setColor(QPalette::Window, Qt::red);
    target_->setPalette(palette);
    target_->setGeometry(100, 60, 200, 100);
    target_->show();
    QVERIFY(QTest::qWaitForWindowExposed(target_));
    QTest::qWait(200);  // let the server draw it
}

void CaptureX11Test::cleanupTestCase() {
    delete target_;
}

void CaptureX11Test::keyStateSeesKeysHeldDown() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("xdotool is not installed");
    }
    X11KeyState keys;
    QVERIFY(keys.Connected());
    const struct {
        int vk;
        const char* keysym;
    } cases[] = {{65, "a"}, {44, "Print"}, {112, "F1"}, {16, "shift"}, {53, "5"}};
    for (const auto& c : cases) {
        const QString key = QString::fromLatin1(c.keysym);
        QCOMPARE(keys.GetAsyncKeyState(c.vk), int16_t{0});
        QVERIFY(Xdotool({QStringLiteral("keydown"), key}));
        QTest::qWait(20);
        // Down, and pressed since the last query; then only down.
        QCOMPARE(keys.GetAsyncKeyState(c.vk), static_cast<int16_t>(0x8001));
        QCOMPARE(keys.GetAsyncKeyState(c.vk), static_cast<int16_t>(0x8000));
        QCOMPARE(keys.GetAsyncKeyState(c.vk == 65 ? 66 : 65), int16_t{0});
        QVERIFY(Xdotool({QStringLiteral("keyup"), key}));
        QCOMPARE(keys.GetAsyncKeyState(c.vk), int16_t{0});
    }
    QCOMPARE(keys.GetAsyncKeyState(0), int16_t{0});
    QCOMPARE(keys.GetAsyncKeyState(255), int16_t{0});
}

// Taps far shorter than the capture key's 100 ms poll, each wholly between two queries.
void CaptureX11Test::tapsBetweenTwoQueriesAreEachSeenOnce() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("xdotool is not installed");
    }
    X11KeyState keys;
    QVERIFY(keys.LatchesPresses());
    // The code the capture key uses by default, the left Shift by its two codes, and A.
    const struct {
        QString keysym;
        std::vector<int> codes;
    } cases[] = {{QStringLiteral("Print"), {44}},
                 {QStringLiteral("Shift_L"), {16, 160}},
                 {QStringLiteral("a"), {65}}};
    for (const auto& c : cases) {
        for (int vk : c.codes) keys.GetAsyncKeyState(vk);  // forget earlier presses
        for (int tap = 0; tap < 6; ++tap) {
            QVERIFY(Xdotool({QStringLiteral("keydown"), c.keysym, QStringLiteral("sleep"),
                             QStringLiteral("0.01"), QStringLiteral("keyup"), c.keysym}));
            QTest::qWait(20);  // let the server pass the events on
            for (int vk : c.codes) {
                QCOMPARE(keys.GetAsyncKeyState(vk), int16_t{1});  // pressed, and up again
                QCOMPARE(keys.GetAsyncKeyState(vk), int16_t{0});  // seen once only
            }
            QCOMPARE(keys.GetAsyncKeyState(c.codes[0] == 65 ? 66 : 65), int16_t{0});
        }
    }
}

void CaptureX11Test::findsTopLevelWindowsByClassAndTitle() {
    const auto byTitle = windows_.FindByTitle(kTargetTitle.toStdU16String());
    QVERIFY(byTitle.has_value());
    QCOMPARE(*byTitle, static_cast<X11WindowId>(target_->winId()));
    QVERIFY(windows_.Viewable(*byTitle));

    // Qt names its windows' class after the program, in whatever case.
    const QByteArray name = QCoreApplication::applicationName().toUpper().toLatin1();
    const auto byClass = windows_.FindByClass(name.toStdString());
    QVERIFY(byClass.has_value());
    QCOMPARE(*byClass, *byTitle);

    QVERIFY(!windows_.FindByTitle(u"no such window").has_value());
    QVERIFY(!windows_.FindByClass("NoSuchClass").has_value());

    const auto where = windows_.ClientGeometry(*byTitle);
    QVERIFY(where.has_value());
    QCOMPARE(where->x, 100);
    QCOMPARE(where->y, 60);
    QCOMPARE(where->width, 200);
    QCOMPARE(where->height, 100);

    QVERIFY(windows_.Activate(*byTitle));
    QVERIFY(!windows_.Activate(0x7ffffff0));  // no such window: refused, not fatal
    QVERIFY(!windows_.ClientGeometry(0x7ffffff0).has_value());
}

void CaptureX11Test::grabStartsAtTheGameWindowsClientOrigin() {
    QtScreenGrabber grabber(&windows_);
    grabber.SetGameWindow("NoSuchClass", kTargetTitle.toStdU16String());
    const ScreenImage image = grabber.GrabGameOrScreen();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QCOMPARE(image.width, screen.width());
    QCOMPARE(image.height, screen.height());

    auto at = [&](int x, int y) {
        return image.pixels[static_cast<std::size_t>(y) * image.width + x];
    };
    QCOMPARE(at(0, 0), 0xffff0000u);
    QCOMPARE(at(199, 99), 0xffff0000u);
    QVERIFY(at(200, 0) != 0xffff0000u);
    // The block runs past the screen's edge there: black.
    QCOMPARE(at(image.width - 1, image.height - 1), 0xff000000u);
}

void CaptureX11Test::grabTakesTheWholeScreenWithoutTheGame() {
    QtScreenGrabber grabber(&windows_);
    grabber.SetGameWindow("NoSuchClass", u"no such window");
    const ScreenImage image = grabber.GrabGameOrScreen();
    QCOMPARE(image.width, 1024);
    QCOMPARE(image.height, 768);
    QCOMPARE(image.pixels[60 * 1024 + 100], 0xffff0000u);
    QVERIFY(image.pixels[0] != 0xffff0000u);
}

void CaptureX11Test::shotsAreWrittenAsJpegAndBmpOfTheScreensSize() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ToolPreferences prefs;
    prefs.CapturePath = dir.path().toStdU16String();
    prefs.LockCaptureName = 1;
    prefs.CaptureName = u"画面";
    QtScreenGrabber grabber(nullptr);
    QtImageWriter writer;

    prefs.SaveAsJpeg = 1;
    prefs.JpegQuality = 100;
    const ShotResult best = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, grabber, writer);
    QVERIFY2(best.ok, qm::test::Describe(best.error).c_str());
    const QString jpegPath = QString::fromStdU16String(best.file);
    QVERIFY(jpegPath.endsWith(QStringLiteral("/画面.jpg")));
    const qint64 bestSize = QFileInfo(jpegPath).size();
    QImage jpeg(jpegPath, "JPEG");
    QCOMPARE(jpeg.size(), QSize(1024, 768));
    const QColor red = jpeg.pixelColor(150, 100);
    QVERIFY(red.red() > 200 && red.green() < 60 && red.blue() < 60);

    prefs.JpegQuality = 10;
    QVERIFY(TakeScreenshot(CaptureBasePath(prefs, {}), prefs, grabber, writer).ok);
    QVERIFY(QFileInfo(jpegPath).size() < bestSize);

    prefs.SaveAsJpeg = 0;
    const ShotResult bmpShot = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, grabber, writer);
    QVERIFY(bmpShot.ok);
    QFile bmpFile(QString::fromStdU16String(bmpShot.file));
    QVERIFY(bmpFile.open(QIODevice::ReadOnly));
    QCOMPARE(bmpFile.read(2), QByteArrayLiteral("BM"));
    bmpFile.close();
    QImage bmp(bmpFile.fileName(), "BMP");
    QCOMPARE(bmp.size(), QSize(1024, 768));
    QCOMPARE(bmp.pixelColor(150, 100), QColor(Qt::red));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no temporary files left
}

void CaptureX11Test::unwritableShotIsReportedAndLeavesNoFile() {
    QTemporaryDir dir;
    QFile blocker(dir.path() + QStringLiteral("/blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ToolPreferences prefs;
    // A capture folder that cannot be made: below a plain file.
    prefs.CapturePath = (dir.path() + QStringLiteral("/blocker/shots")).toStdU16String();
    QtScreenGrabber grabber(nullptr);
    QtImageWriter writer;
    const ShotResult shot =
        TakeScreenshot(CaptureBasePath(prefs, {2004, 5, 6, 21, 7, 3}), prefs, grabber, writer);
    QVERIFY(!shot.ok);
    QVERIFY(shot.error.subject.find(prefs.CapturePath) != std::u16string::npos);
    QVERIFY(!QFileInfo::exists(QString::fromStdU16String(shot.file)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
}

QTEST_MAIN(CaptureX11Test)
#include "CaptureX11Test.moc"
