#pragma once
// Finding and replacing text in the titles and lines of characters. A field's text holds
// tokens - the game's auto-translate phrases and bytes that are no CP932 text, read as
// escape forms between "⟦" and "⟧" - and a token is one unit: no match starts or ends
// inside one, and a replace never changes one it was not asked to.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/CharacterDocument.h"

namespace qm {

inline constexpr char16_t kTokenOpen = u'\u27E6';   // ⟦
inline constexpr char16_t kTokenClose = u'\u27E7';  // ⟧

struct TextSpan {
    std::size_t start = 0;  // UTF-16 units
    std::size_t length = 0;
    std::size_t End() const { return start + length; }
    bool operator==(const TextSpan&) const = default;
};

// The tokens of a field's text: each run from "⟦" to the next "⟧", both included.
std::vector<TextSpan> TokenSpans(std::u16string_view text);

struct TextMatch {
    TextSpan span;
    std::u16string replacement;  // when asked for: the text the match becomes
};

// Plain text or an ECMAScript regular expression. The expression runs over wchar_t, the
// one wide type std::regex has traits for: UTF-32 on Linux (so "." is one whole
// character, never half of a surrogate pair), UTF-16 on Windows, where it is the text
// itself.
class TextPattern {
  public:
    struct Error {
        enum class Kind : uint8_t { Empty, BadExpression };
        Kind kind = Kind::Empty;
        std::string detail;  // BadExpression: the library's words
    };
    // Nothing, with the reason in error, for an empty pattern or a bad expression.
    static std::optional<TextPattern> Make(std::u16string_view pattern, bool regex,
                                           Error* error = nullptr);

    // The matches in text, leftmost first and not overlapping; empty matches and matches
    // that would start or end inside a token are passed over. With a replacement (for a
    // regular expression a format: $1, $&, $$), each match carries the text it becomes.
    std::vector<TextMatch> FindIn(std::u16string_view text,
                                  const std::u16string* replacement = nullptr) const;
    // False only when the field's bytes cannot hold the pattern: a quick test that needs
    // no decoding. The pattern's CP932 form is looked for when every character of it has
    // only one; otherwise every field may hold it.
    bool MayMatch(std::span<const uint8_t> fieldBytes) const;

    const std::u16string& Source() const { return source_; }
    bool IsRegex() const { return regex_; }

  private:
    struct Compiled;
    std::u16string source_;
    bool regex_ = false;
    std::shared_ptr<const Compiled> compiled_;
    std::vector<uint8_t> needle_;  // the CP932 form, when it is the only one
    bool useNeedle_ = false;
};

// Which fields a search looks at.
struct SearchScope {
    bool titles = true;
    bool lines = true;
    int book = -1;  // 0 to 39, or -1 for every book
};

struct FieldMatches {
    FieldRef where;
    std::u16string text;  // the field's whole text
    std::vector<TextMatch> matches;
};

// The fields that hold a match, in book, set, macro and field order. A set of `books`
// known to hold the same bytes as that of `same` is read there, without copying it in.
std::vector<FieldMatches> FindInBooks(const MacroBooks& books, const TextPattern& pattern,
                                      SearchScope scope = {}, const MacroBooks* same = nullptr);
std::vector<FieldMatches> FindInDocument(const CharacterDocument& document,
                                         const TextPattern& pattern, SearchScope scope = {});

struct FieldReplacement {
    FieldRef where;
    std::u16string before, after;
    std::vector<uint8_t> bytes;  // the whole field after the change
    bool operator==(const FieldReplacement&) const = default;
};

struct RefusedReplacement {
    enum class Reason : uint8_t {
        TooLong,       // more bytes than the field holds
        NoCp932Form,   // characters the game cannot store
        TokenChanged,  // it would remove or alter a token the pattern does not name
        NotText,       // the field holds bytes that its text cannot give back
    };
    FieldRef where;
    std::u16string before, after;
    Reason reason = Reason::TooLong;
    std::size_t bytes = 0;      // TooLong: the result's length
    std::size_t capacity = 0;   // TooLong: what the field holds (8 or 60)
    std::u16string characters;  // NoCp932Form: the characters; TokenChanged: the token
    bool operator==(const RefusedReplacement&) const = default;
};

struct ReplacePlan {
    std::vector<FieldReplacement> changes;
    std::vector<RefusedReplacement> refused;
    bool Empty() const { return changes.empty() && refused.empty(); }
    bool operator==(const ReplacePlan&) const = default;
};

// Every change a replace would make, each checked, before anything is changed.
ReplacePlan PlanReplace(const MacroBooks& books, const TextPattern& pattern,
                        std::u16string_view replacement, SearchScope scope = {});
ReplacePlan PlanReplace(const CharacterDocument& document, const TextPattern& pattern,
                        std::u16string_view replacement, SearchScope scope = {});
// Makes the plan's changes (not its refusals) as one undo step.
void ApplyReplace(CharacterDocument& document, const ReplacePlan& plan);

}  // namespace qm
