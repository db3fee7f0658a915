#include "config/DisplayProbe.h"

#include <gtest/gtest.h>

#include "platform/fake/FakeDisplayProbe.h"

namespace qm {
namespace {

struct TraceRecorder {
    std::vector<std::u16string> lines;
    TraceFn Fn() {
        return [this](std::u16string_view t) { lines.emplace_back(t); };
    }
};

using Lines = std::vector<std::u16string>;

TEST(DisplayProbe, RefreshRatesAndFormatsCollapseAtFirstOccurrenceUnsorted) {
    FakeDisplayProbe probe;
    probe.AddMode(1280, 1024, kFormatX8R8G8B8, 2);
    probe.AddMode(1024, 768, 23, 3);  // 16-bit first: must not fix the position
    probe.AddMode(1024, 768, kFormatX8R8G8B8, 3);
    probe.AddMode(800, 600, kFormatR8G8B8);
    probe.AddMode(1024, 768, kFormatR8G8B8);
    probe.AddMode(640, 480, 24);
    probe.AddMode(640, 480, 30);
    probe.AddMode(1280, 1024, kFormatR8G8B8);

    TraceRecorder trace;
    const DisplayProbeResult r = CheckD3D(&probe, trace.Fn());
    EXPECT_EQ(r.modes, (DisplayModeList{{1280, 1024}, {1024, 768}, {800, 600}}));
    EXPECT_FALSE(r.displayModeFailed);
    EXPECT_TRUE(r.available);
    EXPECT_EQ(trace.lines, (Lines{u"CheckD3D()", u"CheckDisplayMode()"}));
}

TEST(DisplayProbe, SixteenBitOnlyAdapterFailsWithTraceLine) {
    FakeDisplayProbe probe;
    probe.AddMode(1024, 768, 23, 3);
    probe.AddMode(800, 600, 24);
    probe.vertexShaderVersion = 0x0101;
    TraceRecorder trace;
    const DisplayProbeResult r = CheckD3D(&probe, trace.Fn());
    EXPECT_TRUE(r.modes.empty());
    EXPECT_TRUE(r.displayModeFailed);
    EXPECT_TRUE(r.available);  // bump mapping is still asked: the two are independent
    EXPECT_TRUE(BumpMapAvailable(probe.VertexShaderVersion(), trace.Fn()));
    EXPECT_EQ(trace.lines, (Lines{u"CheckD3D()", u"CheckDisplayMode()",
                                  u"ディスプレイ解像度の取得失敗", u"BumpMap使用可能"}));
}

TEST(DisplayProbe, SizesBeyondSixteenBitsAreNotListed) {
    FakeDisplayProbe probe;
    probe.AddMode(40000, 2160, kFormatX8R8G8B8);
    probe.AddMode(3840, 2160, kFormatX8R8G8B8);
    const DisplayProbeResult r = CheckD3D(&probe, {});
    EXPECT_EQ(r.modes, (DisplayModeList{{3840, 2160}}));
}

TEST(DisplayProbe, BumpMappingNeedsVertexShaderOnePointOneInTheLowWord) {
    struct Row {
        std::optional<uint32_t> version;
        bool expected;
    };
    const Row rows[] = {{std::nullopt, false}, {0x0100, false},     {0x0101, true},
                        {0x0300, true},        {0xFFFE0100, false}, {0xFFFE0101, true},
                        {0x00010000, false}};
    for (const Row& row : rows) {
        TraceRecorder trace;
        EXPECT_EQ(BumpMapAvailable(row.version, trace.Fn()), row.expected)
            << row.version.value_or(0);
        EXPECT_EQ(trace.lines, row.expected ? Lines{u"BumpMap使用可能"} : Lines{});
    }
}

TEST(DisplayProbe, MissingAdapterEndsQuietlyAfterFirstLine) {
    FakeDisplayProbe probe;
    probe.available = false;
    probe.AddMode(1024, 768, kFormatX8R8G8B8);
    probe.vertexShaderVersion = 0x0101;
    TraceRecorder trace;
    const DisplayProbeResult r = CheckD3D(&probe, trace.Fn());
    EXPECT_TRUE(r.modes.empty());
    EXPECT_FALSE(r.displayModeFailed);
    EXPECT_FALSE(r.available);  // bump mapping is not asked either
    EXPECT_EQ(probe.modeQueries, 0);
    EXPECT_EQ(trace.lines, (Lines{u"CheckD3D()"}));

    const DisplayProbeResult none = CheckD3D(nullptr, trace.Fn());
    EXPECT_TRUE(none.modes.empty());
    EXPECT_FALSE(none.displayModeFailed);
}

TEST(DisplayProbe, GetDisplayModeTracesDesktopSize) {
    FakeDisplayProbe probe;
    probe.desktopSize = std::pair{1024, 768};
    TraceRecorder trace;
    EXPECT_EQ(GetDisplayMode(&probe, trace.Fn()), (std::pair<int16_t, int16_t>{1024, 768}));
    EXPECT_EQ(trace.lines, (Lines{u"GetDisplayMode()", u"Returns 1024, 768"}));

    // No adapter or no answer: the tab switch still completes, with zeros.
    probe.desktopSize.reset();
    trace.lines.clear();
    EXPECT_EQ(GetDisplayMode(&probe, trace.Fn()), (std::pair<int16_t, int16_t>{0, 0}));
    EXPECT_EQ(GetDisplayMode(nullptr, {}), (std::pair<int16_t, int16_t>{0, 0}));
    EXPECT_EQ(trace.lines, (Lines{u"GetDisplayMode()", u"Returns 0, 0"}));
}

TEST(DisplayProbe, CaptionUsesMultiplicationSign) {
    EXPECT_EQ(DisplayModeCaption({1024, 768}), u"1024 × 768");
    EXPECT_EQ(DisplayModeCaption({0, 0}), u"0 × 0");
    EXPECT_EQ(DisplayModeCaption({-1, 600}), u"-1 × 600");
}

}  // namespace
}  // namespace qm
