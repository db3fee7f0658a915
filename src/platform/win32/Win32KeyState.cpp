#ifdef _WIN32

#include "platform/win32/Win32KeyState.h"

#include <windows.h>

namespace qm {

int16_t Win32KeyState::GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 1 || virtualKey > 254) return 0;
    return static_cast<int16_t>(::GetAsyncKeyState(virtualKey));
}

}  // namespace qm

#endif  // _WIN32
