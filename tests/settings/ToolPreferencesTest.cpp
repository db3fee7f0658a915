#include "settings/ToolPreferences.h"

#include <gtest/gtest.h>

#include "platform/fake/FakeRegistry.h"
#include "settings/Registry.h"

namespace qm {
namespace {

TEST(ToolPreferences, FirstRunReadsEveryDefaultAndWritesNothing) {
    FakeRegistry reg;
    const ToolPreferences p = LoadPreferences(reg);
    EXPECT_EQ(p.TabIndex, 0);
    EXPECT_EQ(p.Myname, u"Myname");
    EXPECT_EQ(p.CaptureMode, 0);
    EXPECT_EQ(p.CaptureInterval, 10000);
    EXPECT_EQ(p.CapturePath, u"");
    EXPECT_EQ(p.SaveAsJpeg, 1);
    EXPECT_EQ(p.JpegQuality, 80);
    EXPECT_EQ(p.LockCaptureName, 0);
    EXPECT_EQ(p.CaptureName, u"ScreenShot");
    EXPECT_EQ(p.CaptureStartSE, u"");
    EXPECT_EQ(p.CaptureStopSE, u"");
    EXPECT_EQ(p.CaptureKeyCode, 44);
    EXPECT_EQ(reg.queries, 14);
    EXPECT_EQ(reg.ValueCount(), 0u);
    EXPECT_FALSE(reg.HasKey(kPreferencesKey));
}

TEST(ToolPreferences, SaveWritesEveryFieldWithItsTypeAndLoadsThemBack) {
    FakeRegistry reg;
    ToolPreferences p;
    p.TabIndex = 2;
    p.Myname = u"タルタル";
    p.CaptureMode = 2;
    p.CaptureInterval = 2500;
    p.CapturePath = u"/tmp/写真";
    p.SaveAsJpeg = 0;
    p.JpegQuality = 55;
    p.LockCaptureName = 1;
    p.CaptureName = u"SS";
    p.CaptureStartSE = u"/a.wav";
    p.CaptureStopSE = u"/b.wav";
    p.CaptureKeyCode = 123;
    p.Language = u"en";
    p.Characters = u"/game/USER/1a2b3c4d/\t戦士\n/other/\t\n";
    EXPECT_TRUE(SavePreferences(reg, p));
    EXPECT_EQ(reg.ValueCount(), 14u);
    EXPECT_EQ(reg.Peek(kPreferencesKey, u"TabIndex")->type, uint32_t{REG_DWORD_TYPE});
    EXPECT_EQ(reg.Peek(kPreferencesKey, u"CaptureKeyCode")->type, uint32_t{REG_DWORD_TYPE});
    EXPECT_EQ(reg.Peek(kPreferencesKey, u"Myname")->type, uint32_t{REG_SZ_TYPE});
    EXPECT_EQ(reg.Peek(kPreferencesKey, u"CaptureStopSE")->type, uint32_t{REG_SZ_TYPE});
    EXPECT_EQ(LoadPreferences(reg), p);

    // Empty texts are stored too, so a cleared sound stays cleared.
    p.CaptureStartSE.clear();
    SavePreferences(reg, p);
    EXPECT_EQ(LoadPreferences(reg).CaptureStartSE, u"");
}

TEST(ToolPreferences, NumbersOutside16BitsTakeTheDefault) {
    FakeRegistry reg;
    reg.PutNumber(kPreferencesKey, u"TabIndex", 65536 + 1);  // cut down it would be tab 1
    reg.PutNumber(kPreferencesKey, u"CaptureKeyCode", -40000);
    reg.PutNumber(kPreferencesKey, u"CaptureMode", -32768);
    reg.PutNumber(kPreferencesKey, u"SaveAsJpeg", 32767);
    reg.PutNumber(kPreferencesKey, u"CaptureInterval", 3600000);  // 32-bit field
    const auto p = LoadPreferences(reg);
    EXPECT_EQ(p.TabIndex, 0);
    EXPECT_EQ(p.CaptureKeyCode, 44);
    EXPECT_EQ(p.CaptureMode, -32768);
    EXPECT_EQ(p.SaveAsJpeg, 32767);
    EXPECT_EQ(p.CaptureInterval, 3600000);
}

TEST(ToolPreferences, SaveGoesOnPastAFailedValueAndSaysSo) {
    FakeRegistry reg;
    reg.failSet = [](std::u16string_view, std::u16string_view name) { return name == u"Myname"; };
    ToolPreferences p;
    p.CaptureKeyCode = 19;
    Reason reason;
    EXPECT_FALSE(SavePreferences(reg, p, &reason));
    EXPECT_EQ(reason, (Reason{.kind = ReasonKind::ValuesNotStored, .subject = u"Myname"}));
    EXPECT_EQ(reg.ValueCount(), 13u);
    EXPECT_EQ(LoadPreferences(reg).CaptureKeyCode, 19);
}

}  // namespace
}  // namespace qm
