#include "settings/InstallPaths.h"

#include "macro/MacroFile.h"
#include "settings/Registry.h"
#include "storage/Paths.h"

namespace qm {

namespace {

// "X:" and a separator: a path as Windows (or Wine) stores it.
bool IsDrivePath(std::u16string_view path) {
    return path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/') &&
           ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

}  // namespace

InstallPaths FindInstallPaths(IRegistryBackend& reg, IShellFolders& folders, ToolPreferences& prefs,
                              IGameHost* host) {
    InstallPaths paths;
    const auto hive = Hive::LocalMachine;
    paths.CurrentFolder =
        RegReadValue(reg, hive, kInstallFolderKey, kGameFolderValue, REG_SZ_TYPE, u"");
    paths.PlayOnlinePath =
        RegReadValue(reg, hive, kInstallFolderKey, kLauncherFolderValue, REG_SZ_TYPE, u"");
    const bool launcherIsWindowsPath = IsDrivePath(paths.PlayOnlinePath);
    paths.PlayOnlinePath += launcherIsWindowsPath ? u"\\" : PathSeparator();
    paths.PlayOnlinePath += u"pol.exe";
    const bool gameIsWindowsPath = IsDrivePath(paths.CurrentFolder);
    paths.CurrentFolder += u"USER";
    if (host) {
        if (launcherIsWindowsPath) paths.PlayOnlinePath = host->NativePath(paths.PlayOnlinePath);
        if (gameIsWindowsPath) paths.CurrentFolder = host->NativePath(paths.CurrentFolder);
    }
    paths.LauncherExists = FileExists(paths.PlayOnlinePath);
    if (prefs.CapturePath.empty()) {
        auto pictures = folders.GetSpecialFolderPath(kPicturesFolder);
        if (!pictures.empty()) {
            prefs.CapturePath = std::move(pictures);
            paths.CapturePathFilled = true;
        }
    }
    return paths;
}

LaunchResult LaunchPlayOnline(IWindowsAndProcesses& processes, std::u16string_view playOnlinePath,
                              Reason* reason) {
    if (processes.ActivateLauncherWindow()) return LaunchResult::Activated;
    Reason why;
    if (processes.StartProcess(playOnlinePath, &why)) return LaunchResult::Started;
    if (reason) {
        *reason = std::move(why);
        if (!*reason) reason->kind = ReasonKind::StartFailed;
        reason->subject = std::u16string(playOnlinePath);
    }
    return LaunchResult::Failed;
}

}  // namespace qm
