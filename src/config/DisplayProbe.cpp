#include "config/DisplayProbe.h"

#include <algorithm>
#include <limits>

#include "platform/Interfaces.h"

namespace qm {

namespace {

void Trace(const TraceFn& trace, std::u16string_view text) {
    if (trace) trace(text);
}

std::u16string Decimal(int value) {
    std::u16string out;
    for (char c : std::to_string(value)) out.push_back(static_cast<char16_t>(c));
    return out;
}

bool FitsInt16(int v) {
    return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

}  // namespace

std::u16string DisplayModeCaption(Resolution r) {
    return Decimal(r.width) + u" × " + Decimal(r.height);
}

DisplayProbeResult CheckD3D(IDisplayProbe* probe, const TraceFn& trace) {
    DisplayProbeResult result;
    Trace(trace, u"CheckD3D()");
    if (probe == nullptr || !probe->Available()) return result;

    result.available = true;
    result.displayModeFailed = CheckDisplayMode(*probe, trace, result.modes);
    return result;
}

bool BumpMapAvailable(std::optional<uint32_t> version, const TraceFn& trace) {
    // Only the low word is the version (major in the high byte); 1.1 is the least the
    // game's bump mapping needs.
    if (!version || (*version & 0xFFFFu) < 0x0101u) return false;
    Trace(trace, u"BumpMap使用可能");
    return true;
}

bool CheckDisplayMode(IDisplayProbe& probe, const TraceFn& trace, DisplayModeList& list) {
    Trace(trace, u"CheckDisplayMode()");
    // Only the entries this call adds are searched for duplicates.
    const size_t first = list.size();
    size_t added = 0;
    for (const DisplayMode& mode : probe.Modes()) {
        if (mode.format != kFormatR8G8B8 && mode.format != kFormatX8R8G8B8) continue;
        // A size that does not fit the game's 16-bit values would be stored wrapped.
        if (!FitsInt16(mode.width) || !FitsInt16(mode.height)) continue;
        const Resolution r{static_cast<int16_t>(mode.width), static_cast<int16_t>(mode.height)};
        const auto begin = list.begin() + static_cast<std::ptrdiff_t>(first);
        if (std::find(begin, list.end(), r) != list.end()) continue;
        list.push_back(r);
        ++added;
    }
    if (added == 0) {
        Trace(trace, u"ディスプレイ解像度の取得失敗");
        return true;
    }
    return false;
}

std::pair<int16_t, int16_t> GetDisplayMode(IDisplayProbe* probe, const TraceFn& trace) {
    Trace(trace, u"GetDisplayMode()");
    std::pair<int16_t, int16_t> size{0, 0};
    if (probe != nullptr) {
        if (const auto desktop = probe->DesktopSize()) {
            // The caller keeps 16-bit numbers, as the adapter query gave them.
            size = {static_cast<int16_t>(desktop->first), static_cast<int16_t>(desktop->second)};
        }
    }
    Trace(trace, u"Returns " + Decimal(size.first) + u", " + Decimal(size.second));
    return size;
}

}  // namespace qm
