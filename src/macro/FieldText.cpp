#include "macro/FieldText.h"

#include <algorithm>
#include <optional>

#include "macro/Cp932.h"

namespace qm {

namespace {

constexpr uint8_t kPhraseMark = 0xFD;
constexpr std::size_t kPhraseSize = 6;
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

bool IsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsPrintableAscii(uint8_t b) {
    return b >= 0x20 && b < 0x7F;
}

bool IsControl(uint8_t b) {
    return b < 0x20 || b == 0x7F;
}

bool IsPhraseAt(std::span<const uint8_t> bytes, std::size_t i) {
    if (bytes[i] != kPhraseMark || i + kPhraseSize > bytes.size()) return false;
    if (bytes[i + kPhraseSize - 1] != kPhraseMark) return false;
    return std::none_of(bytes.begin() + std::ptrdiff_t(i) + 1,
                        bytes.begin() + std::ptrdiff_t(i + kPhraseSize - 1),
                        [](uint8_t b) { return b == 0; });
}

void AppendHex(std::u16string& text, uint8_t b) {
    text.push_back(kHexDigits[b >> 4]);
    text.push_back(kHexDigits[b & 15]);
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;  // lower case is no token's form: the forms are written one way only
}

// Reads "HH-HH-...⟧" from text[at]: count bytes separated by "-", none of them 0.
std::optional<std::vector<uint8_t>> ReadHexBytes(std::u16string_view text, std::size_t at,
                                                 std::size_t count) {
    std::vector<uint8_t> bytes;
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0) {
            if (at >= text.size() || text[at] != u'-') return std::nullopt;
            ++at;
        }
        if (at + 2 > text.size()) return std::nullopt;
        const int hi = HexValue(text[at]), lo = HexValue(text[at + 1]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return std::nullopt;
        bytes.push_back(uint8_t(hi * 16 + lo));
        at += 2;
    }
    if (at >= text.size() || text[at] != kTokenClose) return std::nullopt;
    return bytes;
}

// A single CP932 character of one or two bytes that reads back to the same bytes.
bool RoundTrips(std::span<const uint8_t> unit) {
    const std::u16string c = Cp932Decode(unit);
    if (c.size() != 1 || c[0] == u'\uFFFD') return false;
    const std::vector<uint8_t> back = Cp932Encode(c);
    return std::equal(back.begin(), back.end(), unit.begin(), unit.end());
}

// The token whose form starts at text[at] (a "⟦"), if the text there is one.
std::optional<FieldToken> ParseToken(std::u16string_view text, std::size_t at) {
    if (text.substr(at + 1, 3) == u"AT-") {
        auto middle = ReadHexBytes(text, at + 4, 4);
        if (!middle) return std::nullopt;
        FieldToken token{at, at + 16, FieldTokenKind::Phrase, {kPhraseMark}};
        token.bytes.insert(token.bytes.end(), middle->begin(), middle->end());
        token.bytes.push_back(kPhraseMark);
        return token;
    }
    for (std::size_t count : {std::size_t(1), std::size_t(2)}) {
        auto bytes = ReadHexBytes(text, at + 1, count);
        if (!bytes) continue;
        // Only the form a field's bytes read as: "⟦41⟧" would store an "A" that reads
        // back as text, and a half of a character would join its neighbour.
        if (DecodeFieldBytes(*bytes) != text.substr(at, 3 * count + 1)) return std::nullopt;
        return FieldToken{at, at + 3 * count + 1, FieldTokenKind::Raw, std::move(*bytes)};
    }
    return std::nullopt;
}

}  // namespace

std::u16string FieldTokenText(std::span<const uint8_t> bytes, FieldTokenKind kind) {
    std::u16string text(1, kTokenOpen);
    std::span<const uint8_t> shown = bytes;
    if (kind == FieldTokenKind::Phrase) {
        text += u"AT";
        shown = bytes.subspan(1, bytes.size() - 2);
    }
    for (std::size_t k = 0; k < shown.size(); ++k) {
        if (k > 0 || kind == FieldTokenKind::Phrase) text.push_back(u'-');
        AppendHex(text, shown[k]);
    }
    text.push_back(kTokenClose);
    return text;
}

