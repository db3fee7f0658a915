#pragma once
// The keyboard operations of the six line boxes, on their texts: Enter splits a line,
// Backspace at its start joins it to the line above, Delete at its end joins the line
// below. Byte limits are not checked here; a joined line may be too long to store.

#include <array>
#include <string>

namespace qm {

using MacroLines = std::array<std::u16string, 6>;

struct LineKeyResult {
    bool consumed = false;  // false: the key is left to the box, nothing changed
    int focusLine = 0;      // the box that gets the focus
    int caret = 0;          // caret position in that box
};

// Enter in line `index` with the caret at `caret`: only when index <= 4 and line 6 is empty.
LineKeyResult SplitLineAtCaret(MacroLines& lines, int index, int caret);
// Backspace with the caret at 0 in line index >= 1.
LineKeyResult JoinWithLineAbove(MacroLines& lines, int index, int caret);
// Delete with the caret at the end of line index <= 4.
LineKeyResult JoinWithLineBelow(MacroLines& lines, int index, int caret);

// The longest prefix of text whose field bytes fit in maxBytes, never splitting a
// character or a token (used where a box takes text within its byte limit).
std::u16string TruncateToCp932Bytes(std::u16string_view text, std::size_t maxBytes);

}  // namespace qm
