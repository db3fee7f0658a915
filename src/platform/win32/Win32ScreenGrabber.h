#pragma once
// Screen grabs on Windows through GDI: the display-sized block from the client origin of
// the game's window (class "FFXiClass"), or the whole screen when the game is not running.
#ifdef _WIN32

#include "platform/Interfaces.h"

namespace qm {

class Win32ScreenGrabber : public IScreenGrabber {
  public:
    ScreenImage GrabGameOrScreen() override;
};

}  // namespace qm

#endif  // _WIN32
