#include "platform/linux/XrandrDisplayProbe.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QProcess>
#include <QScreen>
#include <QString>
#include <QTimer>

#include <cstdio>

// After Qt: the X11 headers define macros (None, Bool, Status) that clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace qm {

namespace {

// Direct3D's codes for the layout a depth is shown in.
constexpr int kFormatX8R8G8B8 = 22;
constexpr int kFormatR5G6B5 = 23;
constexpr int kFormatX1R5G5B5 = 24;
constexpr int kFormatP8 = 41;

DisplayMode ModeAtDepth(int width, int height, int depth) {
    DisplayMode m{width, height, 0, 0};
    switch (depth) {
        case 24:
        case 32:
        case 30:  // deep-colour screens still run 32-bit programs at 8 bits a channel
            m.bitsPerPixel = 32;
            m.format = kFormatX8R8G8B8;
            break;
        case 16:
            m.bitsPerPixel = 16;
            m.format = kFormatR5G6B5;
            break;
        case 15:
            m.bitsPerPixel = 16;
            m.format = kFormatX1R5G5B5;
            break;
        case 8:
            m.bitsPerPixel = 8;
            m.format = kFormatP8;
            break;
        default:
            m.bitsPerPixel = depth;
            break;
    }
    return m;
}

// Output lists and primary outputs need XRandR 1.3.
bool HasRandr13(Display* dpy) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(dpy, &eventBase, &errorBase)) return false;
    if (!XRRQueryVersion(dpy, &major, &minor)) return false;
    return major > 1 || (major == 1 && minor >= 3);
}

class Resources {
  public:
    Resources(Display* dpy, Window root) {
        // The current configuration avoids a slow probe of every connector; a server that
        // has not probed yet reports no modes, then the full query is worth its time.
        res_ = XRRGetScreenResourcesCurrent(dpy, root);
        if (res_ == nullptr || res_->nmode == 0) {
            if (res_ != nullptr) XRRFreeScreenResources(res_);
            res_ = XRRGetScreenResources(dpy, root);
        }
    }
    ~Resources() {
        if (res_ != nullptr) XRRFreeScreenResources(res_);
    }
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;
    XRRScreenResources* get() const { return res_; }

  private:
    XRRScreenResources* res_ = nullptr;
};

class OutputInfo {
  public:
    OutputInfo(Display* dpy, XRRScreenResources* res, RROutput output)
        : info_(XRRGetOutputInfo(dpy, res, output)) {}
    ~OutputInfo() {
        if (info_ != nullptr) XRRFreeOutputInfo(info_);
    }
    OutputInfo(const OutputInfo&) = delete;
    OutputInfo& operator=(const OutputInfo&) = delete;
    XRROutputInfo* get() const { return info_; }

  private:
    XRROutputInfo* info_;
};

// The primary output; without one set, the first connected output that shows a
// picture, else the first connected one.
RROutput PrimaryOutput(Display* dpy, Window root, XRRScreenResources* res) {
    const RROutput primary = XRRGetOutputPrimary(dpy, root);
    for (int i = 0; i < res->noutput; ++i)
        if (primary != None && res->outputs[i] == primary) return primary;
    RROutput fallback = None;
    for (int i = 0; i < res->noutput; ++i) {
        OutputInfo info(dpy, res, res->outputs[i]);
        if (info.get() == nullptr || info.get()->connection != RR_Connected) continue;
        if (info.get()->crtc != None) return res->outputs[i];
        if (fallback == None) fallback = res->outputs[i];
    }
    return fallback;
}

std::optional<std::pair<int, int>> QtPrimaryScreenSize() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return std::nullopt;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return std::nullopt;
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    return std::pair{size.width(), size.height()};
}

bool IsSoftwareRenderer(const QString& renderer) {
    const QString r = renderer.toLower();
    for (const char* name :
         {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader", "gdi generic"})
        if (r.contains(QLatin1String(name))) return true;
    return false;
}

}  // namespace

XrandrDisplayProbe::XrandrDisplayProbe() : display_(XOpenDisplay(nullptr)) {}

XrandrDisplayProbe::~XrandrDisplayProbe() {
    if (helper_) helper_->disconnect();  // its destructor kills a helper still running
    if (display_ != nullptr) XCloseDisplay(static_cast<Display*>(display_));
}

bool XrandrDisplayProbe::Available() {
    return display_ != nullptr;
}

std::vector<DisplayMode> XrandrDisplayProbe::Modes() {
    std::vector<DisplayMode> modes;
    auto* dpy = static_cast<Display*>(display_);
    if (dpy == nullptr) return modes;
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    const int depth = DefaultDepth(dpy, screen);

    if (HasRandr13(dpy)) {
        Resources res(dpy, root);
        if (res.get() != nullptr) {
            const RROutput output = PrimaryOutput(dpy, root, res.get());
            if (output != None) {
                OutputInfo info(dpy, res.get(), output);
                for (int i = 0; info.get() != nullptr && i < info.get()->nmode; ++i) {
                    for (int j = 0; j < res.get()->nmode; ++j) {
                        const XRRModeInfo& m = res.get()->modes[j];
                        if (m.id != info.get()->modes[i]) continue;
                        modes.push_back(ModeAtDepth(static_cast<int>(m.width),
                                                    static_cast<int>(m.height), depth));
                        break;
                    }
                }
            }
        }
        if (!modes.empty()) return modes;
    }

    // Older servers: the screen's list of sizes.
    int eventBase = 0, errorBase = 0;
    if (XRRQueryExtension(dpy, &eventBase, &errorBase)) {
        int count = 0;
        const XRRScreenSize* sizes = XRRSizes(dpy, screen, &count);
        for (int i = 0; sizes != nullptr && i < count; ++i)
            modes.push_back(ModeAtDepth(sizes[i].width, sizes[i].height, depth));
    }
    // Without XRandR the screen has the one mode it runs in.
    if (modes.empty())
        modes.push_back(ModeAtDepth(DisplayWidth(dpy, screen), DisplayHeight(dpy, screen), depth));
    return modes;
}

std::optional<uint32_t> XrandrDisplayProbe::VertexShaderVersion() {
    return OpenGlVertexShaderVersion();
}

std::optional<uint32_t> XrandrDisplayProbe::OpenGlVertexShaderVersion() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return std::nullopt;
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;  // destroyed before the surface
    if (!context.create() || !context.makeCurrent(&surface)) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const QString renderer = text != nullptr ? QString::fromLatin1(text) : QString();
    const int major = context.format().majorVersion();
    context.doneCurrent();
    if (renderer.isEmpty()) return std::nullopt;
    if (IsSoftwareRenderer(renderer)) return 0u;
    // Direct3D's version tokens: OpenGL 2 hardware runs vertex shaders 2.0.
    return major >= 2 ? 0xFFFE0200u : 0xFFFE0100u;
}

