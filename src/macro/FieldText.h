#pragma once
// The text of a game field: CP932 text, with every byte sequence that is no CP932 text
// carried as a token written in an escape form. The game keeps its auto-translate phrases
// inside lines as six bytes FD x x x x FD; those read as 「⟦AT-02-02-01-0D⟧」. Any other
// byte sequence that does not decode, or decodes to a character whose CP932 form has
// other bytes, reads as 「⟦FD⟧」 (one byte) or 「⟦87-90⟧」 (a double-byte character).
// The brackets have no CP932 form, so no text a field holds can read as a token, and
// decoding a field and encoding the result gives its exact bytes. A bracketed text that
// is not a token's form is ordinary text (its brackets become "?").

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr char16_t kTokenOpen = u'\u27E6';   // ⟦
inline constexpr char16_t kTokenClose = u'\u27E7';  // ⟧

enum class FieldTokenKind : uint8_t { Phrase, Raw };

// One token inside a text: its place [begin, end) and the bytes it stands for.
struct FieldToken {
    std::size_t begin = 0;
    std::size_t end = 0;
    FieldTokenKind kind = FieldTokenKind::Raw;
    std::vector<uint8_t> bytes;
};

// The field's bytes (up to, not including, their first 0) as text with tokens.
std::u16string DecodeFieldBytes(std::span<const uint8_t> bytes);

// The bytes of a text with tokens; a character with no CP932 form becomes "?".
std::vector<uint8_t> EncodeFieldText(std::u16string_view text);

// The byte count of EncodeFieldText(text), what the fixed-width fields limit.
std::size_t FieldTextLength(std::u16string_view text);

// Every token of the text, in order.
std::vector<FieldToken> FindFieldTokens(std::u16string_view text);

// The token that position pos lies strictly inside (begin < pos < end), if any: a caret,
// a cut or a match boundary there would split it.
const FieldToken* TokenAround(const std::vector<FieldToken>& tokens, std::size_t pos);

// The escape form of a token's bytes ("⟦AT-02-02-01-0D⟧", "⟦FD⟧").
std::u16string FieldTokenText(std::span<const uint8_t> bytes, FieldTokenKind kind);

// What the game's log shows between its braces for a phrase: the form without brackets.
std::u16string PhraseLabel(const FieldToken& token);

}  // namespace qm
