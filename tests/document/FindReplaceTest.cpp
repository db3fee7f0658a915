#include "document/FindReplace.h"

#include <gtest/gtest.h>

#include "macro/Cp932.h"
#include "storage/Utf.h"

namespace qm {
namespace {

std::vector<TextSpan> Spans(const std::vector<TextMatch>& matches) {
    std::vector<TextSpan> spans;
    for (const TextMatch& m : matches) spans.push_back(m.span);
    return spans;
}

// No match starts or ends inside a token; one may hold whole tokens.
TEST(TextPattern, MatchesNeverStartOrEndInsideAToken) {
    struct Case {
        const char16_t* pattern;
        bool regex;
        const char16_t* text;
        std::vector<TextSpan> found;
    };
    const Case cases[] = {
        {u"AT", false, u"⟦AT 02⟧AT", {{7, 2}}},
        {u"02⟧", false, u"⟦AT 02⟧", {}},
        {u"⟦FD⟧", false, u"a⟦FD⟧b⟦FD⟧", {{1, 4}, {6, 4}}},
        {u".", true, u"a⟦FD⟧b", {{0, 1}, {5, 1}}},
        {u"a.*b", true, u"a⟦FD⟧b", {{0, 6}}},
        {u"[^a]+", true, u"a⟦FD⟧b", {{1, 5}}},
        {u"x*", true, u"abc", {}},  // empty matches are no results
        {u"ケアル", false, u"/ma ケアルケアル <t>", {{4, 3}, {7, 3}}},
        {u"^/ma", true, u"/ma /ma", {{0, 3}}},
#ifndef _WIN32  // the Windows regex runs on UTF-16 units: "." takes half a pair there
        {u".", true, u"\U0002000B", {{0, 2}}},  // one character, two units
#endif
        {u"\\bt\\b", true, u"<t> at", {{1, 1}}},
    };
    for (const Case& c : cases) {
        TextPattern::Error error;
        auto pattern = TextPattern::Make(c.pattern, c.regex, &error);
        ASSERT_TRUE(pattern) << error.detail;
        EXPECT_EQ(Spans(pattern->FindIn(c.text)), c.found)
            << Utf16ToUtf8(c.pattern) << " in " << Utf16ToUtf8(c.text);
    }
    EXPECT_FALSE(TextPattern::Make(u"(", true));
    EXPECT_FALSE(TextPattern::Make(u"", false));

    auto groups = TextPattern::Make(u"(ケアル)(I*)", true);
    const std::u16string format = u"$2$1";
    const auto matches = groups->FindIn(u"/ma ケアルII", &format);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].replacement, u"IIケアル");
}

// The byte test never turns a field away that holds the text - also where a character
// has a second byte form elsewhere in the table.
TEST(TextPattern, ByteTestNeverMissesAField) {
    const struct {
        const char16_t* pattern;
        std::vector<uint8_t> field;
        bool holds;
    } cases[] = {
        {u"ケアル", Cp932Encode(u"/ma ケアル"), true},
        {u"ケアラ", Cp932Encode(u"/ma ケアル"), false},
        {u"≒", {0x87, 0x90}, true},  // NEC row 13 form of U+2252, read back as 81 E0's
        {u"ⅰ", {0xFA, 0x40}, true},
        {u"a", {0x82, 0x61}, false},  // a trail byte is a false lead, never a miss
    };
    for (const auto& c : cases) {
        auto pattern = TextPattern::Make(c.pattern, false);
        const std::u16string text = Cp932Decode(c.field);
        const bool found = pattern->MayMatch(c.field) && !pattern->FindIn(text).empty();
        EXPECT_EQ(found, c.holds) << Utf16ToUtf8(c.pattern);
        if (!pattern->FindIn(text).empty()) {
            EXPECT_TRUE(pattern->MayMatch(c.field));
        }
    }
}

class Replace : public ::testing::Test {
  protected:
    void SetUp() override {
        Put({0, 0, 0, 0}, u"ケアル");
        Put({0, 0, 0, 1}, u"/ma \"ケアル\" <t>");
        Put({3, 9, 19, 6}, u"/ma \"ケアル\" <me>");
        // Exactly 60 bytes: a longer name does not fit.
        Put({0, 2, 4, 3}, u"/p" + std::u16string(26, u'あ') + u"ケアル");
        doc_.History().Clear();
    }
    void Put(FieldRef ref, std::u16string_view text) { ASSERT_TRUE(doc_.SetField(ref, text)); }
    ReplacePlan Plan(const char16_t* from, const char16_t* to, bool regex = false) {
        auto pattern = TextPattern::Make(from, regex);
        return PlanReplace(doc_, *pattern, to);
    }
    CharacterDocument doc_;
};

