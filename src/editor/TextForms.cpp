#include "editor/TextForms.h"

#include <vector>

namespace qm {

std::u16string MacroToText(std::u16string_view title, const MacroLines& lines) {
    std::u16string text(title);
    for (const std::u16string& line : lines) {
        text += kCrLf;
        text += line;
    }
    return text;
}

std::optional<MacroTexts> TextToMacro(std::u16string_view text) {
    if (text.find(kCrLf) == std::u16string_view::npos) return std::nullopt;
    std::vector<std::u16string_view> parts;  // p(0) ... p(u), empty parts included
    for (std::size_t start = 0;;) {
        std::size_t end = text.find(kCrLf, start);
        if (end == std::u16string_view::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + kCrLf.size();
    }
    MacroTexts macro;
    macro.title = TruncateToCp932Bytes(parts[0], kTitleFieldSize - 1);
    int u = int(parts.size()) - 1;
    int n = MinOf(u - 1, kLinesPerMacro - 1);
    for (int k = 0; k <= n; ++k)
        macro.lines[std::size_t(k)] = std::u16string(parts[std::size_t(k + 1)]);
    return macro;
}

std::span<uint8_t> SetField(MacroFile& set, int field) {
    int macro = field / kFieldsPerMacro, part = field % kFieldsPerMacro;
    return part == 0 ? set.Title(macro) : set.Line(macro, part - 1);
}

std::span<const uint8_t> SetField(const MacroFile& set, int field) {
    int macro = field / kFieldsPerMacro, part = field % kFieldsPerMacro;
    return part == 0 ? set.Title(macro) : set.Line(macro, part - 1);
}

std::u16string SetToText(const MacroFile& set) {
    std::u16string text;
    for (int f = 0; f < kFieldsPerSet; ++f) {
        text += ReadFieldText(SetField(set, f));
        text += kCrLf;
    }
    return text;
}

void ClearSet(MacroFile& set) {
    for (int f = 0; f < kFieldsPerSet; ++f) StoreFieldText(SetField(set, f), u"");
}

TextToSetResult TextToSet(
    MacroFile& set, std::u16string_view text,
    const std::function<void(int field, std::u16string_view text)>& onStored) {
    TextToSetResult result;
    std::size_t start = 0;
    while (result.fieldsReached < kFieldsPerSet) {
        std::size_t end = text.find(kCrLf, start);
        if (end == std::u16string_view::npos) break;
        const std::u16string_view piece = text.substr(start, end - start);
        if (StoreFieldText(SetField(set, result.fieldsReached), piece)) {
            ++result.fieldsStored;
            if (onStored) onStored(result.fieldsReached, piece);
        }
        ++result.fieldsReached;
        start = end + kCrLf.size();
    }
    return result;
}

}  // namespace qm
