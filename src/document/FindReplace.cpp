#include "document/FindReplace.h"

#include <algorithm>
#include <cstring>
#include <regex>
#include <set>

#include "macro/Cp932.h"

namespace qm {

std::vector<TextSpan> TokenSpans(std::u16string_view text) {
    std::vector<TextSpan> spans;
    for (std::size_t i = text.find(kTokenOpen); i != std::u16string_view::npos;
         i = text.find(kTokenOpen, i)) {
        const std::size_t close = text.find(kTokenClose, i + 1);
        if (close == std::u16string_view::npos) break;
        spans.push_back({i, close + 1 - i});
        i = close + 1;
    }
    return spans;
}

namespace {

// Whether position p (between units) lies strictly inside a token.
bool InsideToken(const std::vector<TextSpan>& tokens, std::size_t p) {
    for (const TextSpan& t : tokens)
        if (p > t.start && p < t.End()) return true;
    return false;
}

// The text without its tokens: what must have a CP932 form of its own.
std::u16string WithoutTokens(std::u16string_view text) {
    std::u16string rest;
    std::size_t at = 0;
    for (const TextSpan& t : TokenSpans(text)) {
        rest.append(text.substr(at, t.start - at));
        at = t.End();
    }
    rest.append(text.substr(at));
    return rest;
}

// The wide form of UTF-16 text, and for each wide unit where it starts in the UTF-16.
struct WideText {
    std::wstring text;
    std::vector<std::size_t> at;  // size text.size() + 1
};

WideText Widen(std::u16string_view text) {
    WideText wide;
    wide.text.reserve(text.size());
    wide.at.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size();) {
        wide.at.push_back(i);
        char32_t c = text[i];
        std::size_t n = 1;
        if constexpr (sizeof(wchar_t) >= 4) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                n = 2;
            }
        }
        wide.text.push_back(wchar_t(c));
        i += n;
    }
    wide.at.push_back(text.size());
    return wide;
}

std::u16string Narrow(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t w : text) {
        const char32_t c = char32_t(w);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
    }
    return out;
}

// Characters decoded from more than one byte form: CP932 repeats the NEC row 13 symbols
// and the IBM extensions (lead bytes 87, ED, EE, FA to FC) elsewhere in the table.
const std::set<char16_t>& CharactersWithTwoForms() {
    static const std::set<char16_t> characters = [] {
        std::set<char16_t> found;
        for (int lead : {0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC}) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const uint8_t pair[2] = {uint8_t(lead), uint8_t(trail)};
                const std::u16string c = Cp932Decode(pair);
                if (c.size() == 1 && c[0] != u'\uFFFD') found.insert(c[0]);
            }
        }
        return found;
    }();
    return characters;
}

}  // namespace

struct TextPattern::Compiled {
    std::wregex regex;
};

std::optional<TextPattern> TextPattern::Make(std::u16string_view pattern, bool regex,
                                             Error* error) {
    if (pattern.empty()) {
        if (error) *error = {Error::Kind::Empty, {}};
        return std::nullopt;
    }
    TextPattern p;
    p.source_ = pattern;
    p.regex_ = regex;
    if (regex) {
        try {
            auto compiled = std::make_shared<Compiled>();
            compiled->regex = std::wregex(Widen(pattern).text, std::regex::ECMAScript);
            p.compiled_ = std::move(compiled);
        } catch (const std::regex_error& e) {
            if (error) *error = {Error::Kind::BadExpression, e.what()};
            return std::nullopt;
        }
        return p;
    }
    // A field holds the text only if it holds its CP932 form, when that form is the
    // text's only one: it reads back as the text, and no character of it has another.
    const std::vector<uint8_t> form = Cp932Encode(pattern);
    const auto& twoForms = CharactersWithTwoForms();
    p.useNeedle_ = Cp932Decode(form) == pattern && !form.empty() &&
                   std::find(form.begin(), form.end(), uint8_t(0)) == form.end() &&
                   std::none_of(pattern.begin(), pattern.end(), [&](char16_t c) {
                       return twoForms.count(c) > 0 || c == kTokenOpen || c == kTokenClose;
                   });
    if (p.useNeedle_) p.needle_ = form;
    return p;
}

