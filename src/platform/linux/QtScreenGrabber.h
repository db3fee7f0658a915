#pragma once
// Screen grabs through the window toolkit: a screen-sized block from the game window's
// client origin (found on the X display), or the whole screen when the game is not there.

#include <functional>
#include <optional>
#include <string>

#include "platform/Interfaces.h"
#include "platform/linux/X11Windows.h"

namespace qm {

class X11Windows;

// How the game's window shows itself on Linux: its Windows class name where the
// compatibility layer passes it on as WM_CLASS, else its title.
inline constexpr char kGameWindowClass[] = "FFXiClass";
inline constexpr char16_t kGameWindowTitle[] = u"FINAL FANTASY XI";

class QtScreenGrabber : public IScreenGrabber {
  public:
    // windows may be null: then the whole screen is always taken.
    explicit QtScreenGrabber(X11Windows* windows);

    // The image has the primary screen's size in device pixels; parts of the block that lie
    // outside the screen are black.
    ScreenImage GrabGameOrScreen() override;

    // Another window to look for (tests).
    void SetGameWindow(std::string wmClass, std::u16string title);
    // A search of its own, such as one that knows the windows of a Wine prefix.
    using Finder = std::function<std::optional<X11WindowId>(X11Windows&)>;
    void SetGameWindowFinder(Finder finder) { finder_ = std::move(finder); }

  private:
    X11Windows* windows_;
    Finder finder_;
};

}  // namespace qm
