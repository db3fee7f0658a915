#pragma once
// The launcher and the game under Wine. pol.exe is started with wine in the prefix the
// game's registry came from; a running launcher or game is found among the X11 top-level
// windows by the class Wine gives them (the exe name, or "steam_app_<id>" under Proton)
// and by title, as well as by the Windows class name where that is passed on.

#include <optional>
#include <string>
#include <string_view>

#include "platform/GameHost.h"
#include "platform/Interfaces.h"
#include "platform/linux/LinuxProcesses.h"
#include "platform/linux/X11Windows.h"

namespace qm {

// What a top-level window says about itself.
struct WineWindowInfo {
    std::string instance;  // WM_CLASS instance name ("pol.exe")
    std::string wmClass;   // WM_CLASS class name ("Wine", "steam_app_230330")
    std::u16string title;
};
// The launcher's window, or the game's, which runs inside the same pol.exe.
bool IsPlayOnlineWindow(const WineWindowInfo& window);
// The game's own window only.
bool IsGameWindow(const WineWindowInfo& window);

// The first matching top-level window, a viewable one before a hidden one.
std::optional<X11WindowId> FindPlayOnlineWindow(X11Windows& windows);
std::optional<X11WindowId> FindGameWindow(X11Windows& windows);

class WineProcesses : public IWindowsAndProcesses {
  public:
    // host: the prefix to start Windows programs in; null, or no prefix: wine's default.
    explicit WineProcesses(IGameHost* host) : host_(host) {}

    bool ActivateLauncherWindow() override;
    bool StartProcess(std::u16string_view path, Reason* error) override;
    bool IsGameRunning() override;

  private:
    IGameHost* host_;
    LinuxProcesses plain_;
    X11Windows windows_;  // asked every few seconds: one connection for the session
};

}  // namespace qm
