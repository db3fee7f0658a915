#include "capture/CaptureSettings.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "settings/ToolPreferences.h"

namespace qm {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::u16string DecimalText(int64_t value) {
    const std::string ascii = std::to_string(value);
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

double LeadingNumber(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;

    std::string ascii;  // what from_chars reads; it takes "-" but not "+"
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') ascii.push_back('-');
        ++i;
    }
    bool anyDigit = false;
    while (i < text.size() && IsDigit(text[i])) {
        ascii.push_back(static_cast<char>(text[i++]));
        anyDigit = true;
    }
    if (i < text.size() && text[i] == u'.') {
        ascii.push_back('.');
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ascii.push_back(static_cast<char>(text[i++]));
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;

    bool negativeExponent = false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
            negativeExponent = text[j] == u'-';
            if (negativeExponent) exponent.push_back('-');
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                exponent.push_back(static_cast<char>(text[j++]));
            ascii += exponent;
        } else {
            negativeExponent = false;
        }
    }

    double value = 0.0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too small is 0; too large is infinite with the number's sign.
        if (negativeExponent) return 0.0;
        return ascii[0] == '-' ? -std::numeric_limits<double>::infinity()
                               : std::numeric_limits<double>::infinity();
    }
    if (ec != std::errc()) return 0.0;
    return value;
}

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
