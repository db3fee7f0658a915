#include "macro/Cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>

namespace qm {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

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
    if (text.empty()) return result;
    const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(932, 0, w, int(text.size()), nullptr, 0, "?", nullptr);
    if (n <= 0) return result;
    result.resize(n);
    WideCharToMultiByte(932, 0, w, int(text.size()), reinterpret_cast<char*>(result.data()), n, "?",
                        nullptr);
    return result;
}

#endif

std::size_t Cp932Length(std::u16string_view text) {
    return Cp932Encode(text).size();
}

}  // namespace qm
