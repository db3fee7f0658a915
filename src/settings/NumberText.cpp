#include "settings/NumberText.h"

#include <charconv>
#include <limits>
#include <string>

namespace qm {

namespace {

// Full-width forms typed through an input method read as their ASCII counterparts.
char16_t Narrow(char16_t c) {
    if (c >= u'０' && c <= u'９') return static_cast<char16_t>(u'0' + (c - u'０'));
    switch (c) {
        case u'＋':
            return u'+';
        case u'－':
        case u'−':
            return u'-';
        case u'．':
            return u'.';
        case u'ｅ':
            return u'e';
        case u'Ｅ':
            return u'E';
        case u'\u3000':
            return u' ';
        default:
            return c;
    }
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

double LeadingNumber(std::u16string_view typed) {
    std::u16string text;
    text.reserve(typed.size());
    for (char16_t c : typed) text.push_back(Narrow(c));
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

}  // namespace qm
