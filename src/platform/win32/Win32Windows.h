#pragma once
// Other programs' top-level windows on Windows: the launcher's and the game's, found by
// their window class, and brought to the front.
#ifdef _WIN32

#include <windows.h>

namespace qm {

// PlayOnline's window (class "PlayOnline"); null when it does not run.
HWND FindLauncherWindow();
// The game's window (class "FFXiClass", else the title "FINAL FANTASY XI"); null when
// it does not run.
HWND FindGameWindow();
// Restores a minimised window, makes its last active pop-up (a dialog it shows) the
// foreground window and activates it. False for no window.
bool BringForward(HWND window);

}  // namespace qm

#endif  // _WIN32
