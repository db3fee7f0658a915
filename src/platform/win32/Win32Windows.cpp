#ifdef _WIN32

#include "platform/win32/Win32Windows.h"

namespace qm {

HWND FindLauncherWindow() {
    return FindWindowW(L"PlayOnline", nullptr);
}

HWND FindGameWindow() {
    if (HWND byClass = FindWindowW(L"FFXiClass", nullptr)) return byClass;
    return FindWindowW(nullptr, L"FINAL FANTASY XI");
}

bool BringForward(HWND window) {
    if (!window) return false;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    HWND popup = GetLastActivePopup(window);
    HWND target = popup ? popup : window;
    SetForegroundWindow(target);
    SetActiveWindow(target);
    return true;
}

}  // namespace qm

#endif  // _WIN32
