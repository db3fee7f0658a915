// クイルモア: the editor's entry point. Builds the real platform services, runs the
// start-up steps and the window.

#include <QApplication>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <thread>

#include "QuillmorVersion.h"
#include "app/MainWindow.h"
#include "app/RealPlatform.h"
#include "app/Translations.h"
#include "app/WindowStyle.h"
#include "platform/QtImages.h"
#include "platform/linux/XrandrDisplayProbe.h"

#ifndef _WIN32
#include <fontconfig/fontconfig.h>
#endif

namespace {

// Runs `then` once, after the shown window's first expose has been painted, or after a
// second when no expose comes (a window system that keeps it hidden or minimised).
class FirstPictureWatch : public QObject {
  public:
    FirstPictureWatch(QWindow* window, std::function<void()> then)
        : QObject(window), then_(std::move(then)) {
        window->installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { Run(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The expose is painted right after this filter; `then` follows that.
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed())
            QTimer::singleShot(0, this, [this] { Run(); });
        return false;
    }

  private:
    void Run() {
        if (!then_) return;
        const std::function<void()> then = std::move(then_);
        then_ = nullptr;
        deleteLater();
        then();
    }

    std::function<void()> then_;
};

// Qt has fontconfig read the system's whole font configuration the first time it needs a
// font, a quarter of the work done before the window is first drawn. Started first, on
// a thread of its own, that reading runs beside Qt's connection to the display; Qt then
// finds the configuration loaded.
class FontConfigWarmUp {
  public:
#ifndef _WIN32
    FontConfigWarmUp() : thread_([] { FcInit(); }) {}
    ~FontConfigWarmUp() {
        Wait();
    }
    // Before the first font is looked up.
    void Wait() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::thread thread_;
#else
    void Wait() {}
#endif
};

void AfterFirstPicture(QWidget& shown, std::function<void()> then) {
    if (QWindow* window = shown.windowHandle())
        new FirstPictureWatch(window, std::move(then));
    else
        QTimer::singleShot(0, &shown, std::move(then));
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // Past a file-size limit a save's write fails with EFBIG and is reported, instead of
    // the editor ending with the player's edits unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Answered before Qt starts, so that it works without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("quillmor %.*s\n", int(qm::kProgramVersion.size()), qm::kProgramVersion.data());
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // The editor's own helper for the bump-mapping question (see RealPlatform).
    if (argc == 2 && std::strcmp(argv[1], qm::kVertexShaderProbeOption) == 0) {
        QGuiApplication helper(argc, argv);
        return qm::PrintVertexShaderVersion();
    }
    FontConfigWarmUp fontConfig;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmor"));
    // Lets the desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral("org.quillmor.Quillmor"));
    QApplication::setStyle(qm::NewWindowStyle());
    QApplication::setWindowIcon(
        QIcon(QPixmap::fromImage(qm::ReadPng(QStringLiteral(":/quillmor/icon.png")))));
    fontConfig.Wait();
    // Japanese text is everywhere (the previews, the player's macros): with the CJK family
    // as the window font, Qt need not search a fallback for the first Japanese character,
    // a good part of the start-up time.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP")});
    QApplication::setFont(font);

    qm::RealPlatform real;
    // The stored choice, else the system's language; Qt's dialogs follow. A change in the
    // language menu applies from the next start.
    qm::InstallTranslations(app, qm::StartupLanguage(*real.platform.registry, QLocale::system()));
    qm::wMenu window(real.platform);
    real.SetOwner(&window);
    if (!window.Form_Load()) return 0;  // another copy runs and was brought forward
    window.show();
    // The folder picker is slow to build; the window is drawn first.
    AfterFirstPicture(window, [&window] { window.FinishStartup(); });
    return app.exec();
}