bool TextPattern::MayMatch(std::span<const uint8_t> bytes) const {
    if (!useNeedle_) return true;
    if (bytes.size() < needle_.size()) return false;
    const uint8_t first = needle_[0];
    const std::size_t last = bytes.size() - needle_.size();
    for (std::size_t i = 0; i <= last; ++i) {
        const void* hit = std::memchr(bytes.data() + i, first, last - i + 1);
        if (!hit) return false;
        i = std::size_t(static_cast<const uint8_t*>(hit) - bytes.data());
        if (std::memcmp(bytes.data() + i, needle_.data(), needle_.size()) == 0) return true;
    }
    return false;
}

std::vector<TextMatch> TextPattern::FindIn(std::u16string_view text,
                                           const std::u16string* replacement) const {
    std::vector<TextMatch> found;
    const std::vector<TextSpan> tokens = TokenSpans(text);
    auto fits = [&](std::size_t s, std::size_t e) {
        return e > s && !InsideToken(tokens, s) && !InsideToken(tokens, e);
    };
    if (!regex_) {
        for (std::size_t pos = text.find(source_); pos != std::u16string_view::npos;) {
            if (fits(pos, pos + source_.size())) {
                found.push_back({{pos, source_.size()}, replacement ? *replacement : u""});
                pos = text.find(source_, pos + source_.size());
            } else {
                pos = text.find(source_, pos + 1);
            }
        }
        return found;
    }
    const WideText wide = Widen(text);
    const std::wstring wideFormat = replacement ? Widen(*replacement).text : std::wstring();
    std::size_t pos = 0;
    const std::size_t n = wide.text.size();
    while (pos <= n) {
        std::wsmatch m;
        const auto flags =
            pos > 0 ? std::regex_constants::match_prev_avail : std::regex_constants::match_default;
        bool hit = false;
        try {
            hit = std::regex_search(wide.text.cbegin() + std::ptrdiff_t(pos), wide.text.cend(), m,
                                    compiled_->regex, flags);
        } catch (const std::regex_error&) {
            break;  // too complex for this text: no more matches in it
        }
        if (!hit) break;
        const std::size_t ws = pos + std::size_t(m.position(0));
        const std::size_t we = ws + std::size_t(m.length(0));
        const std::size_t s = wide.at[ws], e = wide.at[we];
        if (!fits(s, e)) {
            pos = ws + 1;
            continue;
        }
        TextMatch match{{s, e - s}, u""};
        if (replacement) match.replacement = Narrow(m.format(wideFormat));
        found.push_back(std::move(match));
        pos = we;
    }
    return found;
}

std::vector<FieldMatches> FindInBooks(const MacroBooks& books, const TextPattern& pattern,
                                      SearchScope scope, const MacroBooks* same) {
    std::vector<FieldMatches> results;
    const int first = scope.book >= 0 ? scope.book : 0;
    const int last = scope.book >= 0 ? scope.book : kBookCount - 1;
    for (int book = first; book <= last; ++book) {
        for (int set = 0; set < kSetCount; ++set) {
            const int number = MacroFileNumber(book, set);
            const MacroFile& file =
                same && books.KnownSame(number, *same) ? same->File(number) : books.File(number);
            for (int macro = 0; macro < kMacrosPerSet; ++macro) {
                for (int field = scope.titles ? 0 : 1; field <= (scope.lines ? kLinesPerMacro : 0);
                     ++field) {
                    const std::span<const uint8_t> bytes =
                        FieldBytes(FieldBytesOf(file, macro, field));
                    if (bytes.empty() || !pattern.MayMatch(bytes)) continue;
                    FieldMatches hit;
                    hit.text = ReadFieldText(FieldBytesOf(file, macro, field));
                    hit.matches = pattern.FindIn(hit.text);
                    if (hit.matches.empty()) continue;
                    hit.where = {book, set, macro, field};
                    results.push_back(std::move(hit));
                }
            }
        }
    }
    return results;
}

std::vector<FieldMatches> FindInDocument(const CharacterDocument& document,
                                         const TextPattern& pattern, SearchScope scope) {
    // Most sets are as the folder held them: they are searched where they were read.
    return FindInBooks(document.Books(), pattern, scope, &document.OnDisk().books);
}