void XrandrDisplayProbe::SetVertexShaderHelper(QString program, QStringList arguments,
                                               int timeoutMs) {
    helperProgram_ = std::move(program);
    helperArguments_ = std::move(arguments);
    helperTimeoutMs_ = timeoutMs;
}

void XrandrDisplayProbe::AskVertexShaderVersion(std::function<void(std::optional<uint32_t>)> done) {
    if (answer_) {
        done(*answer_);
        return;
    }
    waiting_.push_back(std::move(done));
    if (helper_) return;  // already asked
    if (helperProgram_.isEmpty()) {
        Settle(VertexShaderVersion());
        return;
    }
    helper_ = std::make_unique<QProcess>();
    helper_->setProgram(helperProgram_);
    helper_->setArguments(helperArguments_);
    helper_->setProcessChannelMode(QProcess::ForwardedErrorChannel);  // driver warnings
    QProcess* process = helper_.get();
    QObject::connect(process, &QProcess::finished, process,
                     [this, process](int code, QProcess::ExitStatus status) {
                         std::optional<uint32_t> answer;
                         if (status == QProcess::NormalExit && code == 0)
                             answer = ParseVertexShaderAnswer(process->readAllStandardOutput());
                         Settle(answer);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) Settle(std::nullopt);
    });
    helperTimer_ = std::make_unique<QTimer>();
    helperTimer_->setSingleShot(true);
    QObject::connect(helperTimer_.get(), &QTimer::timeout, helperTimer_.get(),
                     [this] { Settle(std::nullopt); });
    helperTimer_->start(helperTimeoutMs_);
    process->start();
}

void XrandrDisplayProbe::Settle(std::optional<uint32_t> answer) {
    if (answer_) return;
    answer_ = answer;
    if (helperTimer_) helperTimer_->stop();
    if (helper_) {
        // This may run inside one of the helper's own signals: it goes away later.
        QProcess* process = helper_.release();
        process->disconnect();
        if (process->state() != QProcess::NotRunning) {
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
            process->kill();
        } else {
            process->deleteLater();
        }
    }
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& done : waiting) done(answer);
}

std::optional<uint32_t> ParseVertexShaderAnswer(const QByteArray& output) {
    const QByteArray text = output.trimmed();
    if (!text.startsWith("0x") || text.size() != 10) return std::nullopt;
    bool ok = false;
    const uint value = text.mid(2).toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return static_cast<uint32_t>(value);
}

int PrintVertexShaderVersion() {
    const std::optional<uint32_t> version = XrandrDisplayProbe::OpenGlVertexShaderVersion();
    if (version)
        std::printf("0x%08X\n", static_cast<unsigned>(*version));
    else
        std::printf("none\n");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

std::optional<std::pair<int, int>> XrandrDisplayProbe::DesktopSize() {
    auto* dpy = static_cast<Display*>(display_);
    if (dpy == nullptr) return QtPrimaryScreenSize();
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    if (HasRandr13(dpy)) {
        Resources res(dpy, root);
        if (res.get() != nullptr) {
            const RROutput output = PrimaryOutput(dpy, root, res.get());
            if (output != None) {
                OutputInfo info(dpy, res.get(), output);
                if (info.get() != nullptr && info.get()->crtc != None) {
                    XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy, res.get(), info.get()->crtc);
                    if (crtc != nullptr) {
                        const std::pair<int, int> size{static_cast<int>(crtc->width),
                                                       static_cast<int>(crtc->height)};
                        XRRFreeCrtcInfo(crtc);
                        if (size.first > 0 && size.second > 0) return size;
                    }
                }
            }
        }
    }
    return std::pair{DisplayWidth(dpy, screen), DisplayHeight(dpy, screen)};
}

}  // namespace qm
