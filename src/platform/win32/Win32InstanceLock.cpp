#ifdef _WIN32

#include "platform/win32/Win32InstanceLock.h"

#include <utility>

namespace qm {

Win32InstanceLock::Win32InstanceLock(std::wstring name) : name_(std::move(name)) {}

Win32InstanceLock::~Win32InstanceLock() {
    if (event_) CloseHandle(event_);
    if (mutex_) CloseHandle(mutex_);
}

bool Win32InstanceLock::AnotherCopyRunning() {
    if (mutex_) return false;  // already ours
    HANDLE mutex = CreateMutexW(nullptr, TRUE, (L"Local\\" + name_ + L"-lock").c_str());
    if (!mutex) return false;  // no guard at all: run rather than refuse
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    mutex_ = mutex;
    // Auto-reset: one wake-up per request.
    event_ = CreateEventW(nullptr, FALSE, FALSE, (L"Local\\" + name_ + L"-activate").c_str());
    return false;
}

bool Win32InstanceLock::ActivateOtherCopy() {
    HANDLE event =
        OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"Local\\" + name_ + L"-activate").c_str());
    if (!event) return false;
    // Only a program the user is working with may hand over the foreground.
    AllowSetForegroundWindow(ASFW_ANY);
    const bool set = SetEvent(event);
    CloseHandle(event);
    return set;
}

}  // namespace qm

#endif  // _WIN32
