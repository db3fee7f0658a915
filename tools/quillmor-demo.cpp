// Writes a demo game folder for trying the editor without the game: a "USER" folder
// with two character folders (macro books, colours, a name list): the first with books
// 1, 2 and 40, the second with book 1 only and a damaged digest in "mcr.dat" so the
// compatibility warning can be seen.
//
//   quillmor-demo OUTDIR [--register]
//   quillmor-demo --game-window
//
// --register also records the demo as the installed game, unless an install folder is
// already recorded: in the tool's own registry file on Linux (where the editor looks
// while no Wine prefix is found), in the machine's registry (32-bit view) on Windows.
// --game-window shows a tiny stand-in for the game's window until Enter is pressed, so
// that the editor's status bar and its question before saving can be seen.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoData.h"
#ifdef QUILLMOR_DEMO_GAME_WINDOW
#include "StandInGameWindow.h"
#endif
#include "platform/linux/RegFile.h"
#include "platform/win32/Win32Registry.h"
#include "settings/Registry.h"
#include "storage/CommandLine.h"
#include "storage/Paths.h"
#include "storage/Utf.h"

using namespace qm;

namespace {
std::string Shown(const std::filesystem::path& path) {
    return Utf16ToUtf8(TextFromPath(path));
}
}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args = ProgramArguments(argc, argv);
    if (args.empty() || args[0] == "--help") {
        WriteStdText(stderr,
                     "usage: quillmor-demo OUTDIR [--register]\n"
                     "       quillmor-demo --game-window\n");
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--game-window") {
#ifdef QUILLMOR_DEMO_GAME_WINDOW
        demo::StandInGameWindow game;
        if (!game.Shown()) {
            std::fprintf(stderr, "quillmor-demo: no X display to show the window on\n");
            return 1;
        }
        std::printf("stand-in game window shown; press Enter to close it\n");
        std::fflush(stdout);
        std::getchar();
        return 0;
#else
        std::fprintf(stderr, "quillmor-demo: built without X11; no stand-in window\n");
        return 1;
#endif
    }
    bool registerGame = args.size() > 1 && args[1] == "--register";
    const std::filesystem::path out = std::filesystem::absolute(PathFromArgument(args[0]));
    std::filesystem::path game = out / "FINAL FANTASY XI";
    std::filesystem::path user = game / "USER";
    if (!demo::WriteDemoGame(game)) {
        WriteStdText(stderr, "quillmor-demo: cannot write into " + Shown(user) + "\n");
        return 1;
    }
    std::filesystem::create_directories(out / "PlayOnlineViewer");
    WriteStdText(stdout, Shown(user) + "\n");

    if (registerGame) {
#ifdef _WIN32
        Win32RegistryBackend registry(Win32RegistryBackend::Root::Machine32);
        const std::string where = "HKEY_LOCAL_MACHINE (32-bit view)";
#else
        RegFileBackend registry(RegFileBackend::DefaultPath());
        const std::string where = Shown(RegFileBackend::DefaultPath());
#endif
        const std::u16string key = u"SOFTWARE\\PlayOnline\\InstallFolder";
        if (RegReadValue(registry, Hive::LocalMachine, key, u"0001", 1, std::u16string()).empty()) {
            std::u16string folder = TextFromPath(game) + std::u16string(PathSeparator());
            if (!RegWriteValue(registry, Hive::LocalMachine, key, u"0001", 1, folder) ||
                !RegWriteValue(registry, Hive::LocalMachine, key, u"1000", 1,
                               TextFromPath(out / "PlayOnlineViewer"))) {
                std::string why;
                for (const StoreNotice& notice : registry.TakeNotice())
                    if (notice.reason.cause) why = ": " + notice.reason.cause.message();
                WriteStdText(stderr,
                             "quillmor-demo: cannot register the demo in " + where + why + "\n");
                return 1;
            }
            WriteStdText(stdout, "registered in " + where + "\n");
        }
    }
    return 0;
}
