#include "config/GameSettings.h"
#include "config/GameSettingsHistory.h"

#include <gtest/gtest.h>

#include "platform/fake/FakeRegistry.h"

namespace qm {
namespace {

// Records the order of writes on top of the in-memory registry.
class RecordingRegistry : public FakeRegistry {
  public:
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override {
        written.emplace_back(name);
        return FakeRegistry::Set(hive, key, name, value);
    }
    std::vector<std::u16string> written;
};

class GameSettingsTest : public ::testing::Test {
  protected:
    void Put(std::u16string_view name, int32_t value) {
        reg.PutNumber(kGameSettingsKey, name, value);
    }
    // The stored number, or nothing when the value is missing or not a REG_DWORD.
    std::optional<int32_t> Stored(std::u16string_view name) {
        const auto v = reg.Peek(kGameSettingsKey, name);
        if (!v || v->type != REG_DWORD_TYPE || v->data.size() != 4) return std::nullopt;
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits |= uint32_t{v->data[i]} << (8 * i);
        return static_cast<int32_t>(bits);
    }
    GameSettings Load(bool failed = false) { return LoadGameSettings(reg, modes, failed); }

    RecordingRegistry reg;
    DisplayModeList modes{{1024, 768}, {800, 600}};
};

TEST_F(GameSettingsTest, MissingKeyLoadsClearAndSaveCreatesAllThirteenInOrder) {
    const GameSettings s = Load();
    for (CheckState c :
         {s.sound, s.mipMap, s.bumpMap, s.openingMovie, s.hardwareCursor, s.simpleCharacterMake})
        EXPECT_EQ(c, CheckState::Clear);
    EXPECT_EQ(s.general, 0);
    EXPECT_EQ(s.menuMap, 0);
    EXPECT_EQ(s.deformAnimation, 0);
    EXPECT_EQ(s.backBufferW, u"0");
    EXPECT_EQ(s.backBufferH, u"0");
    EXPECT_EQ(s.backBufferWStep, 0);
    EXPECT_EQ(s.backBufferHStep, 0);
    EXPECT_EQ(modes, (DisplayModeList{{1024, 768}, {800, 600}, {0, 0}}));
    EXPECT_EQ(s.frontBuffer, 2);
    EXPECT_FALSE(reg.HasKey(kGameSettingsKey));  // reading creates nothing

    const SaveReport r = SaveGameSettings(reg, s, modes);
    EXPECT_TRUE(r.AllSaved());
    EXPECT_FALSE(r.reason);
    EXPECT_EQ(reg.written, std::vector<std::u16string>(kGameSettingsSaveOrder.begin(),
                                                       kGameSettingsSaveOrder.end()));
    EXPECT_EQ(reg.ValueCount(), 13u);
    for (auto name : kGameSettingsSaveOrder) EXPECT_EQ(Stored(name), 0) << name.size();
}

TEST_F(GameSettingsTest, StoredValuesRoundTripUnchanged) {
    const std::pair<std::u16string_view, int32_t> stored[] = {
        {u"0007", 1},   {u"0000", 2}, {u"0001", 800}, {u"0002", 600}, {u"0003", 800},
        {u"0004", 300}, {u"0018", 2}, {u"0019", 1},   {u"0017", 1},   {u"0011", 1},
        {u"0022", 2},   {u"0021", 1}, {u"0023", 1}};
    for (auto [name, value] : stored) Put(name, value);

    const GameSettings s = Load();
    EXPECT_EQ(s.sound, CheckState::Checked);
    EXPECT_EQ(s.mipMap, CheckState::Grey);
    EXPECT_EQ(s.frontBuffer, 1);  // found, nothing appended
    EXPECT_EQ(modes.size(), 2u);
    EXPECT_EQ(s.backBufferW, u"800");  // exact number, slider shows the step
    EXPECT_EQ(s.backBufferWStep, 2);
    EXPECT_EQ(s.backBufferHStep, 1);
    EXPECT_EQ(s.general, 2);
    EXPECT_EQ(s.openingMovie, CheckState::Grey);

    EXPECT_TRUE(SaveGameSettings(reg, s, modes).AllSaved());
    for (auto [name, value] : stored) EXPECT_EQ(Stored(name), value);
}

TEST_F(GameSettingsTest, UnlistedResolutionIsAppendedSelectedAndKept) {
    Put(u"0001", 1280);
    Put(u"0002", 1024);
    const GameSettings s = Load();
    EXPECT_EQ(modes, (DisplayModeList{{1024, 768}, {800, 600}, {1280, 1024}}));
    EXPECT_EQ(s.frontBuffer, 2);
    ASSERT_TRUE(SaveGameSettings(reg, s, modes).AllSaved());
    EXPECT_EQ(Stored(u"0001"), 1280);
    EXPECT_EQ(Stored(u"0002"), 1024);

    // Width alone matching is not a match.
    DisplayModeList other{{1280, 960}};
    EXPECT_EQ(LoadGameSettings(reg, other, false).frontBuffer, 1);
    EXPECT_EQ(other.size(), 2u);
}

TEST_F(GameSettingsTest, FailedProbeOffersOnlyStoredResolution) {
    Put(u"0001", 1024);
    Put(u"0002", 768);
    DisplayModeList empty;
    EXPECT_EQ(LoadGameSettings(reg, empty, true).frontBuffer, 0);
    EXPECT_EQ(empty, (DisplayModeList{{1024, 768}}));

    // No list at all (no adapter) ends the same way, without the flag.
    DisplayModeList none;
    EXPECT_EQ(LoadGameSettings(reg, none, false).frontBuffer, 0);
    EXPECT_EQ(none, (DisplayModeList{{1024, 768}}));
}

TEST_F(GameSettingsTest, RejectedStoredValuesFallBackAndSaveAsZero) {
    Put(u"0019", 2);  // one past the map list
    Put(u"0018", -1);
    Put(u"0011", 3);
    Put(u"0007", 3);  // a check box takes 0, 1 or 2 only
    Put(u"0017", -1);
    Put(u"0003", 70000);  // not a 16-bit number
    Put(u"0001", 65536 + 640);
    Put(u"0002", 480);
    const GameSettings s = Load();
    EXPECT_EQ(s.menuMap, 0);
    EXPECT_EQ(kMenuMapCaptions[static_cast<size_t>(s.menuMap)], u"高速－低品質");
    EXPECT_EQ(s.general, 0);
    EXPECT_EQ(s.deformAnimation, 0);
    EXPECT_EQ(s.sound, CheckState::Clear);
    EXPECT_EQ(s.bumpMap, CheckState::Clear);
    EXPECT_EQ(s.backBufferW, u"0");
    EXPECT_EQ(modes.back(), (Resolution{0, 480}));

    ASSERT_TRUE(SaveGameSettings(reg, s, modes).AllSaved());
    for (auto name : {u"0019", u"0018", u"0011", u"0007", u"0017", u"0003", u"0001"})
        EXPECT_EQ(Stored(name), 0);
}

TEST_F(GameSettingsTest, SliderStepsFollowSignedThresholds) {
    const std::pair<int16_t, int> rows[] = {{-5, 0},  {0, 0},   {256, 0},  {257, 1},
                                            {512, 1}, {513, 2}, {1024, 2}, {32767, 2}};
    for (auto [pixels, step] : rows) EXPECT_EQ(BackBufferStep(pixels), step) << pixels;

    Put(u"0004", -5);
    EXPECT_EQ(Load().backBufferH, u"-5");

    EXPECT_EQ(BackBufferTextForStep(0), u"256");
    EXPECT_EQ(BackBufferTextForStep(1), u"512");
    EXPECT_EQ(BackBufferTextForStep(2), u"1024");
    EXPECT_FALSE(BackBufferTextForStep(3));
    EXPECT_FALSE(BackBufferTextForStep(-1));
}

TEST_F(GameSettingsTest, MovedSliderTextIsWhatGetsSaved) {
    Put(u"0003", 800);
    GameSettings s = Load();
    s.backBufferW = *BackBufferTextForStep(1);
    ASSERT_TRUE(SaveGameSettings(reg, s, modes).AllSaved());
    EXPECT_EQ(Stored(u"0003"), 512);
}

TEST(BackBufferText, LeadingNumberRoundedHalfToEven) {
    const std::pair<std::u16string_view, int> rows[] = {{u"", 0},
                                                        {u"abc", 0},
                                                        {u"800", 800},
                                                        {u"800px", 800},
                                                        {u" 12", 12},
                                                        {u"+7", 7},
                                                        {u"-40", -40},
                                                        {u"2.5", 2},
                                                        {u"3.5", 4},
                                                        {u"-2.5", -2},
                                                        {u"0.5", 0},
                                                        {u"1.5", 2},
                                                        {u"2.51", 3},
                                                        {u".9", 1},
                                                        {u"1e3", 1000},
                                                        {u"1e", 1},
                                                        {u"1e+", 1},
                                                        {u"2E-1", 0},
                                                        {u"1e-999", 0},
                                                        {u"-", 0},
                                                        {u"８００", 800},
                                                        {u"－１２", -12},
                                                        {u"32767", 32767},
                                                        {u"-32768", -32768},
                                                        {u"32766.5", 32766},
                                                        {u"12 34", 12}};
    for (auto [text, value] : rows) {
        const auto parsed = ParseBackBufferText(text);
        ASSERT_TRUE(parsed) << std::string(text.begin(), text.end());
        EXPECT_EQ(*parsed, value) << std::string(text.begin(), text.end());
    }
    for (std::u16string_view text : {u"32768", u"-32769", u"99999", u"32767.5", u"1e999", u"4e4"})
        EXPECT_FALSE(ParseBackBufferText(text)) << std::string(text.begin(), text.end());
}

TEST_F(GameSettingsTest, OutOfRangeBackBufferIsRefusedBeforeAnyWrite) {
    GameSettings s = Load();
    s.backBufferH = u"40000";
    const Reason height{.kind = ReasonKind::NumberOutOfRange, .number = 1};
    EXPECT_EQ(CheckGameSettingsForSave(s), height);
    SaveReport r = SaveGameSettings(reg, s, modes);
    EXPECT_EQ(r.outcome, SaveReport::Outcome::Refused);
    EXPECT_EQ(r.reason, height);
    EXPECT_TRUE(reg.written.empty());

    s.backBufferH = u"512";
    s.backBufferW = u"-99999";
    r = SaveGameSettings(reg, s, modes);
    EXPECT_EQ(r.reason, (Reason{.kind = ReasonKind::NumberOutOfRange, .number = 0}));
    EXPECT_TRUE(reg.written.empty());

    s.backBufferW = u"1024";
    EXPECT_FALSE(CheckGameSettingsForSave(s));
}

TEST_F(GameSettingsTest, FailedWritesAreReportedAndTheRestStillWritten) {
    reg.failSet = [](std::u16string_view, std::u16string_view name) {
        return name == u"0001" || name == u"0017";
    };
    const GameSettings s = Load();
    const SaveReport r = SaveGameSettings(reg, s, modes);
    EXPECT_FALSE(r.AllSaved());
    EXPECT_EQ(r.unsaved, std::vector<std::u16string>{std::u16string(kGameSettingsLabel)});
    EXPECT_EQ(reg.written.size(), 13u);
    EXPECT_EQ(reg.ValueCount(), 11u);
    EXPECT_EQ(r.reason, (Reason{.kind = ReasonKind::ValuesNotStored, .subject = u"0001, 0017"}));

    // Nothing selected: the stored pair is left alone.
    reg.failSet = nullptr;
    reg.written.clear();
    GameSettings unselected = s;
    unselected.frontBuffer = -1;
    EXPECT_TRUE(SaveGameSettings(reg, unselected, modes).AllSaved());
    EXPECT_EQ(reg.written.size(), 11u);
}

// One control's changes within the pause are one step; a pause, another control or a
// seal starts the next; a join back to where its step began leaves no step; only values
// a save writes make the settings unsaved.
TEST(GameSettingsHistory, JoinsSplitsAndKnowsWhatIsUnsaved) {
    GameSettingsHistory h;
    GameSettings base;
    base.general = 1;
    h.Read(base);
    const int sliderW = 0, sliderH = 0, box = 0;
    GameSettings moved = base;
    moved.backBufferWStep = 1;
    ASSERT_TRUE(h.Record(u"s", moved, &sliderW, 1, 2, 0));
    EXPECT_FALSE(h.Modified()) << "a slider position alone is not saved";
    moved.backBufferW = u"512";
    ASSERT_TRUE(h.Record(u"s", moved, &sliderW, 2, 2, GameSettingsHistory::kPauseMs));
    EXPECT_EQ(h.Count(), 1u);
    EXPECT_TRUE(h.Modified());
    // Back where it began: the step goes, and nothing is unsaved.
    ASSERT_TRUE(h.Record(u"s", base, &sliderW, 3, 2, GameSettingsHistory::kPauseMs + 10));
    EXPECT_EQ(h.Count(), 0u);
    EXPECT_FALSE(h.Modified());
    EXPECT_FALSE(h.Record(u"s", base, &box, 4, 2, 20000)) << "no change, no step";

    struct Next {
        const void* control;
        int64_t at;
        bool seal;
        std::size_t steps;
    };
    GameSettings now = base;
    for (const Next& n :
         {Next{&box, 30000, false, 1}, Next{&box, 31000, false, 1}, Next{&box, 32501, false, 2},
          Next{&sliderH, 32600, false, 3}, Next{&sliderH, 32700, true, 4}}) {
        if (n.seal) h.Seal();
        now.general = now.general + 1;
        ASSERT_TRUE(h.Record(u"s", now, n.control, 5, 2, n.at));
        EXPECT_EQ(h.Count(), n.steps) << n.at;
    }
    // Undo goes back step by step; a new step drops what was undone.
    ASSERT_NE(h.Undo(), nullptr);
    ASSERT_NE(h.Undo(), nullptr);
    EXPECT_EQ(h.Shown().general, 4);
    h.Saved();
    EXPECT_FALSE(h.Modified());
    ASSERT_NE(h.Redo(), nullptr);
    EXPECT_TRUE(h.Modified());
    h.DropRedo();
    EXPECT_EQ(h.Count(), 3u);
    EXPECT_EQ(h.NextRedo(), nullptr);
}

}  // namespace
}  // namespace qm
