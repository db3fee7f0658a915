#pragma once
// The capture key read system-wide on X11: the keyboard state of the whole display,
// whichever window has the focus, looked up by Windows virtual-key code.

#include <array>
#include <chrono>
#include <vector>

#include "platform/Interfaces.h"

struct _XDisplay;

namespace qm {

// The X keysyms a virtual-key code stands for; empty for a code with no key here.
// Letters 65-90 and digits 48-57 name the keys, F1-F24 are 112-135, 44 is Print, and the
// punctuation keys 186-192 and 219-222 follow the US layout.
std::vector<unsigned long> KeysymsForVirtualKey(int virtualKey);

class X11KeyState : public IKeyState {
  public:
    // Connects to $DISPLAY; without a display every key reads as up.
    X11KeyState();
    ~X11KeyState() override;
    X11KeyState(const X11KeyState&) = delete;
    X11KeyState& operator=(const X11KeyState&) = delete;

    bool Connected() const { return display_ != nullptr; }

    // 0x8000 while the key (or mouse button 1, 2, 4) is down, else 0. X reports only what
    // is down now, so a press and release between two queries is not seen.
    int16_t GetAsyncKeyState(int virtualKey) override;

  private:
    _XDisplay* display_ = nullptr;
    // One keymap query serves every code asked for within a few milliseconds: the
    // key-code dialog asks for 161 codes at each tick.
    std::array<char, 32> keymap_{};
    std::chrono::steady_clock::time_point keymapTime_{};
};

}  // namespace qm
