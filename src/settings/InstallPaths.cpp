#include "settings/InstallPaths.h"

#include "macro/MacroFile.h"
#include "platform/Paths.h"
#include "settings/Registry.h"

namespace qm {

InstallPaths FindInstallPaths(IRegistryBackend& reg, IShellFolders& folders,
                              ToolPreferences& prefs) {
    InstallPaths paths;
    const auto hive = Hive::LocalMachine;
    paths.CurrentFolder =
        RegReadValue(reg, hive, kInstallFolderKey, kGameFolderValue, REG_SZ_TYPE, u"");
    paths.PlayOnlinePath =
        RegReadValue(reg, hive, kInstallFolderKey, kLauncherFolderValue, REG_SZ_TYPE, u"");
    paths.PlayOnlinePath += PathSeparator();
    paths.PlayOnlinePath += u"pol.exe";
    paths.LauncherExists = FileExists(paths.PlayOnlinePath);
    paths.CurrentFolder += u"USER";
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
                              std::u16string* message) {
    if (processes.ActivateLauncherWindow()) return LaunchResult::Activated;
    std::u16string reason;
    if (processes.StartProcess(playOnlinePath, &reason)) return LaunchResult::Started;
    if (message) {
        *message = u"PlayOnline を起動できませんでした。\n" + std::u16string(playOnlinePath);
        if (!reason.empty()) *message += u"\n" + reason;
    }
    return LaunchResult::Failed;
}

}  // namespace qm
