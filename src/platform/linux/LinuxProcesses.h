#pragma once
// The launcher on Linux: its window is found among the X11 top-level windows, and a
// Windows program is started through wine, detached, in its own folder.

#include "platform/Interfaces.h"

namespace qm {

class LinuxProcesses : public IWindowsAndProcesses {
  public:
    bool ActivateLauncherWindow() override;
    bool StartProcess(std::u16string_view path, Reason* error) override;
    bool IsGameRunning() override;
};

}  // namespace qm
