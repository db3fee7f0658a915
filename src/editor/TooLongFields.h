#pragma once
// Text too long for its field is not stored: the book keeps what the field held before.
// Only the boxes on show can hold such text (everything else is already in the book), so
// these are what a save would leave out. The player is told which, and asked first.

#include <cstddef>
#include <string>
#include <vector>

#include "editor/LineOps.h"
#include "macro/MacroFile.h"

namespace qm {

// What a title and a line can hold: their fields end in a 0 byte.
inline constexpr std::size_t kTitleTextCapacity = kTitleFieldSize - 1;
inline constexpr std::size_t kLineTextCapacity = kLineFieldSize - 1;

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

}  // namespace qm
