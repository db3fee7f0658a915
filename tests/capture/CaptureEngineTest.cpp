#include <gtest/gtest.h>

#include <filesystem>

#include "capture/CaptureEngine.h"
#include "platform/fake/FakeScreen.h"
#include "settings/ToolPreferences.h"
#include "storage/Paths.h"
#include "storage/Utf.h"
#include "support/ReasonText.h"
#include "support/TempDir.h"

namespace qm {
namespace {

// The system's separator joins the folder and the name.
std::u16string InPictures(std::u16string_view name) {
    return u"/home/user/写真" + std::u16string(PathSeparator()) + std::u16string(name);
}

class CaptureEngineTest : public ::testing::Test {
  protected:
    CaptureEngineTest() {
        prefs.CapturePath = dir.Text("写真");
        prefs.CaptureName = u"ScreenShot";
        prefs.LockCaptureName = 0;
        prefs.SaveAsJpeg = 1;
        prefs.JpegQuality = 80;
    }
    test::TempDir dir;
    ToolPreferences prefs;
    FakeScreenGrabber screen{1024, 768};
    FakeImageWriter writer;
};

TEST_F(CaptureEngineTest, UnlockedNameIsMonthDayYearAndTimeDigits) {
    prefs.CapturePath = u"/home/user/写真";
    EXPECT_EQ(CaptureBasePath(prefs, {2004, 5, 6, 21, 7, 3}), InPictures(u"05062004210703"));
    EXPECT_EQ(CaptureBasePath(prefs, {1999, 12, 31, 0, 0, 0}), InPictures(u"12311999000000"));
}

TEST_F(CaptureEngineTest, FolderIsUsedAsItStands) {
    prefs.LockCaptureName = 1;
    prefs.CapturePath = u"/mnt/c/";
    EXPECT_EQ(CaptureBasePath(prefs, {}),
              u"/mnt/c/" + std::u16string(PathSeparator()) + u"ScreenShot");
    prefs.CapturePath.clear();
    EXPECT_EQ(CaptureBasePath(prefs, {}), std::u16string(PathSeparator()) + u"ScreenShot");
}

// Names have one-second resolution: a later shot of the same second, or a file already
// there under that name (a link too, even one to nowhere), never loses its picture.
TEST_F(CaptureEngineTest, ShotsInTheSameSecondEachGetTheirOwnFile) {
    const LocalDateTime now{2004, 5, 6, 21, 7, 3};
    std::filesystem::create_directories(dir.Path("写真"));
    dir.Write("写真/05062004210703_3.jpg", {1, 2, 3});
#ifndef _WIN32
    std::filesystem::create_symlink(dir.Path("elsewhere.jpg"),
                                    dir.Path("写真/05062004210703_4.jpg"));
    const std::u16string third = u"_5.jpg";
#else
    const std::u16string third = u"_4.jpg";  // links need privileges there
#endif
    std::vector<std::u16string> files;
    for (int shot = 0; shot < 3; ++shot) {
        const ShotResult result =
            TakeScreenshot(CaptureBasePath(prefs, now), prefs, screen, writer);
        ASSERT_TRUE(result.ok) << shot;
        files.push_back(result.file);
    }
    const std::u16string base = dir.Text("写真/05062004210703");
    EXPECT_EQ(files, (std::vector<std::u16string>{base + u".jpg", base + u"_2.jpg", base + third}));
    EXPECT_EQ(writer.Files().size(), 3u);
    // Each name was claimed on disk before it was written; nothing else was touched.
    EXPECT_TRUE(dir.Exists("写真/05062004210703_2.jpg"));
    EXPECT_EQ(dir.Read("写真/05062004210703_3.jpg"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(dir.Exists("elsewhere.jpg"));
}

TEST_F(CaptureEngineTest, LockedNameOverwritesOneFileWhateverTheTime) {
    prefs.LockCaptureName = 1;
    prefs.SaveAsJpeg = 0;
    ASSERT_TRUE(
        TakeScreenshot(CaptureBasePath(prefs, {2004, 5, 6, 21, 7, 3}), prefs, screen, writer).ok);
    ASSERT_TRUE(
        TakeScreenshot(CaptureBasePath(prefs, {2005, 1, 1, 9, 0, 0}), prefs, screen, writer).ok);
    ASSERT_EQ(writer.Files().size(), 1u);
    EXPECT_EQ(writer.Files().begin()->first, dir.Text("写真/ScreenShot.bmp"));
}

// A fresh profile has no pictures folder: the first shot makes it. A folder that cannot be
// made is named in the failure with its cause, and nothing is written.
TEST_F(CaptureEngineTest, MissingFolderIsCreatedAndOneThatCannotBeIsReported) {
    prefs.CapturePath = dir.Text("Pictures/Quillmor");
    const ShotResult made = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, screen, writer);
    ASSERT_TRUE(made.ok) << test::Describe(made.error);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("Pictures/Quillmor")));

