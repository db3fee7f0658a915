// The game inside Wine prefixes made by the tests: discovery, drives, the prefix's
// registry as the store of the game's keys, running servers and regional installations.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/GameSettings.h"
#include "macro/Cp932.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/linux/RegFileFormat.h"
#include "platform/linux/WinePrefix.h"
#include "settings/GameRegistry.h"
#include "settings/InstallPaths.h"
#include "settings/Registry.h"
#include "settings/RegistryRouter.h"
#include "settings/WineHost.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"
#include "support/TempDir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// Wine's registry tool as the test wants it: what was imported is kept, an export gives
// the text the test set.
class FakeWineTool : public IWineRegTool {
  public:
    bool Available() override { return available; }
    bool Import(const fs::path& prefix, const fs::path& regFile, Reason*) override {
        auto bytes = ReadFileHead(regFile, 1 << 20);
        imports.push_back(bytes ? *DecodeRegFileBytes(*bytes) : u"<unreadable>");
        prefixes.push_back(prefix);
        return !failImport;
    }
    bool Export(const fs::path&, std::u16string_view key, const fs::path& regFile,
                Reason*) override {
        exports.emplace_back(key);
        if (!live) return false;
        return WriteWholeFile(regFile, EncodeRegFileText(*live));
    }
    bool available = true;
    bool failImport = false;
    std::optional<std::u16string> live;  // what an export of any key gives
    std::vector<std::u16string> imports, exports;
    std::vector<fs::path> prefixes;
};

const std::string kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n";

// A win64 prefix as a Japanese install leaves it: the game's keys below Wow6432Node, and a
// stale copy of the settings without it that the game never reads.
const std::string kWin64 =
    kHeader +
    "#arch=win64\n"
    "\n"
    "[Software\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000000\n"
    "#time=1d9000000000000\n"
    "\"0007\"=dword:00000000\n"
    "\"0018\"=dword:00000000\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\PlayOnline\\\\InstallFolder] 1700000001\n"
    "#time=1d9000000000001\n"
    "\"0001\"=\"C:\\\\Program Files (x86)\\\\PlayOnline\\\\SquareEnix\\\\FINAL FANTASY XI\\\\\"\n"
    "\"1000\"=\"C:\\\\Program Files (x86)\\\\PlayOnline\\\\SquareEnix\\\\PlayOnlineViewer\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000002\n"
    "#time=1d9000000000002\n"
    "\"0000\"=dword:00000001\n"
    "\"0001\"=dword:00000500\n"
    "\"0002\"=dword:00000400\n"
    "\"0003\"=dword:00000320\n"
    "\"0004\"=dword:00000200\n"
    "\"0007\"=dword:00000001\n"
    "\"0018\"=dword:00000002\n"
    "\"0019\"=dword:00000001\n"
    "\"0042\"=dword:0000002a\n"
    "\n"
    "[Software\\\\Wine] 1700000003\n"
    "#time=1d9000000000003\n"
    "\"Version\"=\"8.0\"\n";

const std::string kWin32 =
    kHeader +
    "#arch=win32\n"
    "\n"
    "[Software\\\\PlayOnline\\\\InstallFolder] 1700000001\n"
    "#time=1d9000000000001\n"
    "\"0001\"=\"C:\\\\Program Files\\\\PlayOnline\\\\SquareEnix\\\\FINAL FANTASY XI\\\\\"\n"
    "\n"
    "[Software\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000002\n"
    "#time=1d9000000000002\n"
    "\"0007\"=dword:00000001\n"
    "\"0019\"=dword:00000001\n";

// Only the North American client, below Wow6432Node.
const std::string kUsOnly =
    kHeader +
    "#arch=win64\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\PlayOnlineUS\\\\InstallFolder] 1700000001\n"
    "#time=1d9000000000001\n"
    "\"0001\"=\"C:\\\\Program Files (x86)\\\\PlayOnlineUS\\\\SquareEnix\\\\FINAL FANTASY XI\\\\\"\n"
    "\"1000\"=\"C:\\\\Program Files (x86)\\\\PlayOnlineUS\\\\SquareEnix\\\\PlayOnlineViewer\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\PlayOnlineUS\\\\SquareEnix\\\\FinalFantasyXI] 1700000002\n"
    "#time=1d9000000000002\n"
    "\"0018\"=dword:00000001\n";

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}
std::string String(const std::vector<uint8_t>& b) {
    return {b.begin(), b.end()};
}

