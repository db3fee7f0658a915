#pragma once
// The single-instance guard's kernel objects on Windows: a mutex that the first copy
// owns and an event a later copy sets to ask it to come forward. Both are named in the
// logon session's own namespace ("Local\"), so each user at each session has a copy of
// their own.
#ifdef _WIN32

#include <windows.h>

#include <string>

namespace qm {

class Win32InstanceLock {
  public:
    explicit Win32InstanceLock(std::wstring name = L"quillmor-instance");
    ~Win32InstanceLock();
    Win32InstanceLock(const Win32InstanceLock&) = delete;
    Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;

    // True when another copy holds the guard. Otherwise this copy now holds it, and
    // ActivationEvent() is signalled whenever a later copy asks.
    bool AnotherCopyRunning();
    HANDLE ActivationEvent() const { return event_; }
    // Lets the running copy take the foreground and signals it. False when none runs.
    bool ActivateOtherCopy();

  private:
    std::wstring name_;
    HANDLE mutex_ = nullptr;
    HANDLE event_ = nullptr;
};

}  // namespace qm

#endif  // _WIN32