std::u16string DecodeFieldBytes(std::span<const uint8_t> bytes) {
    // Most fields are printable ASCII, and most others plain CP932 text that reads back
    // whole.
    if (std::all_of(bytes.begin(), bytes.end(), IsPrintableAscii))
        return std::u16string(bytes.begin(), bytes.end());
    if (std::none_of(bytes.begin(), bytes.end(), IsControl) &&
        std::find(bytes.begin(), bytes.end(), kPhraseMark) == bytes.end()) {
        std::u16string text = Cp932Decode(bytes);
        const std::vector<uint8_t> back = Cp932Encode(text);
        if (std::equal(back.begin(), back.end(), bytes.begin(), bytes.end())) return text;
    }
    std::u16string text;
    std::size_t run = 0;  // start of the bytes that decode as text
    auto token = [&](std::size_t at, std::size_t size, FieldTokenKind kind) {
        text += Cp932Decode(bytes.subspan(run, at - run));
        text += FieldTokenText(bytes.subspan(at, size), kind);
        run = at + size;
        return run;
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const uint8_t b = bytes[i];
        if (IsPrintableAscii(b)) {
            ++i;
        } else if (IsControl(b)) {
            // Control bytes would show as glyphs of their own, and CR LF would split the
            // field in the clipboard's text forms.
            i = token(i, 1, FieldTokenKind::Raw);
        } else if (IsPhraseAt(bytes, i)) {
            i = token(i, kPhraseSize, FieldTokenKind::Phrase);
        } else if (const std::size_t size = IsLeadByte(b) ? 2 : 1;
                   i + size <= bytes.size() && RoundTrips(bytes.subspan(i, size))) {
            i += size;
        } else {
            // A pair that decodes to a character with other bytes (a duplicate in the NEC
            // and IBM rows) stays one token; a lead byte without a valid trail is alone.
            bool pair = false;
            if (size == 2 && i + 1 < bytes.size()) {
                const std::u16string c = Cp932Decode(bytes.subspan(i, 2));
                pair = c.size() == 1 && c[0] != u'\uFFFD';
            }
            i = token(i, pair ? 2 : 1, FieldTokenKind::Raw);
        }
    }
    text += Cp932Decode(bytes.subspan(run));
    return text;
}

std::vector<FieldToken> FindFieldTokens(std::u16string_view text) {
    std::vector<FieldToken> tokens;
    for (std::size_t at = text.find(kTokenOpen); at != std::u16string_view::npos;) {
        if (auto token = ParseToken(text, at)) {
            const std::size_t end = token->end;
            tokens.push_back(std::move(*token));
            at = text.find(kTokenOpen, end);
        } else {
            at = text.find(kTokenOpen, at + 1);
        }
    }
    return tokens;
}

const FieldToken* TokenAround(const std::vector<FieldToken>& tokens, std::size_t pos) {
    for (const FieldToken& token : tokens)
        if (token.begin < pos && pos < token.end) return &token;
    return nullptr;
}

std::vector<uint8_t> EncodeFieldText(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    std::size_t run = 0;
    for (const FieldToken& token : FindFieldTokens(text)) {
        const std::vector<uint8_t> part = Cp932Encode(text.substr(run, token.begin - run));
        bytes.insert(bytes.end(), part.begin(), part.end());
        bytes.insert(bytes.end(), token.bytes.begin(), token.bytes.end());
        run = token.end;
    }
    const std::vector<uint8_t> part = Cp932Encode(text.substr(run));
    bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

std::size_t FieldTextLength(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; }))
        return text.size();
    return EncodeFieldText(text).size();
}

std::u16string PhraseLabel(const FieldToken& token) {
    const std::u16string form = FieldTokenText(token.bytes, token.kind);
    return form.substr(1, form.size() - 2);
}

}  // namespace qm