// The lines of `after` that are not in `before`, and the count of lines of `before`
// missing from `after`, in order (a longest-common-subsequence free check: every
// unchanged line must keep its place).
struct LineDiff {
    std::vector<std::string> added;
    std::vector<std::string> removed;
};
LineDiff Diff(const std::string& before, const std::string& after) {
    auto split = [](const std::string& t) {
        std::vector<std::string> lines;
        std::size_t start = 0, end;
        while ((end = t.find('\n', start)) != std::string::npos) {
            lines.push_back(t.substr(start, end - start));
            start = end + 1;
        }
        lines.push_back(t.substr(start));
        return lines;
    };
    auto a = split(before), b = split(after);
    // Small files: a plain LCS table.
    std::vector<std::vector<int>> l(a.size() + 1, std::vector<int>(b.size() + 1));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            l[i][j] = a[i] == b[j] ? l[i + 1][j + 1] + 1 : std::max(l[i + 1][j], l[i][j + 1]);
    LineDiff d;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j]) {
            ++i, ++j;
        } else if (l[i + 1][j] >= l[i][j + 1]) {
            d.removed.push_back(a[i++]);
        } else {
            d.added.push_back(b[j++]);
        }
    }
    while (i < a.size()) d.removed.push_back(a[i++]);
    while (j < b.size()) d.added.push_back(b[j++]);
    return d;
}

class WinePrefixTest : public ::testing::Test {
  protected:
    // A prefix folder with system.reg, drive c: and the game's folders spelt as on disk.
    fs::path MakePrefix(const std::string& name, const std::string& systemReg,
                        const std::string& programFiles = "Program Files (x86)",
                        const std::string& company = "PlayOnline") {
        const fs::path prefix = dir.Path(name);
        dir.Write(name + "/system.reg", Bytes(systemReg));
        fs::create_directories(prefix / "dosdevices");
        fs::create_directories(prefix / "drive_c");
        fs::create_symlink("../drive_c", prefix / "dosdevices" / "c:");
        const std::string base = name + "/drive_c/" + programFiles + "/" + company + "/SquareEnix/";
        fs::create_directories(dir.Path(base + "FINAL FANTASY XI/USER"));
        dir.Write(base + "PlayOnlineViewer/pol.exe", {'M', 'Z'});
        return prefix;
    }
    std::string SystemReg(const fs::path& prefix) {
        return String(dir.Read(fs::relative(prefix / "system.reg", dir.Path()).string()));
    }
    WineEnvironment Env(const fs::path& prefix) { return {prefix.string(), std::nullopt}; }
    WinePrefixRegistry::Options Options() {
        WinePrefixRegistry::Options o;
        o.tmpRoot = dir.Path("tmp");
        o.now = [] {
            return std::chrono::system_clock::time_point(std::chrono::seconds(1796622254));
        };
        return o;
    }
    // The router the program uses: the game's roots to the host, the rest to the tool's file.
    void Route(WineHost& host) {
        for (auto root : kGameRoots) router.Route(root, &host.GameKeys());
    }
    // Holds the lock a running wineserver holds, in a folder laid out as `serverFolder`.
    int HoldServerLock(const fs::path& serverFolder) {
        fs::create_directories(serverFolder);
        int fd = ::open((serverFolder / "lock").c_str(), O_RDWR | O_CREAT, 0600);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = 1;
        // An open-file-description lock: a process lock would go with the first close() of
        // any descriptor of the file in this process, the probe's own included.
        EXPECT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
        return fd;
    }
    std::string ServerName(const fs::path& prefix) {
        struct stat st {};
        ::stat(prefix.c_str(), &st);
        char name[64];
        std::snprintf(name, sizeof name, "server-%llx-%llx", (unsigned long long)st.st_dev,
                      (unsigned long long)st.st_ino);
        return name;
    }

    test::TempDir dir;
    FakeRegistry toolFile;  // the tool's own registry file
    RegistryRouter router{toolFile};
    FakeWineTool tool;
    FakeShellFolders folders;
    ToolPreferences prefs;
};

