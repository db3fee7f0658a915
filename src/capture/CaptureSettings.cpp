#include "capture/CaptureSettings.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "settings/NumberText.h"
#include "settings/ToolPreferences.h"

namespace qm {

namespace {

std::u16string DecimalText(int64_t value) {
    const std::string ascii = std::to_string(value);
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

int64_t RoundedLeadingNumber(std::u16string_view text) {
    const double value = LeadingNumber(text);
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    if (!(value > kLow)) return std::numeric_limits<int32_t>::min();
    if (!(value < kHigh)) return std::numeric_limits<int32_t>::max();
    // The default floating-point rounding mode rounds halves to even.
    return static_cast<int64_t>(std::nearbyint(value));
}

void ApplyIntervalText(ToolPreferences& prefs, std::u16string_view text) {
    int64_t seconds = RoundedLeadingNumber(text);
    if (seconds <= 0) return;
    if (seconds > kMaxCaptureIntervalSeconds) seconds = kMaxCaptureIntervalSeconds;
    prefs.CaptureInterval = static_cast<int32_t>(seconds * 1000);
}

std::optional<std::u16string> CommitIntervalText(ToolPreferences& prefs, std::u16string_view text) {
    int64_t seconds = RoundedLeadingNumber(text);
    std::optional<std::u16string> shown;
    if (seconds < 1) {
        seconds = 1;
        shown = DecimalText(seconds);
    } else if (seconds > kMaxCaptureIntervalSeconds) {
        seconds = kMaxCaptureIntervalSeconds;
        shown = DecimalText(seconds);
    }
    prefs.CaptureInterval = static_cast<int32_t>(seconds * 1000);
    return shown;
}

void ApplyKeyCodeText(ToolPreferences& prefs, std::u16string_view text) {
    const int64_t code = RoundedLeadingNumber(text);
    prefs.CaptureKeyCode =
        (code >= 1 && code <= kMaxCaptureKeyCode) ? static_cast<int16_t>(code) : int16_t{0};
}

std::u16string IntervalTextFor(int32_t intervalMs) {
    return DecimalText(intervalMs / 1000);
}

}  // namespace qm
