// Writes a demo game folder for trying the editor without the game: a "USER" folder
// with two character folders (macro books, colours, a name list): the first with books
// 1, 2 and 40, the second with book 1 only and a damaged digest in "mcr.dat" so the
// compatibility warning can be seen.
//
//   quillmor-demo OUTDIR [--register]
//   quillmor-demo --game-window
//
// --register also records the demo as the installed game in the tool's own registry
// file, unless an install folder is already recorded there. --game-window shows a tiny
// stand-in for the game's window until Enter is pressed, so that the editor's status bar
// and its question before saving can be seen.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "DemoData.h"
#ifdef QUILLMOR_DEMO_GAME_WINDOW
#include "StandInGameWindow.h"
#endif
#include "storage/Paths.h"
#include "platform/linux/RegFile.h"
#include "settings/Registry.h"

using namespace qm;

int main(int argc, char* argv[]) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr,
                     "usage: quillmor-demo OUTDIR [--register]\n"
                     "       quillmor-demo --game-window\n");
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--game-window") == 0) {
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
    bool registerGame = argc > 2 && std::strcmp(argv[2], "--register") == 0;
    std::filesystem::path game = std::filesystem::absolute(argv[1]) / "FINAL FANTASY XI";
    std::filesystem::path user = game / "USER";
    if (!demo::WriteDemoGame(game)) {
        std::fprintf(stderr, "quillmor-demo: cannot write into %s\n", user.c_str());
        return 1;
    }
    std::filesystem::create_directories(std::filesystem::absolute(argv[1]) / "PlayOnlineViewer");
    std::printf("%s\n", user.c_str());

    if (registerGame) {
        RegFileBackend registry(RegFileBackend::DefaultPath());
        const std::u16string key = u"SOFTWARE\\PlayOnline\\InstallFolder";
        if (RegReadValue(registry, Hive::LocalMachine, key, u"0001", 1, std::u16string()).empty()) {
            std::u16string folder = TextFromPath(game) + std::u16string(PathSeparator());
            RegWriteValue(registry, Hive::LocalMachine, key, u"0001", 1, folder);
            RegWriteValue(registry, Hive::LocalMachine, key, u"1000", 1,
                          TextFromPath(std::filesystem::absolute(argv[1]) / "PlayOnlineViewer"));
            std::printf("registered in %s\n", RegFileBackend::DefaultPath().c_str());
        }
    }
    return 0;
}
