#pragma once
// The display adapter on X11: the XRandR modes of the primary output, a hardware
// OpenGL renderer for bump mapping, and the primary output's size.

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/Interfaces.h"

class QByteArray;
class QProcess;
class QTimer;

namespace qm {

// The option that makes the program a bump-mapping helper: it prints the answer of
// PrintVertexShaderVersion and ends.
inline constexpr char kVertexShaderProbeOption[] = "--probe-vertex-shader";

// The helper's side: asks OpenGL in this process and prints "0x" and eight hexadecimal
// digits, or "none". Needs a QGuiApplication. Returns the exit status.
int PrintVertexShaderVersion();

// Reads what the helper printed; nothing for anything else.
std::optional<uint32_t> ParseVertexShaderAnswer(const QByteArray& output);

class XrandrDisplayProbe : public IDisplayProbe {
  public:
    XrandrDisplayProbe();
    ~XrandrDisplayProbe() override;
    XrandrDisplayProbe(const XrandrDisplayProbe&) = delete;
    XrandrDisplayProbe& operator=(const XrandrDisplayProbe&) = delete;

    // True when an X server answered on $DISPLAY.
    bool Available() override;
    // The primary output's modes in the server's order; every mode carries the screen's
    // depth, as X runs all modes of a screen at one depth.
    std::vector<DisplayMode> Modes() override;
    // Vertex shader 2.0 for a hardware OpenGL 2 renderer, 0 for a software rasteriser;
    // nothing when no OpenGL context can be made. Needs the Qt application object.
    // Asked in this process: it maps the OpenGL driver (without a GPU, a software
    // renderer of some 50 MB) into it for good.
    std::optional<uint32_t> VertexShaderVersion() override;
    // Asked of the helper program when one is set, else in this process. The first
    // answer is kept for the run; a helper that fails, crashes or has not answered
    // within the time limit (it is then killed) counts as a failed query.
    void AskVertexShaderVersion(std::function<void(std::optional<uint32_t>)> done) override;
    void SetVertexShaderHelper(QString program, QStringList arguments, int timeoutMs = 5000);

    // The OpenGL question itself, without an X connection of the probe's own.
    static std::optional<uint32_t> OpenGlVertexShaderVersion();
    // The primary output's current size; the whole screen, or Qt's primary screen, when
    // XRandR cannot tell.
    std::optional<std::pair<int, int>> DesktopSize() override;

  private:
    void Settle(std::optional<uint32_t> answer);

    void* display_ = nullptr;  // Display*, kept out of this header with the X11 macros
    QString helperProgram_;
    QStringList helperArguments_;
    int helperTimeoutMs_ = 5000;
    std::unique_ptr<QProcess> helper_;
    std::unique_ptr<QTimer> helperTimer_;
    std::optional<std::optional<uint32_t>> answer_;  // set once the question is settled
    std::vector<std::function<void(std::optional<uint32_t>)>> waiting_;
};

}  // namespace qm
