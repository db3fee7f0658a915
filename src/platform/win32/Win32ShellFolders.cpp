#ifdef _WIN32

#include "platform/win32/Win32ShellFolders.h"

#include <windows.h>

#include <shlobj.h>

namespace qm {

std::u16string Win32ShellFolders::GetSpecialFolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(GetDesktopWindow(), csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return std::u16string(path, path + wcslen(path));
}

std::u16string Win32ShellFolders::GetTempFolderPath() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, path);
    if (n == 0 || n > MAX_PATH) return {};
    return std::u16string(path, path + n);
}

}  // namespace qm

#endif  // _WIN32
