#pragma once
// Where the game is installed as far as this system is concerned. On Windows that is the
// machine itself; on Linux the game runs inside a Wine prefix, whose registry holds the
// game's keys and whose drives hold its folders.

#include <string>
#include <string_view>

#include "storage/Reason.h"

namespace qm {

class IGameHost {
  public:
    virtual ~IGameHost() = default;

    // True where the game runs under Wine, so that the player may choose the prefix.
    virtual bool UsesWinePrefix() = 0;
    // The prefix folder in use; empty when none was found.
    virtual std::u16string WinePrefix() = 0;
    // Remembers the folder as the player's prefix; it holds the game's settings from now
    // on when its registry has the game's keys (WinePrefix() then names it). False, with a
    // reason for the player, when the folder is not a prefix (no system.reg).
    virtual bool ChooseWinePrefix(std::u16string_view folder, Reason* error) = 0;
    // The prefix the launcher at this path (of this system) is to run in: the game's
    // prefix, else a known prefix whose drives reach the launcher. Empty when none is
    // known: starting it then would make Wine create a new, empty prefix.
    virtual std::u16string LauncherPrefix(std::u16string_view launcherPath) {
        (void)launcherPath;
        return WinePrefix();
    }

    // A path as the game stores it ("C:\Program Files (x86)\...") as a path of this
    // system; returned unchanged when it cannot be mapped.
    virtual std::u16string NativePath(std::u16string_view gamePath) = 0;

    // The registry root of the installation in use: "SOFTWARE\PlayOnline" (Japanese
    // client), "SOFTWARE\PlayOnlineUS" or "SOFTWARE\PlayOnlineEU".
    virtual std::u16string GameRoot() = 0;
};

}  // namespace qm
