#pragma once
// What the display adapter offers the game settings tab: the full-screen resolutions
// in 24- and 32-bit colour, whether bump mapping can be offered, and the desktop size.
// The adapter itself is reached through IDisplayProbe; this file holds the rules.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/TraceLog.h"

namespace qm {

class IDisplayProbe;

struct Resolution {
    int16_t width = 0;
    int16_t height = 0;
    friend bool operator==(const Resolution&, const Resolution&) = default;
};

// Distinct resolutions in the adapter's order, index-aligned with the entries of the
// front-buffer combo box. Never sorted; LoadGameSettings may append one.
using DisplayModeList = std::vector<Resolution>;

// The combo box entry for a resolution: "1024 × 768".
std::u16string DisplayModeCaption(Resolution r);

struct DisplayProbeResult {
    DisplayModeList modes;
    bool displayModeFailed = false;  // the adapter listed no 24- or 32-bit mode
    bool available = false;          // the adapter answered: bump mapping may be asked
};

// Direct3D colour format codes the resolution list accepts.
inline constexpr int kFormatR8G8B8 = 20;
inline constexpr int kFormatX8R8G8B8 = 22;

// The start-up probe: the resolution list. A null or unavailable probe ends after the
// first trace line with an empty list and the failure flag clear. Bump mapping is the
// probe's second half (BumpMapAvailable), asked once the window is on the screen: on
// Linux the answer needs an OpenGL context, which is slow to make.
DisplayProbeResult CheckD3D(IDisplayProbe* probe, const TraceFn& trace);

// The answer to the vertex shader question (nothing: the query failed): true, with its
// trace line, when the bump-mapping box may be enabled.
bool BumpMapAvailable(std::optional<uint32_t> vertexShaderVersion, const TraceFn& trace);

// Appends the adapter's 24- and 32-bit resolutions to `list`, each once, at its first
// occurrence. Returns the failure flag: true when the adapter gave none.
bool CheckDisplayMode(IDisplayProbe& probe, const TraceFn& trace, DisplayModeList& list);

// The current desktop size, traced; (0, 0) when the probe cannot tell.
std::pair<int16_t, int16_t> GetDisplayMode(IDisplayProbe* probe, const TraceFn& trace);

}  // namespace qm
