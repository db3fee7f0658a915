#include "editor/LineOps.h"

#include "macro/FieldText.h"

namespace qm {

LineKeyResult SplitLineAtCaret(MacroLines& lines, int index, int caret) {
    if (index < 0 || index > 4 || !lines[5].empty()) return {false, index, caret};
    std::u16string& line = lines[std::size_t(index)];
    std::size_t at = std::min<std::size_t>(std::size_t(std::max(caret, 0)), line.size());
    // A caret inside a token splits after it: a token is never cut.
    const std::vector<FieldToken> tokens = FindFieldTokens(line);
    if (const FieldToken* token = TokenAround(tokens, at)) at = token->end;
    for (int k = 4; k >= index + 1; --k) lines[std::size_t(k + 1)] = lines[std::size_t(k)];
    lines[std::size_t(index + 1)] = line.substr(at);
    line.resize(at);
    return {true, index + 1, 0};
}

LineKeyResult JoinWithLineAbove(MacroLines& lines, int index, int caret) {
    if (index < 1 || index > 5 || caret != 0) return {false, index, caret};
    int length = int(lines[std::size_t(index - 1)].size());
    lines[std::size_t(index - 1)] += lines[std::size_t(index)];
    for (int k = index + 1; k <= 5; ++k) lines[std::size_t(k - 1)] = lines[std::size_t(k)];
    lines[5].clear();
    return {true, index - 1, length};
}

LineKeyResult JoinWithLineBelow(MacroLines& lines, int index, int caret) {
    if (index < 0 || index > 4 || std::size_t(caret) != lines[std::size_t(index)].size())
        return {false, index, caret};
    int length = int(lines[std::size_t(index)].size());
    lines[std::size_t(index)] += lines[std::size_t(index + 1)];
    for (int k = index + 2; k <= 5; ++k) lines[std::size_t(k - 1)] = lines[std::size_t(k)];
    lines[5].clear();
    return {true, index, length};
}

std::u16string TruncateToCp932Bytes(std::u16string_view text, std::size_t maxBytes) {
    const std::vector<FieldToken> tokens = FindFieldTokens(text);
    auto token = tokens.begin();
    std::size_t bytes = 0, end = 0;
    while (end < text.size()) {
        // The next unit: a token whole, a surrogate pair, or one character.
        std::size_t len = 1;
        if (token != tokens.end() && token->begin == end) {
            len = token->end - token->begin;
            ++token;
        } else if (end + 1 < text.size() && text[end] >= 0xD800 && text[end] <= 0xDBFF) {
            len = 2;
        }
        const std::size_t n = FieldTextLength(text.substr(end, len));
        if (bytes + n > maxBytes) break;
        bytes += n;
        end += len;
    }
    return std::u16string(text.substr(0, end));
}

}  // namespace qm
