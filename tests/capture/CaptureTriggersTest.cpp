#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "capture/CaptureTriggers.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeKeyState.h"
#include "platform/fake/FakeScreen.h"
#include "platform/fake/FakeSound.h"
#include "settings/ToolPreferences.h"
#include "storage/Paths.h"

namespace qm {
namespace {

constexpr int kPrint = 44;

// Runs the triggers as the window does: the key polled every 100 ms while its timer is on,
// continuous-capture ticks every 1000 ms from the moment that timer was switched on.
class TriggerTest : public ::testing::Test {
  protected:
    TriggerTest() : triggers(prefs, {&keys, &clock, &screen, &writer, &sound}) {
        folder = std::filesystem::temp_directory_path() /
                 ("quillmor-triggers-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
        startSound = MakeFile("start.wav");
        stopSound = MakeFile("stop.wav");

        prefs.CapturePath = TextFromPath(folder);
        prefs.LockCaptureName = 0;
        prefs.SaveAsJpeg = 1;
        prefs.CaptureKeyCode = kPrint;
        prefs.CaptureInterval = 3000;
        prefs.CaptureStartSE = startSound;
        prefs.CaptureStopSE = stopSound;

        triggers.onTimersChanged = [this] {
            if (triggers.CaptureTimerOn() && !captureOn) captureStartedAt = now;
            captureOn = triggers.CaptureTimerOn();
        };
        triggers.onShot = [this](const ShotResult& shot) {
            shotTimes.push_back(now);
            if (!shot.ok) failures.push_back(shot.error.detail);
        };
    }
    ~TriggerTest() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::u16string MakeFile(const char* name) {
        std::ofstream(folder / name) << "RIFF";
        return TextFromPath(folder / name);
    }

    void RunFor(int64_t ms) {
        for (int64_t end = now + ms; now < end;) {
            now += CaptureTriggers::kKeyPollPeriodMs;
            clock.Advance(CaptureTriggers::kKeyPollPeriodMs);
            if (captureOn && (now - captureStartedAt) % CaptureTriggers::kCapturePeriodMs == 0) {
                triggers.CaptureTick();
            }
            if (triggers.KeyTimerOn()) triggers.KeyTick();
        }
    }

    // A press long enough for a few polls.
    void PressAndRelease(int64_t holdMs = 300) {
        keys.Press(kPrint);
        RunFor(holdMs);
        keys.Release(kPrint);
    }

    std::filesystem::path folder;
    std::u16string startSound, stopSound;
    ToolPreferences prefs;
    FakeKeyState keys;
    FakeClock clock;
    FakeScreenGrabber screen;
    FakeImageWriter writer;
    FakeSoundPlayer sound;
    CaptureTriggers triggers;

    int64_t now = 0;
    bool captureOn = false;
    int64_t captureStartedAt = 0;
    std::vector<int64_t> shotTimes;
    std::vector<std::u16string> failures;
};

TEST_F(TriggerTest, ContinuousCaptureShootsAtStartEveryIntervalAndAtStop) {
    triggers.SelectMode(2);
    EXPECT_TRUE(triggers.KeyTimerOn());
    EXPECT_FALSE(triggers.CaptureTimerOn());
    EXPECT_TRUE(triggers.IntervalEnabled());

    keys.Press(kPrint);
    RunFor(100);
    const int64_t start = now;
    ASSERT_EQ(shotTimes.size(), 1u);
    EXPECT_TRUE(triggers.CaptureTimerOn());
    EXPECT_EQ(sound.Played(), std::vector<std::u16string>{startSound});
    RunFor(200);
    keys.Release(kPrint);

    RunFor(start + 7000 - now - 100);
    keys.Press(kPrint);
    RunFor(100);
    keys.Release(kPrint);
    EXPECT_FALSE(triggers.CaptureTimerOn());
    EXPECT_TRUE(triggers.KeyTimerOn());

    EXPECT_EQ(shotTimes, (std::vector<int64_t>{start, start + 3000, start + 6000, start + 7000}));
    EXPECT_EQ(sound.Played(), (std::vector<std::u16string>{startSound, stopSound}));
    EXPECT_EQ(writer.Writes().size(), 4u);

    RunFor(10000);
    EXPECT_EQ(shotTimes.size(), 4u) << "nothing is taken once stopped";
    EXPECT_TRUE(failures.empty());
}

TEST_F(TriggerTest, HeldKeyGivesOneShotAndOneSoundWithoutBusyPolling) {
    triggers.SelectMode(1);
    keys.Press(kPrint);
    RunFor(5000);
    EXPECT_EQ(shotTimes.size(), 1u);
    EXPECT_EQ(sound.Played(), std::vector<std::u16string>{startSound});
    EXPECT_EQ(keys.QueryCount(kPrint), 50) << "one query per poll while the key is held";
    EXPECT_FALSE(triggers.CaptureTimerOn());

    keys.Release(kPrint);
    RunFor(100);
    PressAndRelease();
    RunFor(100);
    EXPECT_EQ(shotTimes.size(), 2u) << "a new press after the release is a new shot";
}

TEST_F(TriggerTest, ShortTapsBetweenPollsEachCount) {
    triggers.SelectMode(1);
    keys.Tap(kPrint);
    RunFor(100);
    RunFor(100);
    keys.Tap(kPrint);
    RunFor(100);
    EXPECT_EQ(shotTimes.size(), 2u);
    EXPECT_EQ(sound.Played().size(), 2u);
}

TEST_F(TriggerTest, LeavingContinuousModeStopsSilentlyAndReturningDoesNotRestart) {
    triggers.SelectMode(2);
    PressAndRelease();
    ASSERT_TRUE(triggers.CaptureTimerOn());
    ASSERT_EQ(shotTimes.size(), 1u);

    triggers.SelectMode(1);
    EXPECT_FALSE(triggers.CaptureTimerOn());
    EXPECT_FALSE(triggers.IntervalEnabled());
    EXPECT_EQ(prefs.CaptureMode, 1);
    triggers.SelectMode(2);
    EXPECT_FALSE(triggers.CaptureTimerOn());

    RunFor(10000);
    EXPECT_EQ(shotTimes.size(), 1u);
    EXPECT_EQ(sound.Played(), std::vector<std::u16string>{startSound});
}

TEST_F(TriggerTest, ChoosingContinuousModeAgainKeepsItRunning) {
    triggers.SelectMode(2);
    PressAndRelease();
    triggers.SelectMode(2);
    EXPECT_TRUE(triggers.CaptureTimerOn());
}

TEST_F(TriggerTest, ModeNoneReadsNoKeyAndStopsEverything) {
    triggers.SelectMode(2);
    PressAndRelease();
    triggers.SelectMode(0);
    EXPECT_FALSE(triggers.KeyTimerOn());
    EXPECT_FALSE(triggers.CaptureTimerOn());
    const int queries = keys.QueryCount();
    PressAndRelease();
    RunFor(5000);
    EXPECT_EQ(keys.QueryCount(), queries);
    EXPECT_EQ(shotTimes.size(), 1u);
    EXPECT_EQ(prefs.CaptureMode, 0);

    triggers.SelectMode(7);
    EXPECT_EQ(prefs.CaptureMode, 0) << "an option that does not exist changes nothing";
}

TEST_F(TriggerTest, KeyCodesThatNameNoKeyNeverFire) {
    triggers.SelectMode(1);
    for (int code : {0, -5, 255, 1000}) {
        prefs.CaptureKeyCode = static_cast<int16_t>(code);
        keys.Press(code);
        RunFor(300);
        keys.Release(code);
    }
    EXPECT_TRUE(shotTimes.empty());
    EXPECT_EQ(keys.QueryCount(), 0);
}

TEST_F(TriggerTest, ChangingTheKeyWhileTheOldOneIsHeldArmsTheNewKey) {
    triggers.SelectMode(1);
    keys.Press(kPrint);
    RunFor(200);
    prefs.CaptureKeyCode = 65;
    keys.Press(65);
    RunFor(100);
    EXPECT_EQ(shotTimes.size(), 2u);
}

TEST_F(TriggerTest, IntervalChangeWhileRunningAppliesFromTheNextTick) {
    prefs.CaptureInterval = 10000;
    triggers.SelectMode(2);
    keys.Press(kPrint);
    RunFor(100);
    const int64_t start = now;
    keys.Release(kPrint);
    RunFor(2000);
    prefs.CaptureInterval = 2000;
    RunFor(1000);
    ASSERT_EQ(shotTimes.size(), 2u);
    EXPECT_EQ(shotTimes[1], start + 3000) << "elapsed 3000 already passes the new interval";
    EXPECT_EQ(triggers.ElapsedMs(), 0);
}

TEST_F(TriggerTest, MissingSoundFilesPlayNothingButShotsGoOn) {
    prefs.CaptureStartSE = TextFromPath(folder / "gone.wav");
    prefs.CaptureStopSE.clear();
    triggers.SelectMode(2);
    PressAndRelease();
    RunFor(100);
    PressAndRelease();
    EXPECT_EQ(shotTimes.size(), 2u);
    EXPECT_TRUE(sound.Played().empty());
    EXPECT_EQ(sound.StopCount(), 0);
}

TEST_F(TriggerTest, FailedShotsAreReportedAndCaptureGoesOn) {
    writer.FailWith(u"空き容量がありません");
    prefs.CaptureInterval = 1000;
    triggers.SelectMode(2);
    PressAndRelease(100);
    RunFor(3000);
    EXPECT_TRUE(triggers.CaptureTimerOn());
    EXPECT_EQ(shotTimes.size(), 4u);
    ASSERT_EQ(failures.size(), 4u);
    EXPECT_EQ(failures[0], u"空き容量がありません");
}

// The key that stops continuous capture in the second of a timed shot, and two presses
// within one second: every shot keeps its own file.
TEST_F(TriggerTest, ShotsInTheSameSecondEachGetTheirOwnFile) {
    prefs.CaptureInterval = 1000;
    triggers.SelectMode(2);
    keys.Tap(kPrint);
    RunFor(100);  // starts, with a shot at 21:07:03
    RunFor(900);
    keys.Tap(kPrint);
    RunFor(100);  // the timer's shot at 21:07:04, and in the same poll the stopping press
    RunFor(100);
    keys.Tap(kPrint);
    RunFor(100);  // started again, still at 21:07:04
    ASSERT_EQ(shotTimes.size(), 4u);
    EXPECT_TRUE(failures.empty());
    std::set<std::u16string> paths;
    for (const auto& write : writer.Writes()) paths.insert(write.path);
    EXPECT_EQ(paths.size(), 4u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              2 + 4);  // the two sounds and the four shots
}

TEST_F(TriggerTest, ShotsAreNamedByTheClock) {
    clock.Set({2004, 5, 6, 21, 7, 3});
    triggers.SelectMode(1);
    keys.Tap(kPrint);
    triggers.KeyTick();
    ASSERT_EQ(writer.Writes().size(), 1u);
    EXPECT_EQ(writer.Writes()[0].path,
              prefs.CapturePath + std::u16string(PathSeparator()) + u"05062004210703.jpg");
}

}  // namespace
}  // namespace qm
