#pragma once
// The capture key read system-wide on Windows.
#ifdef _WIN32

#include "platform/Interfaces.h"

namespace qm {

class Win32KeyState : public IKeyState {
  public:
    int16_t GetAsyncKeyState(int virtualKey) override;
};

}  // namespace qm

#endif  // _WIN32
