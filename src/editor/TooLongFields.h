#pragma once
// Text too long for its field is not stored: the book keeps what the field held before.
// Only the boxes on show can hold such text (everything else is already in the book), so
// these are what a save would leave out. The player is told which, and asked first.

#include <cstddef>
#include <string>
#include <vector>

#include "editor/LineOps.h"

namespace qm {

struct TooLongField {
    int book = 0;   // 0 to 39
    int set = 0;    // 0 to 9
    int macro = 0;  // 0 to 19
    int line = 0;   // 0 the title, 1 to 6 the lines
    std::size_t bytes = 0;
    bool operator==(const TooLongField&) const = default;
};

// The title boxes of the set on show and the line boxes of its macro whose CP932 form
// does not fit their field, in box order.
std::vector<TooLongField> TooLongBoxes(int book, int set, int macro,
                                       const std::vector<std::u16string>& titles,
                                       const MacroLines& lines);

// "ブック1 セット2 マクロ3 4行目" or "… タイトル".
std::u16string FieldPlace(int book, int set, int macro, int line);

// The part of the question before a save that lists them, with their byte counts and
// the limit (the first few when there are many); ends with an empty line.
std::u16string TooLongFieldsText(const std::vector<TooLongField>& fields);

// For the status line after such a save: where the text was not stored.
std::u16string NotStoredList(const std::vector<TooLongField>& fields);

}  // namespace qm
