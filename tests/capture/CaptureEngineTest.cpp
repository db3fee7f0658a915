#include <gtest/gtest.h>

#include "capture/CaptureEngine.h"
#include "platform/fake/FakeScreen.h"
#include "settings/ToolPreferences.h"

namespace qm {
namespace {

class CaptureEngineTest : public ::testing::Test {
  protected:
    CaptureEngineTest() {
        prefs.CapturePath = u"/home/user/写真";
        prefs.CaptureName = u"ScreenShot";
        prefs.LockCaptureName = 0;
        prefs.SaveAsJpeg = 1;
        prefs.JpegQuality = 80;
    }
    ToolPreferences prefs;
    FakeScreenGrabber screen{1024, 768};
    FakeImageWriter writer;
};

TEST_F(CaptureEngineTest, UnlockedNameIsMonthDayYearAndTimeDigits) {
    EXPECT_EQ(CaptureBasePath(prefs, {2004, 5, 6, 21, 7, 3}), u"/home/user/写真/05062004210703");
    EXPECT_EQ(CaptureBasePath(prefs, {1999, 12, 31, 0, 0, 0}), u"/home/user/写真/12311999000000");
}

TEST_F(CaptureEngineTest, FolderIsUsedAsItStands) {
    prefs.LockCaptureName = 1;
    prefs.CapturePath = u"/mnt/c/";
    EXPECT_EQ(CaptureBasePath(prefs, {}), u"/mnt/c//ScreenShot");
    prefs.CapturePath.clear();
    EXPECT_EQ(CaptureBasePath(prefs, {}), u"/ScreenShot");
}

TEST_F(CaptureEngineTest, ShotsInTheSameSecondShareOneFile) {
    const LocalDateTime now{2004, 5, 6, 21, 7, 3};
    ASSERT_TRUE(TakeScreenshot(CaptureBasePath(prefs, now), prefs, screen, writer).ok);
    ASSERT_TRUE(TakeScreenshot(CaptureBasePath(prefs, now), prefs, screen, writer).ok);
    EXPECT_EQ(writer.Writes().size(), 2u);
    ASSERT_EQ(writer.Files().size(), 1u);
    EXPECT_EQ(writer.Files().begin()->first, u"/home/user/写真/05062004210703.jpg");
}

TEST_F(CaptureEngineTest, LockedNameOverwritesOneFileWhateverTheTime) {
    prefs.LockCaptureName = 1;
    prefs.SaveAsJpeg = 0;
    ASSERT_TRUE(
        TakeScreenshot(CaptureBasePath(prefs, {2004, 5, 6, 21, 7, 3}), prefs, screen, writer).ok);
    ASSERT_TRUE(
        TakeScreenshot(CaptureBasePath(prefs, {2005, 1, 1, 9, 0, 0}), prefs, screen, writer).ok);
    ASSERT_EQ(writer.Files().size(), 1u);
    EXPECT_EQ(writer.Files().begin()->first, u"/home/user/写真/ScreenShot.bmp");
}

TEST_F(CaptureEngineTest, FormatSwitchChangesExtensionFormatAndQuality) {
    prefs.LockCaptureName = 1;
    prefs.JpegQuality = 35;
    const ShotResult jpeg = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, screen, writer);
    prefs.SaveAsJpeg = 0;
    const ShotResult bmp = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, screen, writer);

    EXPECT_EQ(jpeg.file, u"/home/user/写真/ScreenShot.jpg");
    EXPECT_EQ(bmp.file, u"/home/user/写真/ScreenShot.bmp");
    ASSERT_EQ(writer.Writes().size(), 2u);
    EXPECT_EQ(writer.Writes()[0].format, ImageFileFormat::Jpeg);
    EXPECT_EQ(writer.Writes()[0].quality, 35);
    EXPECT_EQ(writer.Writes()[1].format, ImageFileFormat::Bmp);
    EXPECT_EQ(writer.Writes()[1].width, 1024);
    EXPECT_EQ(writer.Writes()[1].height, 768);
}

TEST_F(CaptureEngineTest, StoredQualityOutsideTheSliderRangeIsHeldWithinIt) {
    prefs.JpegQuality = 0;
    TakeScreenshot(u"/tmp/a", prefs, screen, writer);
    prefs.JpegQuality = 5000;
    TakeScreenshot(u"/tmp/a", prefs, screen, writer);
    ASSERT_EQ(writer.Writes().size(), 2u);
    EXPECT_EQ(writer.Writes()[0].quality, 10);
    EXPECT_EQ(writer.Writes()[1].quality, 100);
}

TEST_F(CaptureEngineTest, FailuresAreReturnedNotThrown) {
    writer.FailWith(u"書き込めません");
    const ShotResult failed = TakeScreenshot(u"/missing/folder/x", prefs, screen, writer);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.file, u"/missing/folder/x.jpg");
    EXPECT_EQ(failed.error, u"書き込めません");
    EXPECT_TRUE(writer.Files().empty());

    writer.FailWith({});
    screen.SetImage({});
    const ShotResult nothing = TakeScreenshot(u"/tmp/x", prefs, screen, writer);
    EXPECT_FALSE(nothing.ok);
    EXPECT_FALSE(nothing.error.empty());
    EXPECT_EQ(writer.Writes().size(), 1u) << "an empty grab must not be written";

    screen.SetImage({4, 4, std::vector<uint32_t>(3)});  // pixels do not match the size
    EXPECT_FALSE(TakeScreenshot(u"/tmp/x", prefs, screen, writer).ok);
    EXPECT_EQ(writer.Writes().size(), 1u);
}

}  // namespace
}  // namespace qm
