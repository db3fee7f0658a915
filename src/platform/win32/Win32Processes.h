#pragma once
// The launcher on Windows: its window by class name, a process start in a normal,
// focused window, not waited for.

#ifdef _WIN32

#include "platform/Interfaces.h"

namespace qm {

class Win32Processes : public IWindowsAndProcesses {
  public:
    bool ActivateLauncherWindow() override;
    bool StartProcess(std::u16string_view path, Reason* error) override;
    bool IsGameRunning() override;
};

}  // namespace qm

#endif  // _WIN32