TEST_F(WinePrefixTest, PrefixComesFromTheEnvironmentTheChoiceOrHome) {
    const fs::path env = MakePrefix("env", kWin32);
    const fs::path chosen = MakePrefix("chosen", kWin32);
    const fs::path home = dir.Path("home");
    MakePrefix("home/.wine", kWin32);
    const std::string notPrefix = dir.Path("empty").string();
    fs::create_directories(notPrefix);

    EXPECT_EQ(FindWinePrefix(env.c_str(), home.c_str(), TextFromPath(chosen)), env);
    EXPECT_EQ(FindWinePrefix(notPrefix.c_str(), home.c_str(), TextFromPath(chosen)), chosen);
    EXPECT_EQ(FindWinePrefix(nullptr, home.c_str(), u""), home / ".wine");
    EXPECT_EQ(FindWinePrefix("", home.c_str(), u"/no/such/prefix"), home / ".wine");
    EXPECT_EQ(FindWinePrefix(nullptr, notPrefix.c_str(), u""), fs::path());

    // The choice is remembered in the tool's own registry and found at the next start.
    WineHost host(toolFile, tool, {std::nullopt, home.string()}, Options());
    EXPECT_EQ(host.WinePrefix(), TextFromPath(home / ".wine"));
    Reason error;
    EXPECT_FALSE(host.ChooseWinePrefix(TextFromPath(notPrefix), &error));
    EXPECT_EQ(error,
              (Reason{.kind = ReasonKind::NotAWinePrefix, .subject = TextFromPath(notPrefix)}));
    EXPECT_EQ(host.WinePrefix(), TextFromPath(home / ".wine"));
    EXPECT_TRUE(host.ChooseWinePrefix(TextFromPath(chosen), &error));
    WineHost next(toolFile, tool, {std::nullopt, home.string()}, Options());
    EXPECT_EQ(next.WinePrefix(), TextFromPath(chosen));
    EXPECT_EQ(next.PrefixRegistry().Prefix(), chosen);
}

TEST_F(WinePrefixTest, GameAndLauncherAreFoundAsLinuxPaths) {
    // On disk the folders are spelt otherwise than in the registry, as Wine allows.
    const fs::path prefix = MakePrefix("pfx", kWin64, "program files (x86)", "PLAYONLINE");
    WineHost host(toolFile, tool, Env(prefix), Options());
    Route(host);
    const fs::path drive = fs::canonical(prefix / "drive_c");
    const std::u16string base =
        TextFromPath(drive / "program files (x86)" / "PLAYONLINE" / "SquareEnix");

    InstallPaths paths = FindInstallPaths(router, folders, prefs, &host);
    EXPECT_EQ(paths.CurrentFolder, base + u"/FINAL FANTASY XI/USER");
    EXPECT_EQ(paths.PlayOnlinePath, base + u"/PlayOnlineViewer/pol.exe");
    EXPECT_TRUE(paths.LauncherExists);
    EXPECT_EQ(host.GameRoot(), u"SOFTWARE\\PlayOnline");

    // Without its final separator the game folder still names the sibling "...XIUSER".
    EXPECT_EQ(
        host.NativePath(u"C:\\PROGRAM FILES (X86)\\playonline\\SquareEnix\\FINAL FANTASY XIUSER"),
        base + u"/FINAL FANTASY XIUSER");
    // A folder is kept with its separator; what is not there is kept as written.
    EXPECT_EQ(host.NativePath(u"c:/Program Files (x86)/PlayOnline/"),
              TextFromPath(drive / "program files (x86)" / "PLAYONLINE") + u"/");
    EXPECT_EQ(host.NativePath(u"C:\\Missing\\Deeper\\pol.exe"),
              TextFromPath(drive) + u"/Missing/Deeper/pol.exe");
    EXPECT_EQ(host.NativePath(u"D:\\pol.exe"),
              TextFromPath(prefix / "dosdevices" / "d:") + u"/pol.exe");
    EXPECT_EQ(host.NativePath(u"/home/p/pol.exe"), u"/home/p/pol.exe");
    EXPECT_EQ(toolFile.sets, 0);
}

