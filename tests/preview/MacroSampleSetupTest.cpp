#include "preview/MacroSampleSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "macro/Cp932.h"
#include "platform/Interfaces.h"
#include "preview/RandomSource.h"

namespace qm {
namespace {

AcqEntry Entry(std::u16string_view name) {
    AcqEntry entry{};
    std::vector<uint8_t> bytes = Cp932Encode(name);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 16), entry.begin());
    return entry;
}

// Three whole names and the zero entry that reading a file always leaves at the end.
AcqNames ThreeNames() {
    return {Entry(u"Ayame"), Entry(u"タロウ"), Entry(u"Cid"), AcqEntry{}};
}

const LocalDateTime kNow{2026, 12, 6, 21, 7, 3};

TEST(MacroSampleSetup, DrawsTargetPositionAndTpInOrder) {
    const AcqNames names = ThreeNames();
    ScriptedRandom random{0.99, 0.2, 0.65, 0.5};
    MacroSample s = MakeMacroSample(u"Taro", names, random);
    EXPECT_EQ(s.ownName, u"Taro");
    EXPECT_EQ(s.targetText, u"Cid");
    EXPECT_EQ(s.positionText, u"(C-7)");
    EXPECT_EQ(s.tp, 150);
    EXPECT_EQ(s.chatMode, ChatMode::Say);
    EXPECT_TRUE(s.tellTarget.empty());
    EXPECT_TRUE(s.output.empty());
    EXPECT_EQ(random.Draws(), 4);
}

TEST(MacroSampleSetup, NoListMeansNoTargetDraw) {
    ScriptedRandom random{0.2, 0.65, 0.5};
    MacroSample s = MakeMacroSample(u"Taro", {}, random);
    EXPECT_EQ(s.targetText, u"");
    EXPECT_EQ(s.positionText, u"(C-7)");
    EXPECT_EQ(s.tp, 150);
    EXPECT_EQ(random.Draws(), 3);
}

TEST(MacroSampleSetup, HeaderOnlyListDrawsButGivesEmptyTarget) {
    const AcqNames names{AcqEntry{}};
    ScriptedRandom random{0.99, 0.0, 0.0, 0.0};
    MacroSample s = MakeMacroSample(u"Taro", names, random);
    EXPECT_EQ(s.targetText, u"");
    EXPECT_EQ(s.positionText, u"(A-1)");
    EXPECT_EQ(random.Draws(), 4);
}

TEST(MacroSampleSetup, PickCoversEveryWholeNameAndNeverTheLastEntry) {
    const AcqNames names = ThreeNames();
    std::set<std::u16string> seen;
    SeededRandom random(7);
    for (int i = 0; i < 300; ++i) seen.insert(MakeMacroSample(u"T", names, random).targetText);
    EXPECT_EQ(seen, (std::set<std::u16string>{u"Ayame", u"タロウ", u"Cid"}));
}

TEST(MacroSampleSetup, NameDecodingEdges) {
    // A name filling all 16 bytes has no terminator and is taken whole.
    AcqNames names{Entry(u"ABCDEFGHIJKLMNOP"), AcqEntry{}};
    ScriptedRandom random{0.0};
    EXPECT_EQ(MakeMacroSample(u"T", names, random).targetText, u"ABCDEFGHIJKLMNOP");
    // Bytes that are not CP932 give no name rather than replacement marks.
    AcqEntry broken{};
    broken[0] = 'A';
    broken[1] = 0x81;  // lead byte cut off by the terminator
    names = {broken, AcqEntry{}};
    EXPECT_EQ(MakeMacroSample(u"T", names, random).targetText, u"");
}

TEST(MacroSampleSetup, PositionAndTpRangeEnds) {
    ScriptedRandom low{0.0, 0.0, 0.0};
    MacroSample s = MakeMacroSample(u"T", {}, low);
    EXPECT_EQ(s.positionText, u"(A-1)");
    EXPECT_EQ(s.tp, 0);
    ScriptedRandom high{0.9999999, 0.9999999, 0.9999999};
    s = MakeMacroSample(u"T", {}, high);
    EXPECT_EQ(s.positionText, u"(J-10)");
    EXPECT_EQ(s.tp, 300);
    // A source that strays onto 1.0 still stays inside the ranges.
    ScriptedRandom one{1.0};
    s = MakeMacroSample(u"T", ThreeNames(), one);
    EXPECT_EQ(s.targetText, u"Cid");
    EXPECT_EQ(s.positionText, u"(J-10)");
    EXPECT_EQ(s.tp, 300);
}

TEST(MacroPreview, LinesThatProduceNothingLeaveNoGap) {
    const std::u16string lines[6] = {u"", u"/p one", u"/unknown", u"two", u"/cm", u"/t Bob"};
    ScriptedRandom random;
    EXPECT_EQ(RunMacroPreview(u"Taro", lines, {}, random, kNow),
              (std::vector<OutputLine>{{3, u"(Taro) one"}, {0, u"Taro : two"}, {6, u"/say"}}));
}

TEST(MacroPreview, InterpreterDrawsFollowTheSampleDraws) {
    const std::u16string lines[6] = {u"/random", u"/p <t> <pos> <tp>", u"", u"", u"", u""};
    ScriptedRandom random{0.5, 0.15, 0.0, 0.004, 0.1235};
    EXPECT_EQ(RunMacroPreview(u"Taro", lines, ThreeNames(), random, kNow),
              (std::vector<OutputLine>{{22, u"ダイス！Taroは、123を出した！"},
                                       {3, u"(Taro) タロウ (B-1) 1%"}}));
}

TEST(MacroPreview, ChatModeLastsOnePreviewOnly) {
    const std::u16string lines[6] = {u"/cm p", u"a", u"b", u"c", u"d", u"e"};
    ScriptedRandom random;
    auto first = RunMacroPreview(u"Taro", lines, {}, random, kNow);
    ASSERT_EQ(first.size(), 5u);
    for (const auto& line : first) EXPECT_EQ(line.colourEntry, 3);
    const std::u16string plain[1] = {u"x"};
    EXPECT_EQ(RunMacroPreview(u"Taro", plain, {}, random, kNow),
              (std::vector<OutputLine>{{0, u"Taro : x"}}));
}

TEST(MacroPreview, SameSeedGivesTheSameLines) {
    const std::u16string lines[6] = {u"/sea",           u"/random", u"/playtime",
                                     u"<t> <pos> <tp>", u"",        u""};
    const AcqNames names = ThreeNames();
    SeededRandom a(99), b(99);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(RunMacroPreview(u"Taro", lines, names, a, kNow),
                  RunMacroPreview(u"Taro", lines, names, b, kNow));
    }
}

TEST(RandomSource, SeededValuesStayInTheHalfOpenRangeAndRepeat) {
    SeededRandom random(1);
    std::vector<double> first;
    for (int i = 0; i < 10000; ++i) {
        const double r = random.Next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        if (i < 10) first.push_back(r);
    }
    random.Seed(1);
    for (double r : first) EXPECT_EQ(random.Next(), r);
}

TEST(WindowTexture, FollowsTheBackgroundNumberWithinItsRange) {
    EXPECT_EQ(WindowTextureNumber(0), 101);
    EXPECT_EQ(WindowTextureNumber(3), 104);
    EXPECT_EQ(WindowTextureNumber(7), 108);
    EXPECT_EQ(WindowTextureNumber(8), 101);
    EXPECT_EQ(WindowTextureNumber(-1), 101);
    EXPECT_EQ(WindowTextureNumber(INT32_MIN), 101);
}

}  // namespace
}  // namespace qm
