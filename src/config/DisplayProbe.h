#pragma once
// What the display adapter offers the game settings tab: the full-screen resolutions
// in 24- and 32-bit colour, whether bump mapping can be offered, and the desktop size.
// The adapter itself is reached through IDisplayProbe; this file holds the rules.

#include <cstdint>
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
    bool bumpMapAvailable = false;   // enables the bump-mapping check box
};

// Direct3D colour format codes the resolution list accepts.
inline constexpr int kFormatR8G8B8 = 20;
inline constexpr int kFormatX8R8G8B8 = 22;

// The start-up probe. A null or unavailable probe ends after the first trace line with an
// empty list, the failure flag clear and bump mapping off.
DisplayProbeResult CheckD3D(IDisplayProbe* probe, const TraceFn& trace);

// Appends the adapter's 24- and 32-bit resolutions to `list`, each once, at its first
// occurrence. Returns the failure flag: true when the adapter gave none.
bool CheckDisplayMode(IDisplayProbe& probe, const TraceFn& trace, DisplayModeList& list);

// The current desktop size, traced; (0, 0) when the probe cannot tell.
std::pair<int16_t, int16_t> GetDisplayMode(IDisplayProbe* probe, const TraceFn& trace);

}  // namespace qm