TEST_F(WinePrefixTest, Win64PrefixReadsAndWritesTheGamesThirtyTwoBitView) {
    const fs::path prefix = MakePrefix("pfx", kWin64);
    WineHost host(toolFile, tool, Env(prefix), Options());
    Route(host);

    DisplayModeList modes{{1024, 768}, {1280, 1024}};
    GameSettings s = LoadGameSettings(router, modes, false);
    EXPECT_EQ(s.sound, CheckState::Checked);  // not the stale 0 outside Wow6432Node
    EXPECT_EQ(s.mipMap, CheckState::Checked);
    EXPECT_EQ(s.frontBuffer, 1);
    EXPECT_EQ(s.backBufferW, u"800");
    EXPECT_EQ(s.general, 2);
    EXPECT_EQ(s.menuMap, 1);

    s.general = 1;
    s.openingMovie = CheckState::Checked;
    EXPECT_TRUE(SaveGameSettings(router, s, modes).AllSaved());
    const LineDiff d = Diff(kWin64, SystemReg(prefix));
    // Changed: the two values, and the key's two stamps; added: the values it lacked.
    EXPECT_EQ(d.removed,
              (std::vector<std::string>{
                  "[Software\\\\Wow6432Node\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000002",
                  "#time=1d9000000000002", "\"0018\"=dword:00000002"}));
    EXPECT_EQ(d.added.size(), 3u + 5u);  // 0011, 0017, 0021, 0022, 0023
    const std::string now = SystemReg(prefix);
    EXPECT_NE(now.find("\"0017\"=dword:00000000\n\"0018\"=dword:00000001\n\"0019\"=dword:00000001\n"
                       "\"0021\"=dword:00000000\n\"0022\"=dword:00000001\n"),
              std::string::npos)
        << now;
    // The stale copy, the foreign value "0042" and the other keys are as they were.
    EXPECT_NE(now.find("\"0007\"=dword:00000000\n\"0018\"=dword:00000000\n"), std::string::npos);
    EXPECT_NE(now.find("\"0042\"=dword:0000002a\n"), std::string::npos);
    EXPECT_EQ(toolFile.sets, 0);
    EXPECT_TRUE(tool.imports.empty());

    // The tool's own preferences still go to its own file.
    EXPECT_TRUE(
        RegWriteValue(router, Hive::LocalMachine, kPreferencesKey, u"TabIndex", REG_DWORD_TYPE, 2));
    EXPECT_EQ(toolFile.sets, 1);
    EXPECT_EQ(SystemReg(prefix), now);
}

TEST_F(WinePrefixTest, Win32PrefixAndAFreshWin64PrefixGetTheKeyWhereTheGameReads) {
    const fs::path win32 = MakePrefix("w32", kWin32, "Program Files");
    WineHost host(toolFile, tool, Env(win32), Options());
    Route(host);
    DisplayModeList modes{{1024, 768}};
    GameSettings s = LoadGameSettings(router, modes, false);
    EXPECT_EQ(s.sound, CheckState::Checked);
    EXPECT_EQ(s.menuMap, 1);
    EXPECT_TRUE(SaveGameSettings(router, s, modes).AllSaved());
    EXPECT_EQ(Diff(kWin32, SystemReg(win32)).removed.size(), 2u);  // only the key's stamps
    EXPECT_EQ(FindInstallPaths(router, folders, prefs, &host).CurrentFolder,
              TextFromPath(fs::canonical(win32 / "drive_c")) +
                  u"/Program Files/PlayOnline/SquareEnix/FINAL FANTASY XI/USER");

    // A prefix whose registry has the game's install folder but no settings yet.
    const std::string fresh =
        kHeader +
        "#arch=win64\n\n[Software\\\\Wow6432Node\\\\PlayOnline\\\\InstallFolder] "
        "1\n#time=1\n\"0001\"=\"C:\\\\Game\\\\\"\n";
    const fs::path win64 = MakePrefix("w64", fresh);
    Reason error;
    ASSERT_TRUE(host.ChooseWinePrefix(TextFromPath(win64), &error));
    EXPECT_EQ(host.WinePrefix(), TextFromPath(win64));
    s = LoadGameSettings(router, modes, false);
    s.frontBuffer = 0;
    EXPECT_TRUE(SaveGameSettings(router, s, modes).AllSaved());
    const std::string written = SystemReg(win64);
    EXPECT_TRUE(written.starts_with(fresh));
    EXPECT_NE(
        written.find("\n\n[Software\\\\Wow6432Node\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] "
                     "1796622254\n#time="),
        std::string::npos)
        << written;
    EXPECT_EQ(
        RegReadValue(router, Hive::LocalMachine, kGameSettingsKey, u"0001", REG_DWORD_TYPE, -1),
        1024);
}

