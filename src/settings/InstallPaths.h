#pragma once
// Finding the game and its launcher through the installer's registry key, and the
// launcher command.

#include <string>
#include <string_view>

#include "platform/GameHost.h"
#include "platform/Interfaces.h"
#include "platform/Registry.h"
#include "settings/ToolPreferences.h"

#include "storage/Reason.h"

namespace qm {

inline constexpr std::u16string_view kInstallFolderKey = u"SOFTWARE\\PlayOnline\\InstallFolder";
inline constexpr std::u16string_view kGameFolderValue = u"0001";
inline constexpr std::u16string_view kLauncherFolderValue = u"1000";
inline constexpr int kPicturesFolder = 39;

struct InstallPaths {
    // Where the first folder picker opens: "0001" with "USER" glued on. The installer
    // stores "0001" with a final separator; without one this names a sibling folder
    // that does not exist, and the picker opens at its own default.
    std::u16string CurrentFolder;
    // "1000" + separator + "pol.exe".
    std::u16string PlayOnlinePath;
    bool LauncherExists = false;
    // True when CapturePath was empty and has been set to the pictures folder.
    bool CapturePathFilled = false;
};

// Reads the install folders (never writing that key), looks for the launcher, and fills an empty
// prefs.CapturePath from the pictures folder when the platform knows one. A stored CapturePath is
// kept even when the folder is gone. With a host, Windows paths ("C:\...") become paths of this
// system (inside the Wine prefix); "USER" is glued on before that, so the rule above still holds.
InstallPaths FindInstallPaths(IRegistryBackend& reg, IShellFolders& folders, ToolPreferences& prefs,
                              IGameHost* host = nullptr);

enum class LaunchResult { Activated, Started, Failed };

// Brings a running launcher forward, or starts playOnlinePath without waiting for it.
// On failure, reason says why, with the launcher's path as its subject.
LaunchResult LaunchPlayOnline(IWindowsAndProcesses& processes, std::u16string_view playOnlinePath,
                              Reason* reason);

}  // namespace qm
