// The game's settings in a real Wine prefix, made by Wine itself in the test's folder.
// Skipped where Wine is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <thread>

#include "config/GameSettings.h"
#include "macro/Cp932.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/linux/WinePrefix.h"
#include "platform/linux/WineTool.h"
#include "settings/GameRegistry.h"
#include "settings/Registry.h"
#include "settings/RegistryRouter.h"
#include "settings/WineHost.h"
#include "support/ReasonText.h"
#include "support/TempDir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class WineRealPrefixTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wine = FindOnPath("wine");
        wineboot = FindOnPath("wineboot");
        wineserver = FindOnPath("wineserver");
        if (wine.empty() || wineboot.empty() || wineserver.empty())
            GTEST_SKIP() << "wine, wineboot or wineserver is not installed";
        prefix = dir.Path("pfx");
        env = {"WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all"};
    }
    void TearDown() override {
        if (!prefix.empty() && fs::exists(prefix)) RunAndWait(wineserver, {"-k"}, env, 20s);
    }
    int Run(const fs::path& program, const std::vector<std::string>& args,
            std::chrono::milliseconds timeout = 30s) {
        return RunAndWait(program, args, env, timeout);
    }
    // "wine reg query" of one value in the 32-bit view: the number it shows, or -1.
    long long Query(const std::string& key, const std::string& name) {
        const std::string command = "WINEPREFIX='" + prefix.string() + "' WINEDEBUG=-all '" +
                                    wine.string() + "' reg query 'HKLM\\" + key + "' /v " + name +
                                    " /reg:32 2>/dev/null";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return -1;
        std::string out;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
        std::smatch m;
        if (!std::regex_search(out, m, std::regex(name + "\\s+REG_DWORD\\s+0x([0-9a-fA-F]+)")))
            return -1;
        return std::stoll(m[1].str(), nullptr, 16);
    }

    test::TempDir dir;
    fs::path wine, wineboot, wineserver, prefix;
    std::vector<std::string> env;
};

TEST_F(WineRealPrefixTest, SettingsReachTheGameWithAndWithoutARunningServer) {
    ASSERT_EQ(Run(wineboot, {"-i"}, 120s), 0);
    // The game's installer leaves its folder in the registry: only then is the prefix the
    // game's.
    ASSERT_EQ(Run(wine, {"reg", "add", "HKLM\\Software\\PlayOnline\\InstallFolder", "/v", "0001",
                         "/d", "C:\\FFXI\\", "/reg:32", "/f"}),
              0);
    // The server writes system.reg when it ends.
    ASSERT_EQ(Run(wineserver, {"-w"}, 60s), 0);
    ASSERT_TRUE(IsWinePrefix(prefix));
    ASSERT_FALSE(WineServerRunning(prefix));

    FakeRegistry toolFile;
    WineRegTool tool;
    WineHost host(toolFile, tool, {prefix.string(), std::nullopt});
    RegistryRouter router(toolFile);
    for (auto root : kGameRoots) router.Route(root, &host.GameKeys());

    // No server: system.reg is written directly, and Wine reads it back.
    DisplayModeList modes{{1280, 720}};
    GameSettings s = LoadGameSettings(router, modes, false);
    s.sound = CheckState::Checked;
    s.general = 2;
    s.backBufferW = u"1024";
    s.frontBuffer = 0;
    const SaveReport first = SaveGameSettings(router, s, modes);
    ASSERT_TRUE(first.AllSaved()) << qm::test::Describe(first.reason);
    const std::string key = "Software\\PlayOnline\\SQUARE\\FinalFantasyXI";
    EXPECT_EQ(Query(key, "0007"), 1);
    EXPECT_EQ(Query(key, "0018"), 2);
    EXPECT_EQ(Query(key, "0003"), 1024);
    EXPECT_EQ(Query(key, "0001"), 1280);
    EXPECT_EQ(Run(wineserver, {"-w"}, 60s), 0);

    // A server that stays: the change must reach it, never be overwritten by it.
    ASSERT_EQ(Run(wineserver, {"-p"}), 0);
    for (int i = 0; i < 100 && !WineServerRunning(prefix); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(WineServerRunning(prefix));
    s.general = 1;
    s.mipMap = CheckState::Checked;
    const SaveReport result = SaveGameSettings(router, s, modes);
    if (result.AllSaved()) {
        EXPECT_EQ(Query(key, "0018"), 1);
        EXPECT_EQ(Query(key, "0000"), 1);
    } else {
        // Refused: the player was told to close the game.
        EXPECT_TRUE(result.reason.kind == ReasonKind::WineRegFailed ||
                    result.reason.kind == ReasonKind::GameRunning)
            << qm::test::Describe(result.reason);
    }
    EXPECT_EQ(LoadGameSettings(router, modes, false).general, result.AllSaved() ? 1 : 2);

    // Without a usable registry tool the save is refused, with a message.
    WineRegTool missing(dir.Path("no-wine"));
    WinePrefixRegistry refusing(missing);
    refusing.SetPrefix(prefix);
    EXPECT_FALSE(
        RegWriteValue(refusing, Hive::LocalMachine, kGameSettingsKey, u"0018", REG_DWORD_TYPE, 0));
    const std::vector<StoreNotice> notices = refusing.TakeNotice();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].reason.kind, ReasonKind::GameRunning);

    // When the server ends it saves; what the program wrote is in the file then.
    ASSERT_EQ(Run(wineserver, {"-k"}), 0);
    ASSERT_EQ(Run(wineserver, {"-w"}, 60s), 0);
    ASSERT_FALSE(WineServerRunning(prefix));
    EXPECT_EQ(LoadGameSettings(router, modes, false).general, result.AllSaved() ? 1 : 2);
}

}  // namespace
}  // namespace qm
