#include <gtest/gtest.h>

#include <algorithm>

#include "editor/LostCharacters.h"
#include "editor/TextForms.h"
#include "macro/Cp932.h"
#include "macro/MacroFolder.h"

namespace qm {
namespace {

TEST(LostCharactersTest, CharactersWithoutAShiftJisFormEachOnceInOrder) {
    const struct {
        std::u16string text, lost;
    } cases[] = {
        {u"", u""},
        {u"/p Cure on <t>?", u""},
        {u"全角ＡＢＣ～♪①㈱", u""},         // CP932 has these, the NEC and IBM rows included
        {u"/s 한국어 ♪ € 😀", u"한국어€😀"},  // the text: a surrogate pair is one
        {u"€?€", u"€"},
        {u"é ñ ß", u"éñß"},
        {u"a\uFFFDb", u"\uFFFD"},  // what undecodable game bytes read as
        {u"x\xD83Dy", u"\xD83D"},  // a lone surrogate has no form either
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnencodableCharacters(c.text), c.lost) << Utf16ToUtf8(c.text);
        // The check agrees with the encoder: what it names is exactly what turns into "?".
        const auto bytes = Cp932Encode(c.text);
        const auto marks = std::count(bytes.begin(), bytes.end(), uint8_t('?')) -
                           std::count(c.text.begin(), c.text.end(), u'?');
        EXPECT_EQ(marks > 0, !c.lost.empty()) << Utf16ToUtf8(c.text);
    }
}

// What a save would write as "?": fields already stored so, and the boxes the save stores.
// Sets are named by file number: book * 10 + set.
TEST(LostCharactersTest, TheSaveCheckListsStoredFieldsAndTheBoxesItWillStore) {
    MacroBooks books;
    LossyFields stored;
    // Book 2, set 3, macro 2, line 4 was stored earlier from a box with Korean text.
    const std::u16string korean = u"/s 한국어";
    ASSERT_TRUE(StoreFieldText(books.File(12).Line(1, 3), korean));
    stored.Stored(12, 1 * 7 + 4, korean);
    // Book 1, set 5 by a paste of set text: field 0 (title of macro 1) and field 9 (line 2
    // of macro 2).
    TextToSet(books.File(4), u"€uro\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nok 😀\r\n",
              [&](int field, std::u16string_view text) { stored.Stored(4, field, text); });

    // The set on show: book 1, set 1, macro 8.
    std::vector<std::u16string> titles(20);
    titles[0] = u"é";                  // typed into title 1
    titles[5] = u"長すぎるタイトル€";  // too long for its field: the save does not store it
    MacroLines lines{u"plain", u"", u"☃ snow", u"", u"", u""};
    ASSERT_TRUE(StoreFieldText(books.File(0).Line(7, 2), u"☃ snow"));  // stored before
    stored.Stored(0, 7 * 7 + 3, u"☃ snow");

    const MacroFile& shown = books.File(0);
    const auto lost = CharactersLostOnSave(stored, shown, 0, 7, titles, lines);
    EXPECT_EQ(lost, (std::vector<LostCharacters>{{0, 0, 0, 0, u"é"},
                                                 {0, 0, 7, 3, u"☃"},
                                                 {0, 4, 0, 0, u"€"},
                                                 {0, 4, 1, 2, u"😀"},
                                                 {1, 2, 1, 4, u"한국어"}}));

    // The line is corrected before the save; a cut set is forgotten; a save clears all.
    lines[2] = u"snow";
    stored.ForgetSet(4);
    EXPECT_EQ(CharactersLostOnSave(stored, shown, 0, 7, titles, lines).size(), 2u);
    stored.Clear();
    titles[0].clear();
    EXPECT_TRUE(CharactersLostOnSave(stored, shown, 0, 7, titles, lines).empty());
    // A box still showing what an earlier save wrote as "?" loses nothing more.
    titles[0] = u"é";
    ASSERT_TRUE(StoreFieldText(books.File(0).Title(0), u"é"));
    EXPECT_TRUE(CharactersLostOnSave(stored, shown, 0, 7, titles, lines).empty());
}

// A box is checked when the save will store it: up to exactly its field's size (a title
// holds 8 bytes, a line 60, "?" counting one), on every line of the macro on show.
TEST(LostCharactersTest, BoxesUpToTheirFieldsSizeOnEveryLineAreChecked) {
    const struct {
        const char* what;
        int line;  // 0 the title of macro 3, 1 to 6 its lines
        std::u16string text;
        bool lost;
    } rows[] = {
        {"title of 7 bytes", 0, u"あいう€", true},
        {"title of 8 bytes", 0, u"あいう€x", true},
        {"title of 9 bytes", 0, u"あいう€xy", false},
        {"line of 60 bytes", 1, u"€" + std::u16string(59, u'a'), true},
        {"line of 61 bytes", 1, u"€" + std::u16string(60, u'a'), false},
        {"6th line", 6, u"/p €", true},
        {"6th line of 60 bytes", 6, std::u16string(59, u'b') + u"€", true},
        {"6th line of 61 bytes", 6, std::u16string(60, u'b') + u"€", false},
    };
    const MacroFile shown;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::u16string> titles(20);
        MacroLines lines{};
        if (row.line == 0)
            titles[2] = row.text;
        else
            lines[std::size_t(row.line - 1)] = row.text;
        const auto lost = CharactersLostOnSave(LossyFields{}, shown, 7, 2, titles, lines);
        if (row.lost)
            EXPECT_EQ(lost, (std::vector<LostCharacters>{{0, 7, 2, row.line, u"€"}}));
        else
            EXPECT_TRUE(lost.empty());
    }
}

}  // namespace
}  // namespace qm
