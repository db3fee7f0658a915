#include <gtest/gtest.h>

#include <cmath>

#include "capture/CaptureSettings.h"
#include "macro/Cp932.h"
#include "settings/ToolPreferences.h"

namespace qm {
namespace {

TEST(LeadingNumberTest, ReadsTheLeadingDecimalNumberOnly) {
    EXPECT_EQ(LeadingNumber(u"12abc"), 12.0);
    EXPECT_EQ(LeadingNumber(u"  3"), 3.0);
    EXPECT_EQ(LeadingNumber(u"1.5"), 1.5);
    EXPECT_EQ(LeadingNumber(u".5"), 0.5);
    EXPECT_EQ(LeadingNumber(u"7."), 7.0);
    EXPECT_EQ(LeadingNumber(u"-4x"), -4.0);
    EXPECT_EQ(LeadingNumber(u"+4"), 4.0);
    EXPECT_EQ(LeadingNumber(u"2e3"), 2000.0);
    EXPECT_EQ(LeadingNumber(u"2e"), 2.0);
    EXPECT_EQ(LeadingNumber(u"2e+"), 2.0);
    EXPECT_EQ(LeadingNumber(u"1 2"), 1.0);
    EXPECT_EQ(LeadingNumber(u""), 0.0);
    EXPECT_EQ(LeadingNumber(u"abc"), 0.0);
    EXPECT_EQ(LeadingNumber(u"."), 0.0);
    EXPECT_EQ(LeadingNumber(u"-"), 0.0);
    EXPECT_EQ(LeadingNumber(u"１０"), 10.0) << "full-width digits from an input method count";
    EXPECT_TRUE(std::isinf(LeadingNumber(u"1e999")));
    EXPECT_EQ(LeadingNumber(u"1e-999"), 0.0);
}

TEST(LeadingNumberTest, RoundsHalvesToEvenWithinThe32BitRange) {
    EXPECT_EQ(RoundedLeadingNumber(u"1.5"), 2);
    EXPECT_EQ(RoundedLeadingNumber(u"2.5"), 2);
    EXPECT_EQ(RoundedLeadingNumber(u"3.5"), 4);
    EXPECT_EQ(RoundedLeadingNumber(u"0.5"), 0);
    EXPECT_EQ(RoundedLeadingNumber(u"-2.5"), -2);
    EXPECT_EQ(RoundedLeadingNumber(u"2.51"), 3);
    EXPECT_EQ(RoundedLeadingNumber(u"99999999999"), 2147483647);
    EXPECT_EQ(RoundedLeadingNumber(u"-99999999999"), -2147483648LL);
    EXPECT_EQ(RoundedLeadingNumber(u"1e999"), 2147483647);
}

TEST(IntervalTextTest, TypingChangesTheIntervalOnlyForPositiveNumbers) {
    ToolPreferences prefs;
    prefs.CaptureInterval = 10000;
    ApplyIntervalText(prefs, u"2");
    EXPECT_EQ(prefs.CaptureInterval, 2000);
    ApplyIntervalText(prefs, u"1.5");
    EXPECT_EQ(prefs.CaptureInterval, 2000);
    ApplyIntervalText(prefs, u"2.5");
    EXPECT_EQ(prefs.CaptureInterval, 2000);
    ApplyIntervalText(prefs, u"15");
    for (const char16_t* unchanged : {u"0", u"", u"-3", u"abc", u"0.4"}) {
        ApplyIntervalText(prefs, unchanged);
        EXPECT_EQ(prefs.CaptureInterval, 15000) << Utf16ToUtf8(unchanged);
    }
    ApplyIntervalText(prefs, u"999999999");
    EXPECT_EQ(prefs.CaptureInterval, kMaxCaptureIntervalSeconds * 1000);
}

TEST(IntervalTextTest, LeavingTheBoxMakesTheIntervalAtLeastOneSecond) {
    ToolPreferences prefs;
    prefs.CaptureInterval = 10000;
    for (const char16_t* low : {u"0", u"", u"-5", u"x", u"0.5"}) {
        prefs.CaptureInterval = 10000;
        const auto shown = CommitIntervalText(prefs, low);
        ASSERT_TRUE(shown.has_value());
        EXPECT_EQ(*shown, u"1");
        EXPECT_EQ(prefs.CaptureInterval, 1000);
    }
    EXPECT_FALSE(CommitIntervalText(prefs, u"1.5").has_value()) << "a valid text stays as typed";
    EXPECT_EQ(prefs.CaptureInterval, 2000);

    const auto capped = CommitIntervalText(prefs, u"100000");
    ASSERT_TRUE(capped.has_value());
    EXPECT_EQ(*capped, u"86400");
    EXPECT_EQ(prefs.CaptureInterval, 86400000);
}

TEST(IntervalTextTest, StoredIntervalShowsWholeSeconds) {
    EXPECT_EQ(IntervalTextFor(10000), u"10");
    EXPECT_EQ(IntervalTextFor(2500), u"2");
    EXPECT_EQ(IntervalTextFor(999), u"0");
    EXPECT_EQ(IntervalTextFor(-3000), u"-3");
}

TEST(KeyCodeTextTest, OnlyCodesOneTo254NameAKey) {
    ToolPreferences prefs;
    ApplyKeyCodeText(prefs, u"65");
    EXPECT_EQ(prefs.CaptureKeyCode, 65);
    ApplyKeyCodeText(prefs, u"44.5");
    EXPECT_EQ(prefs.CaptureKeyCode, 44);
    ApplyKeyCodeText(prefs, u"254");
    EXPECT_EQ(prefs.CaptureKeyCode, 254);
    for (const char16_t* none : {u"", u"abc", u"0", u"255", u"-1", u"40000", u"1e99"}) {
        prefs.CaptureKeyCode = 65;
        ApplyKeyCodeText(prefs, none);
        EXPECT_EQ(prefs.CaptureKeyCode, 0);
    }
}

}  // namespace
}  // namespace qm
