#include "editor/LineOps.h"

#include "macro/Cp932.h"

namespace qm {

LineKeyResult SplitLineAtCaret(MacroLines& lines, int index, int caret) {
    if (index < 0 || index > 4 || !lines[5].empty()) return {false, index, caret};
    std::u16string& line = lines[std::size_t(index)];
    std::size_t at = std::min<std::size_t>(std::size_t(std::max(caret, 0)), line.size());
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
    std::u16string result;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t len = (i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF) ? 2 : 1;
        std::u16string_view ch = text.substr(i, len);
        std::size_t n = Cp932Length(ch);
        if (bytes + n > maxBytes) break;
        bytes += n;
        result.append(ch);
        i += len - 1;
    }
    return result;
}

}  // namespace qm
