#pragma once
// The two plain-text forms that carry macros to and from the clipboard and the backup
// files, so that they can be pasted into and out of any text editor. Fields are
// separated (macro text) or ended (set text) by CR LF.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "editor/LineOps.h"
#include "macro/MacroFile.h"

namespace qm {

inline constexpr std::u16string_view kCrLf = u"\r\n";
inline constexpr int kFieldsPerMacro = 1 + kLinesPerMacro;             // title, lines 1 to 6
inline constexpr int kFieldsPerSet = kFieldsPerMacro * kMacrosPerSet;  // 140

// The smaller of two integers: a when a < b, otherwise b.
constexpr int MinOf(int a, int b) {
    return a < b ? a : b;
}

// One macro as the boxes hold it.
struct MacroTexts {
    std::u16string title;
    MacroLines lines;
};

// Macro text: the title, then each of the six lines preceded by CR LF (seven fields,
// six CR LF, none at the end).
std::u16string MacroToText(std::u16string_view title, const MacroLines& lines);

// Reads macro text into a title and six lines, or nothing when the text holds no CR LF
// (then it is plain text, not a macro). Parts past the seventh are ignored, missing
// lines are empty, and the title is cut to what a title box holds (8 bytes of CP932).
std::optional<MacroTexts> TextToMacro(std::u16string_view text);

// Field f (0 to 139) of a set: the title of macro f / 7 when f % 7 is 0, otherwise its
// line f % 7.
std::span<uint8_t> SetField(MacroFile& set, int field);
std::span<const uint8_t> SetField(const MacroFile& set, int field);

// Set text of the stored fields: 140 fields, each followed by CR LF.
std::u16string SetToText(const MacroFile& set);

// Empties all 140 fields (a zero byte at the start of each; the rest stays).
void ClearSet(MacroFile& set);

struct TextToSetResult {
    int fieldsReached = 0;  // fields the text reached (each ended by CR LF)
    int fieldsStored = 0;   // of those, the fields that fitted and were written
};

// Writes set text into the set by position: each CR LF-ended piece goes into the next
// field, in set-text order. A piece too long for its field is skipped and the parse
// goes on; fields the text does not reach keep their text; text after the last CR LF
// and past the 140th field is ignored. A lone CR or LF is part of a field. onStored (if
// given) is told each field written and the text written into it.
TextToSetResult TextToSet(
    MacroFile& set, std::u16string_view text,
    const std::function<void(int field, std::u16string_view text)>& onStored = {});

}  // namespace qm
