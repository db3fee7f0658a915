#include "preview/ChatInterpreter.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "platform/Interfaces.h"
#include "preview/RandomSource.h"

namespace qm {
namespace {

class ChatFixture : public ::testing::Test {
  protected:
    ChatFixture() {
        sample.ownName = u"Taro";
        sample.positionText = u"(C-7)";
    }

    // Runs the lines in order on the one sample and returns everything produced.
    std::vector<OutputLine> Run(std::initializer_list<std::u16string_view> lines) {
        for (auto line : lines) PrintMacroLine(sample, line, random, now);
        return sample.output;
    }

    MacroSample sample;
    ScriptedRandom random;
    LocalDateTime now{2026, 3, 7, 9, 5, 1};
};

using Out = std::vector<OutputLine>;

class PlainLines : public ChatFixture {};
class SayShoutLinkshell : public ChatFixture {};
class PartyEmote : public ChatFixture {};
class Tell : public ChatFixture {};
class MagicAndAbilities : public ChatFixture {};
class InventedNumbers : public ChatFixture {};
class FixedMessages : public ChatFixture {};
class ChatModeCommand : public ChatFixture {};
class Placeholders : public ChatFixture {};
class UnknownCommands : public ChatFixture {};

TEST_F(PlainLines, EmptyLineProducesNothingAndKeepsMode) {
    sample.chatMode = ChatMode::Party;
    EXPECT_EQ(Run({u""}), Out{});
    EXPECT_EQ(sample.chatMode, ChatMode::Party);
}

TEST_F(PlainLines, FreshSampleSays) {
    EXPECT_EQ(Run({u"hello"}), (Out{{0, u"Taro : hello"}}));
}

TEST_F(PlainLines, EachModeSendsOnItsChannel) {
    struct Case {
        ChatMode mode;
        OutputLine expected;
    };
    const Case cases[] = {
        {ChatMode::Say, {0, u"Taro : hi"}},       {ChatMode::Shout, {1, u"Taro : hi"}},
        {ChatMode::Tell, {2, u"Bob>> hi"}},       {ChatMode::Party, {3, u"(Taro) hi"}},
        {ChatMode::LinkShell, {4, u"<Taro> hi"}}, {ChatMode::Emote, {5, u"Taro hi"}},
    };
    for (const auto& c : cases) {
        sample = MacroSample{};
        sample.ownName = u"Taro";
        sample.tellTarget = u"Bob";
        sample.chatMode = c.mode;
        EXPECT_EQ(Run({u"hi"}), Out{c.expected}) << static_cast<int>(c.mode);
    }
}

TEST_F(PlainLines, UnnamedModeSendsNothing) {
    sample.chatMode = static_cast<ChatMode>(6);
    EXPECT_EQ(Run({u"hi", u"/cm"}), Out{});
    sample.chatMode = static_cast<ChatMode>(-1);
    EXPECT_EQ(Run({u"hi"}), Out{});
}

TEST_F(SayShoutLinkshell, MessageIsEverythingAfterTheFirstSpace) {
    EXPECT_EQ(Run({u"/s  hi", u"/say a b", u"/l team", u"/linkshell x"}),
              (Out{{0, u"Taro :  hi"}, {0, u"Taro : a b"}, {4, u"<Taro> team"}, {4, u"<Taro> x"}}));
}

TEST_F(SayShoutLinkshell, LineEndingAtItsFirstSpaceProducesNothing) {
    EXPECT_EQ(Run({u"/s ", u"/say ", u"/sh ", u"/l ", u"/linkshell "}), Out{});
}

TEST_F(SayShoutLinkshell, BareWordProducesNothing) {
    sample.chatMode = ChatMode::Shout;
    EXPECT_EQ(Run({u"/s", u"/sh", u"/l"}), Out{});
    // Nothing was shouted, so shout mode is still on.
    EXPECT_EQ(sample.chatMode, ChatMode::Shout);
}

TEST_F(SayShoutLinkshell, ShoutModeFallsBackToSayAfterOneLine) {
    EXPECT_EQ(Run({u"/cm sh", u"hello", u"world"}),
              (Out{{1, u"Taro : hello"}, {0, u"Taro : world"}}));
}

TEST_F(SayShoutLinkshell, ExplicitShoutLeavesOtherModesAlone) {
    sample.chatMode = ChatMode::Party;
    EXPECT_EQ(Run({u"/shout hey", u"hi"}), (Out{{1, u"Taro : hey"}, {3, u"(Taro) hi"}}));
}

TEST_F(PartyEmote, AlwaysProduceEvenWithoutMessage) {
    EXPECT_EQ(Run({u"/p <pos>", u"/p ", u"/party ok", u"/em waves", u"/emote ", u"/p"}),
              (Out{{3, u"(Taro) (C-7)"},
                   {3, u"(Taro) "},
                   {3, u"(Taro) ok"},
                   {5, u"Taro waves"},
                   {5, u"Taro "},
                   {3, u"(Taro) "}}));
}

TEST_F(Tell, SplitsTargetAndMessageAtTheSecondSpace) {
    EXPECT_EQ(Run({u"/t Bob hello there", u"/tell Ann  two"}),
              (Out{{2, u"Bob>> hello there"}, {2, u"Ann>>  two"}}));
}

TEST_F(Tell, AdjacentSpacesGiveAnEmptyTarget) {
    EXPECT_EQ(Run({u"/t  hi"}), (Out{{2, u">> hi"}}));
}

TEST_F(Tell, WithoutSecondSpaceProducesNothing) {
    EXPECT_EQ(Run({u"/t Bob", u"/tell", u"/t"}), Out{});
}

TEST_F(MagicAndAbilities, SpellAndSongNameTheWordAndIgnoreTheTail) {
    EXPECT_EQ(
        Run({u"/ma ケアル <t>", u"/magic ケアルII Bob", u"/so 魔法の歌 x y", u"/song ララバイ "}),
        (Out{{20, u"Taroはケアルを唱えた。"},
             {20, u"TaroはケアルIIを唱えた。"},
             {20, u"Taroは魔法の歌を唱えた。"},
             {20, u"Taroはララバイを唱えた。"}}));
}

TEST_F(MagicAndAbilities, WeaponSkillsAndJobAbilities) {
    EXPECT_EQ(Run({u"/ws ファストブレード <t>", u"/weaponskill 乱撃 a", u"/ja 挑発 <me>",
                   u"/jobability 二刀流 "}),
              (Out{{20, u"Taroのファストブレード！"},
                   {20, u"Taroの乱撃！"},
                   {20, u"Taroの挑発！"},
                   {20, u"Taroの二刀流！"}}));
}

TEST_F(MagicAndAbilities, WithoutSecondSpaceProduceNothing) {
    EXPECT_EQ(Run({u"/ma ケアル", u"/ws ファストブレード", u"/ja", u"/so"}), Out{});
}

// The game's own log: quotes around a name, call sounds and /echo, one line each.
TEST_F(MagicAndAbilities, ReadLikeTheGamesLog) {
    struct Case {
        std::u16string_view line;
        Out expected;
    };
    const Case cases[] = {
        {u"/ma \"ケアルIV\" <t>", {{20, u"TaroはケアルIVを唱えた。"}}},
        {u"/ma \"Cure IV\" <t>", {{20, u"TaroはCure IVを唱えた。"}}},
        {u"/song \"\"x\"\" <t>", {{20, u"Taroは\"x\"を唱えた。"}}},  // one pair only
        {u"/ja \"Provoke\" <t>", {{20, u"TaroのProvoke！"}}},
        {u"/ws \"Savage Blade\" <t>", {{20, u"TaroのSavage Blade！"}}},
        {u"/ma \"ケアル <t>", {{20, u"Taroは\"ケアルを唱えた。"}}},  // no closing quote
        {u"/ma \"Cure IV\"", {}},                                    // no space after the name
        {u"/ma \"\" <t>", {{20, u"Taroはを唱えた。"}}},
        {u"/p <call14>ready", {{3, u"(Taro) ready"}}},
        {u"/s go<call0> <call21>", {{0, u"Taro : go "}}},
        {u"/s <call22><call05><call> <CALL1>", {{0, u"Taro : <call22><call05><call> <CALL1>"}}},
        {u"<call3>", {}},  // nothing is left to say
        {u"/echo 準備完了 <t>", {{6, u"準備完了 "}}},
        {u"/echo", {}},
        {u"/echo ", {}},
        {u"/Echo hi", {}},
    };
    for (const Case& c : cases) {
        sample.output.clear();
        EXPECT_EQ(Run({c.line}), c.expected) << std::string(c.line.begin(), c.line.end());
    }
}

TEST_F(InventedNumbers, RangeEndsFromTheDrawnValue) {
    const double top = 0.9999999999;
    random = ScriptedRandom{0.0, top, 0.0, top, 0.0, top, 0.0, top};
    EXPECT_EQ(Run({u"/sea", u"/search x", u"/random", u"/random", u"/playtime", u"/playlog",
                   u"/sea", u"/random"}),
              (Out{{22, u"検索結果：0人見つかりました。"},
                   {22, u"検索結果：499人見つかりました。"},
                   {22, u"ダイス！Taroは、0を出した！"},
                   {22, u"ダイス！Taroは、999を出した！"},
                   {22, u"1時間"},
                   {22, u"1000時間"},
                   {22, u"検索結果：0人見つかりました。"},
                   {22, u"ダイス！Taroは、999を出した！"}}));
    EXPECT_EQ(random.Draws(), 8);
}

TEST_F(InventedNumbers, ScaleIsFlooredNotRounded) {
    random = ScriptedRandom{0.5, 0.4999, 0.25};
    EXPECT_EQ(Run({u"/sea", u"/random", u"/playtime"}),
              (Out{{22, u"検索結果：250人見つかりました。"},
                   {22, u"ダイス！Taroは、499を出した！"},
                   {22, u"251時間"}}));
}

TEST_F(InventedNumbers, OtherCommandsDrawNothing) {
    Run({u"hello", u"/p x", u"/ma a b", u"/cm", u"/ver", u"/clock", u"/h", u"/unknown"});
    EXPECT_EQ(random.Draws(), 0);
}

TEST_F(InventedNumbers, SeededSourceStaysInRange) {
    SeededRandom seeded(12345);
    bool sawLow = false, sawHigh = false;
    for (int i = 0; i < 20000; ++i) {
        MacroSample s;
        s.ownName = u"T";
        PrintMacroLine(s, u"/playtime", seeded, now);
        ASSERT_EQ(s.output.size(), 1u);
        const std::u16string& text = s.output[0].text;
        const int n = std::stoi(std::string(text.begin(), text.end() - 2));
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 1000);
        sawLow = sawLow || n <= 5;
        sawHigh = sawHigh || n >= 996;
    }
    EXPECT_TRUE(sawLow);
    EXPECT_TRUE(sawHigh);
}

TEST_F(FixedMessages, TextsAndColours) {
    EXPECT_EQ(Run({u"/ver", u"/clock", u"/h", u"/help me", u"/c", u"/check x", u"/map", u"/smes",
                   u"/servmes"}),
              (Out{{6, u"ver 0.9.0.2"},
                   {22, u"03-07-2026 09:05:01"},
                   {21, u"Taroは助けを求めている！"},
                   {21, u"Taroは助けを求めている！"},
                   {6, u"称号[クイルモアのご主人様]"},
                   {6, u"称号[クイルモアのご主人様]"},
                   {22, u"この地方のマップは存在しません。"},
                   {21, u"< Quillmor >"},
                   {21, u"< Quillmor >"}}));
}

TEST_F(ChatModeCommand, ReportsTheCurrentMode) {
    EXPECT_EQ(Run({u"/cm", u"/cm p", u"/cm", u"/st.chatMode /linkshell", u"/st.chatMode", u"/cm em",
                   u"/cm", u"/cm t Bob", u"/cm", u"/cm shout", u"/cm"}),
              (Out{{6, u"/say"},
                   {6, u"/party"},
                   {6, u"/linkshell"},
                   {6, u"/emote"},
                   {6, u"/tell Bob"},
                   {6, u"/shout"}}));
}

TEST_F(ChatModeCommand, TellWithTarget) {
    EXPECT_EQ(Run({u"/cm t Bob", u"hi"}), (Out{{2, u"Bob>> hi"}}));
    EXPECT_EQ(sample.tellTarget, u"Bob");
}

TEST_F(ChatModeCommand, TellWithoutTargetKeepsTheOldOne) {
    EXPECT_EQ(Run({u"/cm t", u"hi"}), (Out{{2, u">> hi"}}));
    sample.output.clear();
    EXPECT_EQ(Run({u"/cm tell Ann", u"/cm s", u"/cm /t", u"hi"}), (Out{{2, u"Ann>> hi"}}));
}

TEST_F(ChatModeCommand, TargetWithASpaceSplitsWhenSent) {
    EXPECT_EQ(Run({u"/cm tell Bob Smith", u"hi"}), (Out{{2, u"Bob>> Smith hi"}}));
    EXPECT_EQ(sample.tellTarget, u"Bob Smith");
}

TEST_F(ChatModeCommand, RejectedArgumentsChangeNothing) {
    sample.chatMode = ChatMode::Party;
    sample.tellTarget = u"Bob";
    EXPECT_EQ(Run({u"/cm ", u"/cm s extra", u"/cm whisper", u"/cm S", u"/cm p  ", u"/cm  t"}),
              Out{});
    EXPECT_EQ(sample.chatMode, ChatMode::Party);
    EXPECT_EQ(sample.tellTarget, u"Bob");
}

TEST_F(ChatModeCommand, ModeCarriesToLaterLines) {
    EXPECT_EQ(Run({u"/cm l", u"a", u"/s b", u"c"}),
              (Out{{4, u"<Taro> a"}, {0, u"Taro : b"}, {4, u"<Taro> c"}}));
}

TEST_F(Placeholders, EachIsReplacedWhereWritten) {
    sample.targetText = u"Bob";
    sample.tp = 150;
    EXPECT_EQ(Run({u"/p <t> <pos> <tp> <me> <t>"}), (Out{{3, u"(Taro) Bob (C-7) 150% Taro Bob"}}));
}

TEST_F(Placeholders, TpFormsIncludingZeroAndNegative) {
    sample.tp = 0;
    EXPECT_EQ(Run({u"<tp>"}), (Out{{0, u"Taro : 0%"}}));
    sample.tp = -5;
    sample.output.clear();
    EXPECT_EQ(Run({u"<tp>"}), (Out{{0, u"Taro : -5%"}}));
}

TEST_F(Placeholders, InsertedTextIsNotSearchedAgain) {
    sample.targetText = u"<pos>";
    sample.ownName = u"<t>";
    EXPECT_EQ(Run({u"/p <t> <me>"}), (Out{{3, u"(<t>) <pos> <t>"}}));
}

TEST_F(Placeholders, PlainLineIsNotFilledInTwice) {
    // The composed channel line must not be searched again either.
    sample.targetText = u"<pos>";
    sample.chatMode = ChatMode::Tell;
    sample.tellTarget = u"<me>";
    EXPECT_EQ(Run({u"<t>"}), (Out{{2, u"<me>>> <pos>"}}));
}

TEST_F(Placeholders, RemovedPlaceholderDoesNotJoinANewOne) {
    sample.targetText = u"";
    EXPECT_EQ(SubstitutePlaceholders(sample, u"<<t>pos> <t<t>> <TP>"), u"<pos> <t> <TP>");
}

TEST_F(Placeholders, CanTurnAPlainLineIntoACommand) {
    sample.targetText = u"/p";
    EXPECT_EQ(Run({u"<t> x"}), (Out{{3, u"(Taro) x"}}));
}

TEST_F(UnknownCommands, ProduceNothingAndChangeNothing) {
    sample.chatMode = ChatMode::Emote;
    EXPECT_EQ(Run({u"/SAY hi", u"/Say hi", u"/CM p", u"/", u"/ hi", u"/foo bar", u"/sayhi",
                   u"/s\thi", u"/Random"}),
              Out{});
    EXPECT_EQ(sample.chatMode, ChatMode::Emote);
    EXPECT_EQ(random.Draws(), 0);
}

}  // namespace
}  // namespace qm
