#pragma once
// The display adapter on X11: the XRandR modes of the primary output, a hardware
// OpenGL renderer for bump mapping, and the primary output's size.

#include "platform/Interfaces.h"

namespace qm {

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
    std::optional<uint32_t> VertexShaderVersion() override;
    // The primary output's current size; the whole screen, or Qt's primary screen, when
    // XRandR cannot tell.
    std::optional<std::pair<int, int>> DesktopSize() override;

  private:
    void* display_ = nullptr;  // Display*, kept out of this header with the X11 macros
};

}  // namespace qm
