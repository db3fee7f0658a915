#ifdef _WIN32

#include "platform/win32/Win32Processes.h"

#include "platform/win32/Win32Windows.h"

#include <windows.h>

#include <string>

namespace qm {

namespace {

std::u16string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (n && buffer) text.assign(buffer, buffer + n);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.pop_back();
    return text;
}

}  // namespace

bool Win32Processes::ActivateLauncherWindow() {
    return BringForward(FindLauncherWindow());
}

bool Win32Processes::IsGameRunning() {
    return FindWindowW(L"FFXiClass", nullptr) != nullptr;
}

bool Win32Processes::StartProcess(std::u16string_view path, Reason* error) {
    std::wstring file(path.begin(), path.end());
    std::wstring commandLine = L"\"" + file + L"\"";
    std::wstring folder = file.substr(0, file.find_last_of(L"\\/") + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        if (error)
            *error =
                Reason{.kind = ReasonKind::StartFailed, .detail = SystemMessage(GetLastError())};
        return false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

}  // namespace qm

#endif  // _WIN32
