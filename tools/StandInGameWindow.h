#pragma once
// A stand-in for the running game: a tiny X11 window that shows itself as the game's
// window does under Wine (WM_CLASS instance "pol.exe", class "Wine", title "FINAL
// FANTASY XI"), for tests and for trying the editor's "game is running" behaviour.

struct _XDisplay;

namespace qm::demo {

class StandInGameWindow {
  public:
    // Opens a connection of its own to $DISPLAY and shows the window there.
    StandInGameWindow();
    ~StandInGameWindow();
    StandInGameWindow(const StandInGameWindow&) = delete;
    StandInGameWindow& operator=(const StandInGameWindow&) = delete;

    // False when there is no display to show it on.
    bool Shown() const { return window_ != 0; }

  private:
    _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
};

}  // namespace qm::demo