    dir.Write("plain-file", {});
    prefs.CapturePath = dir.Text("plain-file/shots");
    const ShotResult failed = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, screen, writer);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error.kind, ReasonKind::ShotFolder);
    EXPECT_EQ(failed.error.subject, dir.Text("plain-file/shots"));
    EXPECT_EQ(ClassifyFileError(failed.error.cause), FileProblem::NoFolder);
    EXPECT_EQ(writer.Writes().size(), 1u);
}

TEST_F(CaptureEngineTest, FormatSwitchChangesExtensionFormatAndQuality) {
    prefs.LockCaptureName = 1;
    prefs.JpegQuality = 35;
    const ShotResult jpeg = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, screen, writer);
    prefs.SaveAsJpeg = 0;
    const ShotResult bmp = TakeScreenshot(CaptureBasePath(prefs, {}), prefs, screen, writer);

    EXPECT_EQ(jpeg.file, dir.Text("写真/ScreenShot.jpg"));
    EXPECT_EQ(bmp.file, dir.Text("写真/ScreenShot.bmp"));
    ASSERT_EQ(writer.Writes().size(), 2u);
    EXPECT_EQ(writer.Writes()[0].format, ImageFileFormat::Jpeg);
    EXPECT_EQ(writer.Writes()[0].quality, 35);
    EXPECT_EQ(writer.Writes()[1].format, ImageFileFormat::Bmp);
    EXPECT_EQ(writer.Writes()[1].width, 1024);
    EXPECT_EQ(writer.Writes()[1].height, 768);
}

TEST_F(CaptureEngineTest, StoredQualityOutsideTheSliderRangeIsHeldWithinIt) {
    prefs.LockCaptureName = 1;
    prefs.JpegQuality = 0;
    TakeScreenshot(dir.Text("a"), prefs, screen, writer);
    prefs.JpegQuality = 5000;
    TakeScreenshot(dir.Text("a"), prefs, screen, writer);
    ASSERT_EQ(writer.Writes().size(), 2u);
    EXPECT_EQ(writer.Writes()[0].quality, 10);
    EXPECT_EQ(writer.Writes()[1].quality, 100);
}

TEST_F(CaptureEngineTest, FailuresAreReturnedNotThrown) {
    writer.FailWith(u"書き込めません");
    const ShotResult failed = TakeScreenshot(dir.Text("x"), prefs, screen, writer);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.file, dir.Text("x.jpg"));
    EXPECT_EQ(failed.error.detail, u"書き込めません");
    EXPECT_TRUE(writer.Files().empty());
    EXPECT_EQ(dir.Count(), 0u) << "the name claimed for the shot is given back";

    writer.FailWith({});
    screen.SetImage({});
    const ShotResult nothing = TakeScreenshot(dir.Text("x"), prefs, screen, writer);
    EXPECT_FALSE(nothing.ok);
    EXPECT_EQ(nothing.error.kind, ReasonKind::ScreenNotGrabbed);
    EXPECT_EQ(writer.Writes().size(), 1u) << "an empty grab must not be written";

    screen.SetImage({4, 4, std::vector<uint32_t>(3)});  // pixels do not match the size
    EXPECT_FALSE(TakeScreenshot(dir.Text("x"), prefs, screen, writer).ok);
    EXPECT_EQ(writer.Writes().size(), 1u);
}

}  // namespace
}  // namespace qm
