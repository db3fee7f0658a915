#pragma once
// The capture key read system-wide on X11: the keyboard state of the whole display,
// whichever window has the focus, looked up by Windows virtual-key code.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Interfaces.h"

struct _XDisplay;
class QSocketNotifier;

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
    // True when the server reports raw key presses (XInput 2), so a tap between two
    // queries is seen.
    bool LatchesPresses() const { return xiOpcode_ >= 0; }

    // 0x8000 while the key (or mouse button 1, 2, 4) is down, | 1 when it was pressed
    // since the previous query of the same code; 0 otherwise. The query clears that bit.
    int16_t GetAsyncKeyState(int virtualKey) override;

  private:
    void ListenForRawPresses();
    // Reads the raw presses the server has sent so far.
    void TakeEvents();
    bool PressedSinceLastQuery(int virtualKey, const std::vector<unsigned char>& keycodes);

    _XDisplay* display_ = nullptr;
    int xiOpcode_ = -1;
    // Raw presses are numbered; a code was pressed since its last query when one of its
    // keys (or buttons) has a later number than that query. Counting per code keeps the
    // codes that share a key (16 and 160 both name the left Shift) apart.
    uint64_t pressCount_ = 0;
    std::array<uint64_t, 256> keyPressedAt_{};
    std::array<uint64_t, 8> buttonPressedAt_{};
    std::array<uint64_t, 256> queriedAt_{};
    // Drains the connection while the program idles, so presses never pile up there.
    std::unique_ptr<QSocketNotifier> notifier_;
    // One keymap query serves every code asked for within a few milliseconds: the
    // key-code dialog asks for 161 codes at each tick.
    std::array<char, 32> keymap_{};
    std::chrono::steady_clock::time_point keymapTime_{};
};

}  // namespace qm
