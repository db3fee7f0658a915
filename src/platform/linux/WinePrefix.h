#pragma once
// A Wine prefix: finding it, telling whether a wineserver runs for it, and mapping the
// Windows paths stored in its registry to paths of this system.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A folder holding a regular file "system.reg".
bool IsWinePrefix(const std::filesystem::path& folder);

// The prefix to use: $WINEPREFIX when it is a prefix, else the player's remembered
// choice, else ~/.wine; empty when none of them is a prefix. The arguments are the
// environment's values (null when unset) so that tests can give their own.
std::filesystem::path FindWinePrefix(const char* winePrefixVariable, const char* home,
                                     std::u16string_view remembered);

// Every prefix among $WINEPREFIX, the remembered choice and ~/.wine, in that order, each
// once.
std::vector<std::filesystem::path> WinePrefixCandidates(const char* winePrefixVariable,
                                                        const char* home,
                                                        std::u16string_view remembered);

// True when one of the prefix's drives (dosdevices/c:, z:, ...) leads to the folder, a
// path of this system.
bool DrivesReach(const std::filesystem::path& prefix, const std::filesystem::path& folder);

// Where a wineserver for the prefix keeps its lock: "server-<dev>-<inode>" (the prefix
// folder's device and inode in lower-case hexadecimal) inside tmpRoot/.wine-<uid>, and,
// for Debian's Wine, inside the tmpRoot folder named in the prefix's "wineserver" file.
std::vector<std::filesystem::path> WineServerFolders(const std::filesystem::path& prefix,
                                                     const std::filesystem::path& tmpRoot);

// True when some process holds a write lock on byte 0 of a server folder's "lock" file:
// the server runs and will overwrite system.reg when it next saves. A left-over folder
// without the lock means no server. A lock file that exists but cannot be examined counts
// as running, so that nothing is written behind a server's back.
bool WineServerRunning(const std::filesystem::path& prefix,
                       const std::filesystem::path& tmpRoot = "/tmp");

// "C:\Program Files (x86)\PlayOnline\" as a path of this system: the drive through
// prefix/dosdevices/c:, then each component matched without regard to case, as Wine
// does. A component that is not found, and everything after it, is kept as written; a
// final separator is kept. Nothing when the text does not start with a drive letter and
// a colon.
std::optional<std::u16string> WinePathToNative(const std::filesystem::path& prefix,
                                               std::u16string_view windowsPath);

// "X:" followed by a separator or nothing.
bool IsWindowsDrivePath(std::u16string_view path);

}  // namespace qm