namespace {

std::size_t Count(std::u16string_view text, std::u16string_view part) {
    std::size_t n = 0;
    for (std::size_t i = text.find(part); i != std::u16string_view::npos;
         i = text.find(part, i + part.size()))
        ++n;
    return n;
}

// A token of before that after lacks and that the pattern does not name; empty if none.
std::u16string LostToken(std::u16string_view before, std::u16string_view after,
                         std::u16string_view pattern) {
    for (const TextSpan& t : TokenSpans(before)) {
        const std::u16string_view token = before.substr(t.start, t.length);
        if (pattern.find(token) != std::u16string_view::npos) continue;
        if (Count(after, token) < Count(before, token)) return std::u16string(token);
    }
    return {};
}

}  // namespace

ReplacePlan PlanReplace(const MacroBooks& books, const TextPattern& pattern,
                        std::u16string_view replacementText, SearchScope scope) {
    ReplacePlan plan;
    const std::u16string replacement(replacementText);
    for (FieldMatches& hit : FindInBooks(books, pattern, scope)) {
        // Matches again, now with what each becomes.
        const std::vector<TextMatch> matches = pattern.FindIn(hit.text, &replacement);
        std::u16string after;
        std::size_t at = 0;
        for (const TextMatch& m : matches) {
            after.append(hit.text, at, m.span.start - at);
            after += m.replacement;
            at = m.span.End();
        }
        after.append(hit.text, at);
        if (after == hit.text) continue;

        const MacroFile& set = books.Book(hit.where.book)[std::size_t(hit.where.set)];
        const std::span<const uint8_t> field = FieldBytesOf(set, hit.where.macro, hit.where.field);
        RefusedReplacement refusal{hit.where, hit.text, after, {}, 0, 0, {}};
        auto refuse = [&](RefusedReplacement::Reason reason) {
            refusal.reason = reason;
            plan.refused.push_back(refusal);
        };
        // The text must give back the field's bytes, or the parts left alone would change.
        std::vector<uint8_t> roomy(hit.text.size() * 4 + 8);
        StoreFieldText(roomy, hit.text);
        const std::span<const uint8_t> given = FieldBytes(roomy), held = FieldBytes(field);
        if (!std::equal(given.begin(), given.end(), held.begin(), held.end())) {
            refuse(RefusedReplacement::Reason::NotText);
            continue;
        }
        if (std::u16string token = LostToken(hit.text, after, pattern.Source()); !token.empty()) {
            refusal.characters = std::move(token);
            refuse(RefusedReplacement::Reason::TokenChanged);
            continue;
        }
        if (std::u16string lost = UnencodableCharacters(WithoutTokens(after)); !lost.empty()) {
            refusal.characters = std::move(lost);
            refuse(RefusedReplacement::Reason::NoCp932Form);
            continue;
        }
        std::vector<uint8_t> bytes(field.begin(), field.end());
        if (!StoreFieldText(bytes, after)) {
            // Its length, measured in a field that holds it.
            roomy.assign(after.size() * 4 + 8, 0);
            StoreFieldText(roomy, after);
            refusal.bytes = FieldBytes(roomy).size();
            refusal.capacity = field.size() - 1;
            refuse(RefusedReplacement::Reason::TooLong);
            continue;
        }
        plan.changes.push_back(
            {hit.where, std::move(hit.text), std::move(after), std::move(bytes)});
    }
    return plan;
}

ReplacePlan PlanReplace(const CharacterDocument& document, const TextPattern& pattern,
                        std::u16string_view replacement, SearchScope scope) {
    return PlanReplace(document.Books(), pattern, replacement, scope);
}

void ApplyReplace(CharacterDocument& document, const ReplacePlan& plan) {
    if (plan.changes.empty()) return;
    std::vector<RecordId> scope;
    for (const FieldReplacement& c : plan.changes) scope.push_back(RecordId::Macro(c.where.File()));
    CharacterDocument::Edit edit(document, u"置換", scope);
    for (const FieldReplacement& c : plan.changes) {
        std::span<uint8_t> field =
            FieldBytesOf(edit.File(c.where.File()), c.where.macro, c.where.field);
        std::copy(c.bytes.begin(), c.bytes.end(), field.begin());
    }
}

}  // namespace qm
