#pragma once
// What the interval and key-code boxes of the screenshot tab accept.
//
// Both read the leading number of their text ("12abc" is 12, "1.5" is 1.5, "abc" and ""
// are 0) and round it half to even (1.5 and 2.5 are both 2).
//
// Limits: the interval is 1 to 86400 seconds (one day); larger numbers count as one day.
// The key code is a virtual-key code 1 to 254; anything else, negative or larger, stores 0,
// which names no key and never fires.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include "settings/NumberText.h"

namespace qm {

struct ToolPreferences;

inline constexpr int32_t kMaxCaptureIntervalSeconds = 86400;
inline constexpr int16_t kMaxCaptureKeyCode = 254;
inline constexpr int16_t kPrintScreenKeyCode = 44;

// LeadingNumber rounded half to even and held within the 32-bit range.
int64_t RoundedLeadingNumber(std::u16string_view text);

// While the interval text is typed: a positive number of seconds sets CaptureInterval;
// zero, negative or no number leaves it unchanged.
void ApplyIntervalText(ToolPreferences& prefs, std::u16string_view text);

// When the interval box is left: below 1 becomes 1, above the limit becomes the limit, and
// CaptureInterval is set. Returns the text the box must show instead, when it must change.
std::optional<std::u16string> CommitIntervalText(ToolPreferences& prefs, std::u16string_view text);

// The key-code text sets CaptureKeyCode (0 outside 1 to 254).
void ApplyKeyCodeText(ToolPreferences& prefs, std::u16string_view text);

// The interval box's text for a stored interval: whole seconds, fraction dropped.
std::u16string IntervalTextFor(int32_t intervalMs);

}  // namespace qm
