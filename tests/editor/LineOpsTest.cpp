#include "editor/LineOps.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qm {
namespace {

// Enter at every caret position of every line, with and without text below: the line is
// split there, the lines below move down one, and no line's text is lost or overwritten.
TEST(LineOps, EnterSplitsTheLineAndMovesTheOthersDown) {
    for (int filled = 1; filled <= 6; ++filled) {
        MacroLines start;
        for (int k = 0; k < filled; ++k)
            start[std::size_t(k)] = u"L" + std::u16string(1, char16_t(u'0' + k)) + u"xyz";
        for (int index = 0; index < 6; ++index) {
            for (int caret = -1; caret <= 7; ++caret) {
                MacroLines lines = start;
                const LineKeyResult r = SplitLineAtCaret(lines, index, caret);
                const bool allowed = index <= 4 && start[5].empty();
                ASSERT_EQ(r.consumed, allowed) << filled << " " << index << " " << caret;
                if (!allowed) {
                    EXPECT_EQ(lines, start);
                    continue;
                }
                const std::size_t at =
                    std::size_t(std::clamp(caret, 0, int(start[std::size_t(index)].size())));
                MacroLines expected = start;
                for (int k = 5; k > index + 1; --k)
                    expected[std::size_t(k)] = start[std::size_t(k - 1)];
                expected[std::size_t(index)] = start[std::size_t(index)].substr(0, at);
                expected[std::size_t(index + 1)] = start[std::size_t(index)].substr(at);
                EXPECT_EQ(lines, expected) << filled << " " << index << " " << caret;
                EXPECT_EQ(r.focusLine, index + 1);
                EXPECT_EQ(r.caret, 0);
            }
        }
    }
}

// Backspace at a line's start and Delete at its end undo what Enter did.
TEST(LineOps, JoiningUndoesASplit) {
    const MacroLines start{u"one", u"two", u"three", u"four", u"", u""};
    for (int index = 0; index <= 3; ++index) {
        for (int caret = 0; caret <= 3; ++caret) {
            MacroLines lines = start;
            ASSERT_TRUE(SplitLineAtCaret(lines, index, caret).consumed);
            MacroLines back = lines;
            const LineKeyResult up = JoinWithLineAbove(back, index + 1, 0);
            EXPECT_EQ(back, start);
            EXPECT_EQ(up.focusLine, index);
            EXPECT_EQ(up.caret, std::min<int>(caret, int(start[std::size_t(index)].size())));
            back = lines;
            JoinWithLineBelow(back, index, int(back[std::size_t(index)].size()));
            EXPECT_EQ(back, start);
        }
    }
}

}  // namespace
}  // namespace qm
