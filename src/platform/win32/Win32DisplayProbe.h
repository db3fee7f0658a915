#pragma once
// The display adapter on Windows: the primary display's modes from the display
// settings enumeration, and the Direct3D 9 hardware device's vertex shader version.
#ifdef _WIN32

#include "platform/Interfaces.h"

namespace qm {

class Win32DisplayProbe : public IDisplayProbe {
  public:
    bool Available() override { return true; }
    // The primary display's modes in the enumeration's order; 24 and 32 bits per pixel
    // carry Direct3D's formats 20 and 22, others their own codes.
    std::vector<DisplayMode> Modes() override;
    // Nothing when Direct3D 9 is missing or has no hardware device.
    std::optional<uint32_t> VertexShaderVersion() override;
    std::optional<std::pair<int, int>> DesktopSize() override;
};

}  // namespace qm

#endif  // _WIN32
