#include "macro/Cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <algorithm>
#include <cerrno>

namespace qm {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

// Sorted by code point.
constexpr Cp932Difference kEncodeDifferences[] = {
    {u'\u0080', 0, {}},            // Windows: byte 0x80
    {u'\u00A2', 2, {0x81, 0x91}},  // CENT SIGN as FULLWIDTH CENT SIGN
    {u'\u00A3', 2, {0x81, 0x92}},  // POUND SIGN
    {u'\u00A5', 1, {0x5C}},        // YEN SIGN as the byte the game shows as yen
    {u'\u00AC', 2, {0x81, 0xCA}},  // NOT SIGN
    {u'\u2014', 2, {0x81, 0x5C}},  // EM DASH as the JIS dash
    {u'\u2016', 2, {0x81, 0x61}},  // DOUBLE VERTICAL LINE
    {u'\u203E', 1, {0x7E}},        // OVERLINE
    {u'\u2212', 2, {0x81, 0x7C}},  // MINUS SIGN
    {u'\u301C', 2, {0x81, 0x60}},  // WAVE DASH
    {u'\uF8F0', 0, {}},            // Windows: byte 0xA0
    {u'\uF8F1', 0, {}},            // Windows: byte 0xFD
    {u'\uF8F2', 0, {}},            // Windows: byte 0xFE
    {u'\uF8F3', 0, {}},            // Windows: byte 0xFF
};
constexpr uint8_t kUndecodableBytes[] = {0x80, 0xA0, 0xFD, 0xFE, 0xFF};

#ifndef _WIN32
// One iconv conversion descriptor per direction and thread; iconv keeps no state
// between calls for these stateless encodings, so reuse is safe.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts as much as it can; returns the errno that stopped it (0 when all done).
    int Run(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::size_t r = iconv(cd_, const_cast<char**>(&in), &inLeft, &out, &outLeft);
        return r == static_cast<std::size_t>(-1) ? errno : 0;
    }

  private:
    iconv_t cd_;
};

Converter& Decoder() {
    thread_local Converter c("UTF-16LE", "CP932");
    return c;
}
Converter& Encoder() {
    thread_local Converter c("CP932", "UTF-16LE");
    return c;
}
#endif

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

#ifndef _WIN32

std::u16string Cp932Decode(std::span<const uint8_t> bytes) {
    std::u16string result;
    if (bytes.empty()) return result;
    Converter& conv = Decoder();
    if (!conv.Valid()) {
        // Without a converter keep ASCII readable and mark the rest.
        for (uint8_t b : bytes) result.push_back(b < 0x80 ? char16_t(b) : kReplacement);
        return result;
    }
    std::string buffer(bytes.size() * 2 + 8, '\0');
    const char* in = reinterpret_cast<const char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        int err = conv.Run(in, inLeft, out, outLeft);
        std::size_t produced = buffer.size() - outLeft;
        for (std::size_t i = 0; i + 1 < produced; i += 2) {
            result.push_back(char16_t(uint8_t(buffer[i]) | (uint8_t(buffer[i + 1]) << 8)));
        }
        if (err == 0 || err == E2BIG) continue;
        // An invalid sequence: replace its first byte and resynchronise on the next one.
        // A lead byte cut off at the end (EINVAL) ends the text with one replacement.
        result.push_back(kReplacement);
        if (err == EINVAL) break;
        ++in;
        --inLeft;
    }
    return result;
}