// A prefix Wine made by itself (no game keys) is not the game's: the keys stay where they
// were found, and the launcher runs in it only when its drives reach the launcher.
TEST_F(WinePrefixTest, PrefixWithoutTheGamesKeysIsNotTheGames) {
    const fs::path home = dir.Path("home");
    const std::string bare = kHeader + "#arch=win64\n\n[Software\\\\Wine] 1\n#time=1\n";
    const fs::path wine = MakePrefix("home/.wine", bare);
    const fs::path game = MakePrefix("game", kWin32);
    toolFile.PutText(u"SOFTWARE\\PlayOnline\\InstallFolder", u"0001",
                     TextFromPath(dir.Path("demo/FINAL FANTASY XI")) + u"/");
    const fs::path launcher = dir.Path("demo/PlayOnlineViewer/pol.exe");
    dir.Write("demo/PlayOnlineViewer/pol.exe", {'M', 'Z'});

    WineHost host(toolFile, tool, {std::nullopt, home.string()}, Options());
    Route(host);
    EXPECT_EQ(host.WinePrefix(), u"");
    EXPECT_EQ(FindInstallPaths(router, folders, prefs, &host).CurrentFolder,
              TextFromPath(dir.Path("demo/FINAL FANTASY XI")) + u"/USER");
    EXPECT_EQ(host.LauncherPrefix(TextFromPath(launcher)), u"");  // only c: → drive_c
    fs::create_symlink("/", wine / "dosdevices" / "z:");
    EXPECT_EQ(host.LauncherPrefix(TextFromPath(launcher)), TextFromPath(wine));

    // Chosen by the player: remembered, but the game's keys do not move into it.
    Reason error;
    EXPECT_TRUE(host.ChooseWinePrefix(TextFromPath(wine), &error));
    EXPECT_EQ(host.WinePrefix(), u"");
    EXPECT_EQ(SystemReg(wine), bare);
    EXPECT_TRUE(host.ChooseWinePrefix(TextFromPath(game), &error));
    EXPECT_EQ(host.WinePrefix(), TextFromPath(game));
    EXPECT_EQ(host.LauncherPrefix(TextFromPath(launcher)), TextFromPath(game));
    // $WINEPREFIX without the keys gives way to a prefix that has them.
    WineHost next(toolFile, tool, {wine.string(), home.string()}, Options());
    EXPECT_EQ(next.WinePrefix(), TextFromPath(game));

    // A drive reaches the folders below it, not its siblings.
    EXPECT_TRUE(DrivesReach(game, game / "drive_c" / "x" / "y"));
    EXPECT_TRUE(DrivesReach(game, game / "drive_c"));
    EXPECT_FALSE(DrivesReach(game, game / "drive_cc"));
    EXPECT_FALSE(DrivesReach(game, dir.Path("demo")));
}

