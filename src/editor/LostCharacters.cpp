#include "editor/LostCharacters.h"

#include <algorithm>

#include "macro/Cp932.h"
#include "macro/FieldText.h"
#include "storage/Utf.h"

namespace qm {

namespace {

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

constexpr int kFieldsPerMacro = 1 + kLinesPerMacro;

// Whether the save writes new characters into the field from a box: not when the field
// already reads so or holds the same bytes (a box still showing what an earlier save wrote
// as "?"), and not when the text does not fit.
bool SaveWouldChange(std::span<const uint8_t> field, std::u16string_view text) {
    if (ReadFieldText(field) == text || FieldTextLength(text) >= field.size()) return false;
    const std::vector<uint8_t> bytes = EncodeFieldText(text);
    const auto end = std::find(field.begin(), field.end(), uint8_t(0));
    return !std::equal(bytes.begin(), bytes.end(), field.begin(), end);
}

}  // namespace

std::u16string UnencodableCharacters(std::u16string_view withTokens) {
    // Tokens are bytes the field holds, not characters typed: they are never lost.
    std::u16string text;
    std::size_t run = 0;
    for (const FieldToken& token : FindFieldTokens(withTokens)) {
        text.append(withTokens.substr(run, token.begin - run));
        run = token.end;
    }
    text.append(withTokens.substr(run));
    // "?" is the only byte a lost character becomes, and no double-byte character has it
    // as its second byte: a text that keeps its "?" count lost nothing.
    const std::vector<uint8_t> bytes = Cp932Encode(text);
    if (std::count(bytes.begin(), bytes.end(), uint8_t('?')) ==
        std::count(text.begin(), text.end(), u'?'))
        return {};
    std::u16string lost;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) ? 2 : 1;
        const std::u16string_view c = std::u16string_view(text).substr(i, n);
        i += n;
        if (c == u"?") continue;
        const std::vector<uint8_t> one = Cp932Encode(c);
        if (!(one.size() == 1 && one[0] == '?')) continue;
        if (lost.find(c) == std::u16string::npos) lost += c;
    }
    return lost;
}

void LossyFields::Stored(int file, int field, std::u16string_view text) {
    std::u16string lost = UnencodableCharacters(text);
    if (lost.empty()) {
        lost_.erase({file, field});
    } else {
        lost_[{file, field}] = std::move(lost);
    }
}

void LossyFields::ForgetSet(int file) {
    std::erase_if(lost_, [file](const auto& entry) { return entry.first.first == file; });
}

std::vector<LostCharacters> CharactersLostOnSave(const LossyFields& stored,
                                                 const MacroFile& currentSet, int file, int macro,
                                                 const std::vector<std::u16string>& titles,
                                                 const MacroLines& lines) {
    LossyFields after = stored;
    for (int m = 0; m < kMacrosPerSet && std::size_t(m) < titles.size(); ++m) {
        if (SaveWouldChange(currentSet.Title(m), titles[std::size_t(m)]))
            after.Stored(file, m * kFieldsPerMacro, titles[std::size_t(m)]);
    }
    for (int k = 0; k < kLinesPerMacro; ++k) {
        if (SaveWouldChange(currentSet.Line(macro, k), lines[std::size_t(k)]))
            after.Stored(file, macro * kFieldsPerMacro + 1 + k, lines[std::size_t(k)]);
    }
    std::vector<LostCharacters> result;
    for (const auto& [where, characters] : after.Lost()) {
        result.push_back({where.first / kSetCount, where.first % kSetCount,
                          where.second / kFieldsPerMacro, where.second % kFieldsPerMacro,
                          characters});
    }
    return result;
}

}  // namespace qm
