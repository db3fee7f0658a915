#include "settings/InstallPaths.h"

#include <gtest/gtest.h>

#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "support/TempDir.h"

namespace qm {
namespace {

class InstallPathsTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    FakeRegistry reg;
    FakeShellFolders folders;
    ToolPreferences prefs;
};

TEST_F(InstallPathsTest, GameFolderGetsUserGluedOnAndTheLauncherIsFound) {
    dir.Write("PlayOnlineViewer/pol.exe", {'M', 'Z'});
    reg.PutText(kInstallFolderKey, u"0001", dir.Text("FINAL FANTASY XI/"));
    reg.PutText(kInstallFolderKey, u"1000", dir.Text("PlayOnlineViewer"));
    const auto paths = FindInstallPaths(reg, folders, prefs);
    EXPECT_EQ(paths.CurrentFolder, dir.Text("FINAL FANTASY XI/USER"));
    EXPECT_EQ(paths.PlayOnlinePath, dir.Text("PlayOnlineViewer/pol.exe"));
    EXPECT_TRUE(paths.LauncherExists);
    EXPECT_EQ(reg.sets, 0);
}

TEST_F(InstallPathsTest, GameFolderWithoutFinalSeparatorNamesASibling) {
    reg.PutText(kInstallFolderKey, u"0001", dir.Text("FINAL FANTASY XI"));
    reg.PutText(kInstallFolderKey, u"1000", dir.Text("NoLauncherHere"));
    const auto paths = FindInstallPaths(reg, folders, prefs);
    EXPECT_EQ(paths.CurrentFolder, dir.Text("FINAL FANTASY XIUSER"));
    EXPECT_FALSE(paths.LauncherExists);
}

TEST_F(InstallPathsTest, NoInstallationLeavesBarePathsAndWritesNothing) {
    const auto paths = FindInstallPaths(reg, folders, prefs);
    EXPECT_EQ(paths.CurrentFolder, u"USER");
    EXPECT_EQ(paths.PlayOnlinePath, std::u16string(PathSeparator()) + u"pol.exe");
    EXPECT_FALSE(paths.LauncherExists);
    EXPECT_FALSE(reg.HasKey(kInstallFolderKey));
    EXPECT_EQ(reg.ValueCount(), 0u);
}

TEST_F(InstallPathsTest, OnlyAnEmptyCapturePathTakesThePicturesFolder) {
    folders.pictures = u"/home/p/Pictures";
    auto paths = FindInstallPaths(reg, folders, prefs);
    EXPECT_TRUE(paths.CapturePathFilled);
    EXPECT_EQ(prefs.CapturePath, u"/home/p/Pictures");

    prefs.CapturePath = u"/gone/folder";  // kept even though it does not exist
    paths = FindInstallPaths(reg, folders, prefs);
    EXPECT_FALSE(paths.CapturePathFilled);
    EXPECT_EQ(prefs.CapturePath, u"/gone/folder");

    prefs.CapturePath.clear();
    folders.pictures.clear();  // the platform knows no pictures folder
    paths = FindInstallPaths(reg, folders, prefs);
    EXPECT_FALSE(paths.CapturePathFilled);
    EXPECT_EQ(prefs.CapturePath, u"");
}

TEST(LaunchPlayOnline, ARunningLauncherIsOnlyBroughtForward) {
    FakeProcesses processes;
    processes.launcherRunning = true;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(LaunchPlayOnline(processes, u"/pol/pol.exe", nullptr), LaunchResult::Activated);
    EXPECT_EQ(processes.activations, 3);
    EXPECT_TRUE(processes.started.empty());
}

TEST(LaunchPlayOnline, OtherwiseStartsItOrSaysWhyNot) {
    FakeProcesses processes;
    Reason reason;
    EXPECT_EQ(LaunchPlayOnline(processes, u"/pol/pol.exe", &reason), LaunchResult::Started);
    EXPECT_EQ(processes.started, std::vector<std::u16string>{u"/pol/pol.exe"});
    EXPECT_FALSE(reason);

    processes.startFails = {.kind = ReasonKind::ProgramMissing};
    EXPECT_EQ(LaunchPlayOnline(processes, u"/pol/pol.exe", &reason), LaunchResult::Failed);
    EXPECT_EQ(reason, (Reason{.kind = ReasonKind::ProgramMissing, .subject = u"/pol/pol.exe"}));
}

}  // namespace
}  // namespace qm