TEST_F(WinePrefixTest, RunningServerGetsTheChangeThroughItsToolOrTheSaveIsRefused) {
    const fs::path prefix = MakePrefix("pfx", kWin64);
    // Debian's Wine names its server root in the prefix; upstream uses .wine-<uid>.
    dir.Write("pfx/wineserver", Bytes("wine-9HeEhU"));
    const std::vector<fs::path> layouts{
        dir.Path("tmp") / (".wine-" + std::to_string(::getuid())) / ServerName(prefix),
        dir.Path("tmp") / "wine-9HeEhU" / ServerName(prefix)};
    EXPECT_EQ(WineServerFolders(prefix, dir.Path("tmp")), layouts);

    for (const fs::path& serverFolder : layouts) {
        SCOPED_TRACE(serverFolder.string());
        WineHost host(toolFile, tool, Env(prefix), Options());
        Route(host);
        DisplayModeList modes{{1280, 1024}};
        GameSettings s = LoadGameSettings(router, modes, false);
        s.general = 0;

        // A left-over folder whose lock nobody holds is no server.
        fs::create_directories(serverFolder);
        dir.Write(fs::relative(serverFolder / "lock", dir.Path()).string(), {});
        EXPECT_FALSE(WineServerRunning(prefix, dir.Path("tmp")));

        const int lock = HoldServerLock(serverFolder);
        EXPECT_TRUE(WineServerRunning(prefix, dir.Path("tmp")));

        // The server's copy: "0018" is 2 there, the rest as the load found them.
        tool.live =
            u"Windows Registry Editor Version 5.00\r\n\r\n"
            u"[HKEY_LOCAL_MACHINE\\Software\\PlayOnline\\SQUARE\\FinalFantasyXI]\r\n"
            u"\"0000\"=dword:00000001\r\n\"0001\"=dword:00000500\r\n"
            u"\"0002\"=dword:00000400\r\n\"0003\"=dword:00000320\r\n"
            u"\"0004\"=dword:00000200\r\n\"0007\"=dword:00000001\r\n"
            u"\"0011\"=dword:00000000\r\n\"0017\"=dword:00000000\r\n"
            u"\"0018\"=dword:00000002\r\n\"0019\"=dword:00000001\r\n"
            u"\"0021\"=dword:00000000\r\n\"0022\"=dword:00000000\r\n"
            u"\"0023\"=dword:00000000\r\n";
        tool.imports.clear();
        EXPECT_TRUE(SaveGameSettings(router, s, modes).AllSaved());
        // Only the changed value went through the tool, to the 32-bit view the game reads.
        ASSERT_EQ(tool.imports.size(), 1u);
        EXPECT_NE(tool.imports[0].find(
                      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\PlayOnline\\SQUARE\\FinalFantasyXI]\r\n"
                      u"\"0018\"=dword:00000000"),
                  std::u16string::npos);
        EXPECT_EQ(tool.prefixes[0], prefix);
        EXPECT_EQ(tool.exports[0], u"SOFTWARE\\PlayOnline");
        EXPECT_EQ(SystemReg(prefix), kWin64);  // the server owns the file
        // While the server runs, reads see its copy.
        EXPECT_EQ(
            RegReadValue(router, Hive::LocalMachine, kGameSettingsKey, u"0018", REG_DWORD_TYPE, -1),
            0);

        // The tool fails: the save is reported, nothing is written.
        tool.failImport = true;
        s.general = 1;
        SaveReport result = SaveGameSettings(router, s, modes);
        EXPECT_EQ(result.unsaved, std::vector<std::u16string>{std::u16string(kGameSettingsLabel)});
        EXPECT_EQ(result.reason.kind, ReasonKind::WineRegFailed);
        EXPECT_EQ(result.reason.subject, TextFromPath(prefix));
        tool.failImport = false;

        // No tool at all: refused with a message, the file untouched.
        tool.available = false;
        const std::size_t importsBefore = tool.imports.size();
        result = SaveGameSettings(router, s, modes);
        EXPECT_EQ(result.outcome, SaveReport::Outcome::Refused);
        EXPECT_EQ(tool.imports.size(), importsBefore);
        EXPECT_EQ(result.reason,
                  (Reason{.kind = ReasonKind::GameRunning, .subject = TextFromPath(prefix)}));
        EXPECT_EQ(SystemReg(prefix), kWin64);
        tool.available = true;

        // The server ends: the file is written again.
        ::close(lock);
        EXPECT_FALSE(WineServerRunning(prefix, dir.Path("tmp")));
        const std::size_t imports = tool.imports.size();
        EXPECT_TRUE(SaveGameSettings(router, s, modes).AllSaved());
        EXPECT_NE(SystemReg(prefix).find("\"0018\"=dword:00000001"), std::string::npos);
        EXPECT_EQ(tool.imports.size(), imports);
        dir.Write("pfx/system.reg", Bytes(kWin64));
        fs::remove_all(serverFolder);
    }
}