TEST_F(Replace, ComputesEveryChangeFirstAndRefusesWhatDoesNotFit) {
    auto pattern = TextPattern::Make(u"ケアル", false);
    const auto found = FindInDocument(doc_, *pattern);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[3].where, (FieldRef{3, 9, 19, 6}));
    EXPECT_EQ(FindInDocument(doc_, *pattern, {true, false, -1}).size(), 1u);

    ReplacePlan plan = Plan(u"ケアル", u"ケアルガ");
    EXPECT_EQ(plan.changes.size(), 3u);
    ASSERT_EQ(plan.refused.size(), 1u);
    const RefusedReplacement& refused = plan.refused[0];
    EXPECT_EQ(refused.where, (FieldRef{0, 2, 4, 3}));
    EXPECT_EQ(refused.reason, RefusedReplacement::Reason::TooLong);
    EXPECT_EQ(refused.bytes, 62u);
    EXPECT_EQ(refused.capacity, 60u);
    EXPECT_EQ(plan.changes[0].after, u"ケアルガ");  // a title of exactly 8 bytes
    EXPECT_TRUE(doc_.History().Count() == 0);       // planning changes nothing

    int told = 0;
    doc_.Subscribe([&](const CharacterDocument&, const DocumentChange&) { ++told; });
    ApplyReplace(doc_, plan);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(doc_.History().Count(), 1u);
    EXPECT_EQ(doc_.FieldText({3, 9, 19, 6}), u"/ma \"ケアルガ\" <me>");
    EXPECT_EQ(doc_.FieldText({0, 2, 4, 3}).substr(2, 2), u"ああ");
    doc_.Undo();
    EXPECT_EQ(doc_.FieldText({3, 9, 19, 6}), u"/ma \"ケアル\" <me>");
    EXPECT_EQ(doc_.FieldText({0, 0, 0, 0}), u"ケアル");

    // A title cannot take nine bytes; é has no CP932 form.
    plan = Plan(u"ケアル", u"ケアルガa");
    EXPECT_EQ(plan.refused.size(), 2u);
    plan = Plan(u"ケ", u"\u00E9");
    ASSERT_EQ(plan.refused.size(), 4u);
    EXPECT_EQ(plan.refused[0].reason, RefusedReplacement::Reason::NoCp932Form);
    EXPECT_EQ(plan.refused[0].characters, u"\u00E9");
}

// A field holding a token (an auto-translate phrase, FD ... FD): the bytes of the token
// stay as they are, or the change is refused.
TEST_F(Replace, TokensAreNeverChanged) {
    const std::vector<uint8_t> phrase = {0xFD, 0x02, 0x02, 0x01, 0x0D, 0xFD};
    std::vector<uint8_t> bytes = Cp932Encode(u"/p ");
    bytes.insert(bytes.end(), phrase.begin(), phrase.end());
    const std::vector<uint8_t> tail = Cp932Encode(u" ケアル");
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    ASSERT_TRUE(doc_.SetFieldBytes({5, 0, 0, 1}, bytes));

    const ReplacePlan plan = Plan(u"ケアル", u"ケアルII");
    for (const FieldReplacement& c : plan.changes) {
        if (!(c.where == FieldRef{5, 0, 0, 1})) continue;
        const auto at = std::search(c.bytes.begin(), c.bytes.end(), phrase.begin(), phrase.end());
        EXPECT_EQ(at - c.bytes.begin(), 3);
    }
    // Eating the phrase with a wildcard is refused, whatever the text shows of it.
    const ReplacePlan wild = Plan(u"/p .*", u"/p x", true);
    bool refused = false;
    for (const RefusedReplacement& r : wild.refused) refused |= r.where == FieldRef{5, 0, 0, 1};
    EXPECT_TRUE(refused);
    for (const FieldReplacement& c : wild.changes) EXPECT_FALSE(c.where == (FieldRef{5, 0, 0, 1}));
}

}  // namespace
}  // namespace qm
