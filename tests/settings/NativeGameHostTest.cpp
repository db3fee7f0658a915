#include "settings/NativeGameHost.h"

#include <gtest/gtest.h>

#include "config/GameSettings.h"
#include "platform/fake/FakeRegistry.h"
#include "settings/InstallPaths.h"
#include "settings/Registry.h"
#include "settings/RegistryRouter.h"

namespace qm {
namespace {

// On Windows the game's keys are the machine's, its regional installation found there;
// everything else (the tool's own keys) stays in the user's store.
TEST(NativeGameHost, GameKeysGoToTheMachinesInstallationAndTheRestToTheUser) {
    FakeRegistry machine, user;
    machine.PutText(u"SOFTWARE\\PlayOnlineUS\\InstallFolder", u"0001", u"D:\\Games\\FFXI\\");
    NativeGameHost host(machine);
    RegistryRouter registry(user);
    for (std::u16string_view root : kGameRoots) registry.Route(root, &host.GameKeys());

    EXPECT_EQ(
        RegReadValue(registry, Hive::LocalMachine, kInstallFolderKey, u"0001", REG_SZ_TYPE, u""),
        u"D:\\Games\\FFXI\\");
    EXPECT_TRUE(
        RegWriteValue(registry, Hive::LocalMachine, kGameSettingsKey, u"0018", REG_DWORD_TYPE, 3));
    EXPECT_TRUE(machine.HasKey(u"SOFTWARE\\PlayOnlineUS\\SquareEnix\\FinalFantasyXI"));
    EXPECT_TRUE(RegWriteValue(registry, Hive::LocalMachine, u"SOFTWARE\\Tavrel\\Quillmor",
                              u"CaptureInterval", REG_DWORD_TYPE, 5));
    EXPECT_TRUE(user.HasKey(u"SOFTWARE\\Tavrel\\Quillmor"));
    EXPECT_FALSE(machine.HasKey(u"SOFTWARE\\Tavrel\\Quillmor"));
    EXPECT_EQ(user.ValueCount(), 1u);

    EXPECT_EQ(host.GameRoot(), u"SOFTWARE\\PlayOnlineUS");
    EXPECT_FALSE(host.UsesWinePrefix());
    EXPECT_EQ(host.NativePath(u"C:\\PlayOnline\\pol.exe"), u"C:\\PlayOnline\\pol.exe");
    Reason error;
    EXPECT_FALSE(host.ChooseWinePrefix(u"C:\\", &error));
    EXPECT_EQ(error.kind, ReasonKind::NoWineOnThisSystem);
}

}  // namespace
}  // namespace qm