// A server that starts after the save looked (no server: the file is staged) but before the
// file is replaced may have read the old file and would write it back: it is given the
// values too, each as the file now has it.
TEST_F(WinePrefixTest, ServerThatStartsDuringASaveGetsEveryValue) {
    const fs::path prefix = MakePrefix("pfx", kWin64);
    WineHost host(toolFile, tool, Env(prefix), Options());
    Route(host);
    DisplayModeList modes{{1280, 1024}};
    GameSettings s = LoadGameSettings(router, modes, false);
    s.general = 0;                         // "0018", in the file
    s.openingMovie = CheckState::Checked;  // "0022", not in the file yet
    SavePlan plan;
    PlanGameSettings(plan, router, s, modes);
    const int lock = HoldServerLock(dir.Path("tmp") / (".wine-" + std::to_string(::getuid())) /
                                    ServerName(prefix));
    EXPECT_TRUE(plan.Run().AllSaved());
    ::close(lock);

    const auto file = WineRegDocument::Parse(SystemReg(prefix));
    ASSERT_TRUE(file);
    const std::u16string game = u"Software\\Wow6432Node\\PlayOnline\\SQUARE\\FinalFantasyXI";
    EXPECT_EQ(file->Query(game, u"0018")->data, (std::vector<uint8_t>{0, 0, 0, 0}));
    ASSERT_EQ(tool.imports.size(), 1u);
    const auto imported = RegFileDocument::Parse(tool.imports[0]);
    ASSERT_TRUE(imported);
    for (std::u16string_view name : kGameSettingsSaveOrder) {
        SCOPED_TRACE(Utf16ToUtf8(name));
        const auto sent = imported->Query(kGameSettingsKey, name);
        const auto written = file->Query(game, name);
        ASSERT_TRUE(sent);
        ASSERT_TRUE(written);
        EXPECT_EQ(sent->type, written->type);
        EXPECT_EQ(sent->data, written->data);
    }
}

// A batch refused for a key name it cannot hold leaves nothing of itself behind: neither
// the next read nor the next write sees its other values.
TEST_F(WinePrefixTest, ARefusedKeyNameLeavesNoValueOfItsBatch) {
    const fs::path prefix = MakePrefix("pfx", kWin64);
    const std::u16string game = u"Software\\Wow6432Node\\PlayOnline\\SQUARE\\FinalFantasyXI";
    const RegRawValue one{REG_DWORD_TYPE, {1, 0, 0, 0}};
    for (const char16_t* refused : {u"", u"\\", u"\\\\\\"}) {
        SCOPED_TRACE(Utf16ToUtf8(refused));
        WinePrefixRegistry reg(tool, Options());
        reg.SetPrefix(prefix);
        const std::vector<RegValueWrite> batch{{game, u"0050", one},
                                               {game, u"0018", one},
                                               {refused, u"X", one},
                                               {u"Software\\Later", u"Y", one}};
        Reason reason;
        EXPECT_FALSE(reg.SetMany(Hive::LocalMachine, batch, &reason));
        EXPECT_TRUE(reason);
        EXPECT_EQ(SystemReg(prefix), kWin64);
        EXPECT_FALSE(reg.Query(Hive::LocalMachine, game, u"0050"));
        EXPECT_EQ(reg.Query(Hive::LocalMachine, game, u"0018")->data,
                  (std::vector<uint8_t>{2, 0, 0, 0}));

        const std::vector<RegValueWrite> next{{game, u"0019", {REG_DWORD_TYPE, {0, 0, 0, 0}}}};
        ASSERT_TRUE(reg.SetMany(Hive::LocalMachine, next));
        const LineDiff d = Diff(kWin64, SystemReg(prefix));
        EXPECT_EQ(d.added,
                  (std::vector<std::string>{
                      "[Software\\\\Wow6432Node\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] "
                      "1796622254",
                      "#time=1dd860dfdb24b00", "\"0019\"=dword:00000000"}));
        EXPECT_EQ(d.removed.size(), 3u);  // the key's two stamps and the old "0019"
        dir.Write("pfx/system.reg", Bytes(kWin64));
    }
}

TEST_F(WinePrefixTest, ServerCopyThatCannotBeReadFallsBackToTheFileOnce) {
    const fs::path prefix = MakePrefix("pfx", kWin64);
    WineHost host(toolFile, tool, Env(prefix), Options());
    Route(host);
    const int lock = HoldServerLock(dir.Path("tmp") / (".wine-" + std::to_string(::getuid())) /
                                    ServerName(prefix));
    // The export fails (another Wine version, say): the file is the best there is.
    DisplayModeList modes{{1280, 1024}};
    GameSettings s = LoadGameSettings(router, modes, false);
    EXPECT_EQ(s.general, 2);
    EXPECT_EQ(s.sound, CheckState::Checked);
    EXPECT_EQ(tool.exports.size(), 1u) << "not asked again for every value";
    // Nothing to compare with: every value goes to the server, in one import.
    EXPECT_TRUE(SaveGameSettings(router, s, modes).AllSaved());
    ASSERT_EQ(tool.imports.size(), 1u);
    EXPECT_NE(tool.imports[0].find(u"\"0023\"=dword:"), std::u16string::npos);
    EXPECT_EQ(SystemReg(prefix), kWin64);
    ::close(lock);
}

