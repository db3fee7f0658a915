#include "editor/TextForms.h"

#include <gtest/gtest.h>

#include "macro/Cp932.h"

namespace qm {
namespace {

// A set with a different text in every field, some of them full-width.
MacroFile FilledSet() {
    MacroFile set;
    for (int m = 0; m < kMacrosPerSet; ++m) {
        std::u16string n = Utf8ToUtf16(std::to_string(m + 1));
        StoreFieldText(set.Title(m), u"技" + n);
        for (int k = 0; k < kLinesPerMacro; ++k)
            StoreFieldText(set.Line(m, k),
                           u"/ma \"ケアル\" <t> " + n + u"-" + Utf8ToUtf16(std::to_string(k + 1)));
    }
    return set;
}

std::u16string Repeat(std::u16string_view piece, int times) {
    std::u16string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

TEST(MinOf, TakesTheSmaller) {
    EXPECT_EQ(MinOf(2, 5), 2);
    EXPECT_EQ(MinOf(7, 5), 5);
    EXPECT_EQ(MinOf(-1, 5), -1);
    EXPECT_EQ(MinOf(4, 4), 4);
}

TEST(SetText, FieldOrderIsTitleThenSixLinesPerMacro) {
    MacroFile set;
    StoreFieldText(set.Title(0), u"T1");
    StoreFieldText(set.Line(0, 5), u"L6");
    StoreFieldText(set.Title(1), u"T2");
    StoreFieldText(set.Line(19, 5), u"last");
    std::u16string text = SetToText(set);
    EXPECT_EQ(text.substr(0, 22), u"T1\r\n\r\n\r\n\r\n\r\n\r\nL6\r\nT2\r\n");
    EXPECT_TRUE(text.ends_with(u"\r\nlast\r\n"));
    EXPECT_EQ(SetField(set, 7).data(), set.Title(1).data());
    EXPECT_EQ(SetField(set, 139).data(), set.Line(19, 5).data());
}

TEST(SetText, AnEmptySetIs140CrLfPairs) {
    EXPECT_EQ(SetToText(MacroFile{}), Repeat(u"\r\n", 140));
}

TEST(SetText, CopiedAndParsedBackReproducesEveryField) {
    MacroFile source = FilledSet();
    MacroFile target;
    StoreFieldText(target.Line(4, 2), u"old text that must go");
    TextToSetResult r = TextToSet(target, SetToText(source));
    EXPECT_EQ(r.fieldsReached, 140);
    EXPECT_EQ(r.fieldsStored, 140);
    for (int f = 0; f < kFieldsPerSet; ++f)
        EXPECT_EQ(ReadFieldText(SetField(target, f)), ReadFieldText(SetField(source, f))) << f;
    EXPECT_EQ(SetToText(target), SetToText(source));
}

TEST(SetText, TooLongFieldIsSkippedAndLaterFieldsStillWritten) {
    MacroFile set;
    StoreFieldText(set.Line(0, 1), u"kept");
    // Third field (line 2 of macro 1) holds 70 bytes.
    std::u16string text = u"title\r\nline1\r\n" + Repeat(u"x", 70) + u"\r\nline3\r\n";
    text += Repeat(u"\r\n", 135) + u"end\r\n";
    TextToSetResult r = TextToSet(set, text);
    EXPECT_EQ(r.fieldsReached, 140);
    EXPECT_EQ(r.fieldsStored, 139);
    EXPECT_EQ(ReadFieldText(set.Title(0)), u"title");
    EXPECT_EQ(ReadFieldText(set.Line(0, 0)), u"line1");
    EXPECT_EQ(ReadFieldText(set.Line(0, 1)), u"kept");
    EXPECT_EQ(ReadFieldText(set.Line(0, 2)), u"line3");
    EXPECT_EQ(ReadFieldText(set.Line(19, 5)), u"end");
    // A ten-byte title is too long for its field too.
    TextToSet(set, u"１２３４５\r\n");
    EXPECT_EQ(ReadFieldText(set.Title(0)), u"title");
}

TEST(SetText, MacroTextWritesOnlyTheCrLfEndedFields) {
    MacroFile set = FilledSet();
    MacroFile before = set;
    // Seven fields without a final CR LF: the last one is not taken.
    std::u16string macro = MacroToText(u"新", {u"a", u"b", u"c", u"d", u"e", u"f"});
    TextToSetResult r = TextToSet(set, macro);
    EXPECT_EQ(r.fieldsReached, 6);
    EXPECT_EQ(ReadFieldText(set.Title(0)), u"新");
    EXPECT_EQ(ReadFieldText(set.Line(0, 0)), u"a");
    EXPECT_EQ(ReadFieldText(set.Line(0, 4)), u"e");
    EXPECT_EQ(ReadFieldText(set.Line(0, 5)), ReadFieldText(before.Line(0, 5)));
    for (int f = kFieldsPerMacro; f < kFieldsPerSet; ++f)
        EXPECT_EQ(ReadFieldText(SetField(set, f)), ReadFieldText(SetField(before, f))) << f;
}

TEST(SetText, TextWithoutCrLfAndTextPastTheLastFieldAreIgnored) {
    MacroFile set = FilledSet();
    MacroFile before = set;
    EXPECT_EQ(TextToSet(set, u"no line break at all").fieldsReached, 0);
    EXPECT_EQ(TextToSet(set, u"").fieldsReached, 0);
    EXPECT_EQ(set.bytes, before.bytes);

    std::u16string text = SetToText(before) + u"extra\r\nmore\r\n";
    MacroFile target;
    EXPECT_EQ(TextToSet(target, text).fieldsReached, 140);
    EXPECT_EQ(SetToText(target), SetToText(before));
}

TEST(SetText, LoneCrOrLfBelongsToTheField) {
    MacroFile set;
    TextToSet(set, u"a\rb\r\nc\nd\r\n\n\r\r\n");
    // Stored as the bytes; read back as tokens, so that set text of them splits no field.
    EXPECT_EQ(FieldBytes(set.Title(0))[1], '\r');
    EXPECT_EQ(ReadFieldText(set.Title(0)), u"a\u27E60D\u27E7b");
    EXPECT_EQ(ReadFieldText(set.Line(0, 0)), u"c\u27E60A\u27E7d");
    EXPECT_EQ(ReadFieldText(set.Line(0, 1)), u"\u27E60A\u27E7\u27E60D\u27E7");
    MacroFile back;
    TextToSet(back, SetToText(set));
    EXPECT_EQ(back.bytes, set.bytes);
}

TEST(SetText, ClearEmptiesEveryFieldButKeepsTheBytesBehindIt) {
    MacroFile set = FilledSet();
    ClearSet(set);
    EXPECT_EQ(SetToText(set), Repeat(u"\r\n", 140));
    // "技1" is three bytes: only the first byte of the field became zero.
    EXPECT_EQ(set.Title(0)[0], 0);
    EXPECT_EQ(set.Title(0)[2], uint8_t('1'));
}

TEST(MacroText, SevenFieldsWithoutAFinalCrLf) {
    EXPECT_EQ(MacroToText(u"t", {u"1", u"", u"3", u"", u"", u"6"}),
              u"t\r\n1\r\n\r\n3\r\n\r\n\r\n6");
    EXPECT_EQ(MacroToText(u"", {}), u"\r\n\r\n\r\n\r\n\r\n\r\n");
}

TEST(MacroText, ParsedBackAsTheBoxesTakeIt) {
    EXPECT_FALSE(TextToMacro(u"plain text"));
    EXPECT_FALSE(TextToMacro(u"lone\nLF\rCR"));

    MacroLines six{u"1", u"2", u"3", u"4", u"5", u"6"};
    auto whole = TextToMacro(MacroToText(u"title", six));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->title, u"title");
    EXPECT_EQ(whole->lines, six);

    // Two fields: title and line 1; the other lines empty.
    auto two = TextToMacro(u"ケアル\r\n/ma ケアル <t>");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->title, u"ケアル");
    EXPECT_EQ(two->lines, (MacroLines{u"/ma ケアル <t>", u"", u"", u"", u"", u""}));

    // Parts past the seventh are ignored; the title is cut to eight bytes.
    auto many = TextToMacro(u"１２３４５\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh");
    ASSERT_TRUE(many);
    EXPECT_EQ(many->title, u"１２３４");
    EXPECT_EQ(many->lines, (MacroLines{u"a", u"b", u"c", u"d", u"e", u"f"}));

    // Single-byte letters are cut at eight bytes too, and a character never in half.
    EXPECT_EQ(TextToMacro(u"ABCDEFGHI\r\nx")->title, u"ABCDEFGH");
    EXPECT_EQ(TextToMacro(u"ABCDEFGH\r\nx")->title, u"ABCDEFGH");
    EXPECT_EQ(TextToMacro(u"ABCDEFG１\r\nx")->title, u"ABCDEFG");

    auto trailing = TextToMacro(u"t\r\n");
    ASSERT_TRUE(trailing);
    EXPECT_EQ(trailing->lines, MacroLines{});
}

}  // namespace
}  // namespace qm
