#pragma once
// Other programs' top-level windows on the X display: finding one by its WM_CLASS or its
// title, reading where its client area is, and bringing it forward. Uses a connection of
// its own, so it works whatever display plugin the window toolkit runs on; the connection
// is made on the first query.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _XDisplay;

namespace qm {

using X11WindowId = unsigned long;

// The client area in root-window (whole screen) pixels.
struct X11Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// A window's WM_CLASS: empty texts when it has none.
struct X11ClassHint {
    std::string instance;  // "pol.exe"
    std::string wmClass;   // "Wine"
};

class X11Windows {
  public:
    // Queries connect to $DISPLAY; without a display every query finds nothing.
    X11Windows() = default;
    ~X11Windows();
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool Connected() { return Connect(); }

    // Top-level client windows: the window manager's client list, or, without a window
    // manager, the windows below the root that carry a WM_CLASS.
    std::vector<X11WindowId> TopLevelWindows();

    // The first top-level window whose WM_CLASS instance or class name equals wmClass
    // (ASCII case ignored); a viewable one is preferred to a hidden or minimised one.
    std::optional<X11WindowId> FindByClass(std::string_view wmClass);
    // The same by exact title (_NET_WM_NAME, else WM_NAME).
    std::optional<X11WindowId> FindByTitle(std::u16string_view title);

    std::optional<X11Geometry> ClientGeometry(X11WindowId window);
    std::u16string Title(X11WindowId window);
    X11ClassHint ClassHint(X11WindowId window);
    bool Viewable(X11WindowId window);

    // Restores the window if minimised, raises it and asks the window manager to give it
    // the focus. False when the window does not exist (any more).
    bool Activate(X11WindowId window);

  private:
    bool Connect();
    template <typename Match>
    std::optional<X11WindowId> FindFirst(Match match);

    _XDisplay* display_ = nullptr;
    bool tried_ = false;
};

}  // namespace qm