TEST_F(WinePrefixTest, RegionalInstallIsFoundAndItsSettingsKeyUsed) {
    const fs::path prefix = MakePrefix("pfx", kUsOnly, "Program Files (x86)", "PlayOnlineUS");
    WineHost host(toolFile, tool, Env(prefix), Options());
    Route(host);
    EXPECT_EQ(host.GameRoot(), u"SOFTWARE\\PlayOnlineUS");
    InstallPaths paths = FindInstallPaths(router, folders, prefs, &host);
    EXPECT_TRUE(paths.LauncherExists);
    EXPECT_TRUE(paths.CurrentFolder.ends_with(u"/PlayOnlineUS/SquareEnix/FINAL FANTASY XI/USER"));

    DisplayModeList modes{{1024, 768}};
    GameSettings s = LoadGameSettings(router, modes, false);
    EXPECT_EQ(s.general, 1);
    s.general = 2;
    EXPECT_TRUE(SaveGameSettings(router, s, modes).AllSaved());
    const std::string now = SystemReg(prefix);
    EXPECT_NE(now.find("[Software\\\\Wow6432Node\\\\PlayOnlineUS\\\\SquareEnix\\\\FinalFantasyXI] "
                       "1796622254\n#time=1dd860dfdb24b00\n\"0000\"=dword:00000000\n"),
              std::string::npos)
        << now;
    EXPECT_EQ(now.find("\\\\PlayOnline\\\\"), std::string::npos) << "no Japanese key made";

    // The regional keys named directly are left alone.
    EXPECT_EQ(*GameKeyUnderRoot(u"SOFTWARE\\PlayOnline\\SQUARE\\FinalFantasyXI",
                                u"SOFTWARE\\PlayOnlineEU"),
              u"SOFTWARE\\PlayOnlineEU\\SquareEnix\\FinalFantasyXI");
    EXPECT_EQ(*GameKeyUnderRoot(u"software\\playonline", u"SOFTWARE\\PlayOnlineUS"),
              u"SOFTWARE\\PlayOnlineUS");
    EXPECT_FALSE(
        GameKeyUnderRoot(u"SOFTWARE\\PlayOnlineUS\\InstallFolder", u"SOFTWARE\\PlayOnlineEU"));
    EXPECT_FALSE(GameKeyUnderRoot(u"SOFTWARE\\Tavrel\\Quillmor", u"SOFTWARE\\PlayOnlineEU"));

    // A Japanese install beside it wins; the choice is made again for another prefix.
    const fs::path both = MakePrefix("both", kWin64 + kUsOnly.substr(kHeader.size() + 13));
    Reason error;
    ASSERT_TRUE(host.ChooseWinePrefix(TextFromPath(both), &error));
    EXPECT_EQ(host.GameRoot(), u"SOFTWARE\\PlayOnline");
    EXPECT_EQ(LoadGameSettings(router, modes, false).general, 2);
}

TEST_F(WinePrefixTest, WithoutAPrefixTheGamesKeysStayInTheToolsFile) {
    WineHost host(toolFile, tool, {std::nullopt, dir.Path("nohome").string()}, Options());
    Route(host);
    EXPECT_EQ(host.WinePrefix(), u"");
    EXPECT_EQ(host.NativePath(u"C:\\PlayOnline\\"), u"C:\\PlayOnline\\");
    toolFile.PutText(u"SOFTWARE\\PlayOnlineEU\\InstallFolder", u"0001", u"/games/ffxi/");
    EXPECT_EQ(host.GameRoot(), u"SOFTWARE\\PlayOnlineEU");
    EXPECT_TRUE(
        RegWriteValue(router, Hive::LocalMachine, kGameSettingsKey, u"0007", REG_DWORD_TYPE, 1));
    EXPECT_TRUE(toolFile.Peek(u"SOFTWARE\\PlayOnlineEU\\SquareEnix\\FinalFantasyXI", u"0007"));
    EXPECT_EQ(FindInstallPaths(router, folders, prefs, &host).CurrentFolder, u"/games/ffxi/USER");
}

}  // namespace
}  // namespace qm