std::vector<uint8_t> Cp932Encode(std::u16string_view text) {
    std::vector<uint8_t> result;
    if (text.empty()) return result;
    Converter& conv = Encoder();
    std::string buffer(text.size() * 2 + 8, '\0');
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Find the longest run without lone surrogates; iconv rejects those anyway.
        std::size_t end = pos;
        while (end < text.size()) {
            char16_t c = text[end];
            if (IsHighSurrogate(c)) {
                if (end + 1 < text.size() && IsLowSurrogate(text[end + 1])) {
                    end += 2;
                    continue;
                }
                break;
            }
            if (IsLowSurrogate(c)) break;
            ++end;
        }
        std::string utf16;
        utf16.reserve((end - pos) * 2);
        for (std::size_t i = pos; i < end; ++i) {
            utf16.push_back(char(text[i] & 0xFF));
            utf16.push_back(char(text[i] >> 8));
        }
        const char* in = utf16.data();
        std::size_t inLeft = utf16.size();
        while (inLeft > 0 && conv.Valid()) {
            char* out = buffer.data();
            std::size_t outLeft = buffer.size();
            int err = conv.Run(in, inLeft, out, outLeft);
            result.insert(result.end(), buffer.data(), out);
            if (err == 0 || err == E2BIG) continue;
            // No CP932 form: one "?" for the character (a surrogate pair is one character).
            result.push_back('?');
            char16_t c = char16_t(uint8_t(in[0]) | (uint8_t(in[1]) << 8));
            std::size_t skip = (IsHighSurrogate(c) && inLeft >= 4) ? 4 : 2;
            in += skip;
            inLeft -= skip;
        }
        if (!conv.Valid()) {
            for (std::size_t i = pos; i < end; ++i)
                result.push_back(text[i] < 0x80 ? uint8_t(text[i]) : '?');
        }
        pos = end;
        if (pos < text.size()) {
            result.push_back('?');  // the lone surrogate
            ++pos;
        }
    }
    return result;
}

#else  // _WIN32

std::u16string Cp932Decode(std::span<const uint8_t> bytes) {
    std::u16string result;
    if (bytes.empty()) return result;
    // Without MB_ERR_INVALID_CHARS Windows maps invalid bytes to U+30FB or its defaults;
    // convert sequence by sequence so that each invalid one becomes U+FFFD instead.
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (std::ranges::find(kUndecodableBytes, bytes[i]) != std::end(kUndecodableBytes)) {
            result.push_back(kReplacement);
            ++i;
            continue;
        }
        int len = IsDBCSLeadByteEx(932, bytes[i]) ? 2 : 1;
        if (i + len > bytes.size()) {
            result.push_back(kReplacement);
            break;
        }
        wchar_t w[2];
        int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS,
                                    reinterpret_cast<const char*>(bytes.data() + i), len, w, 2);
        if (n <= 0) {
            result.push_back(kReplacement);
            i += 1;
            continue;
        }
        result.append(reinterpret_cast<const char16_t*>(w), n);
        i += len;
    }
    return result;
}

std::vector<uint8_t> Cp932Encode(std::u16string_view text) {
    std::vector<uint8_t> result;
    result.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            // CP932 has nothing outside the BMP: one "?" for a pair, as for a lone half.
            if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
            result.push_back('?');
            continue;
        }
        auto row = std::ranges::lower_bound(kEncodeDifferences, c, {}, &Cp932Difference::unicode);
        if (row != std::end(kEncodeDifferences) && row->unicode == c) {
            if (row->length == 0) result.push_back('?');
            result.insert(result.end(), row->bytes, row->bytes + row->length);
            continue;
        }
        // No best-fit look-alikes ("e" for "é"): a character without a form of its own
        // takes the default character, which is reported.
        const wchar_t w = wchar_t(c);
        char out[2];
        BOOL usedDefault = FALSE;
        const int n =
            WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &w, 1, out, 2, nullptr, &usedDefault);
        if (n <= 0 || usedDefault) {
            result.push_back('?');
            continue;
        }
        result.insert(result.end(), out, out + n);
    }
    return result;
}

#endif

std::span<const Cp932Difference> Cp932EncodeDifferences() {
    return kEncodeDifferences;
}

std::span<const uint8_t> Cp932UndecodableBytes() {
    return kUndecodableBytes;
}

std::size_t Cp932Length(std::u16string_view text) {
    // ASCII takes one byte a character. The boxes ask at every change, and at start-up
    // this spares loading the converter for the default name.
    if (std::ranges::all_of(text, [](char16_t c) { return c < 0x80; })) return text.size();
    return Cp932Encode(text).size();
}

}  // namespace qm
