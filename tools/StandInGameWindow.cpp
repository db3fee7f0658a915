#include "StandInGameWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace qm::demo {

StandInGameWindow::StandInGameWindow() : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, 64, 48, 0,
                                  BlackPixel(display_, screen), BlackPixel(display_, screen));
    char name[] = "pol.exe";
    char wmClass[] = "Wine";
    XClassHint hint{name, wmClass};
    XSetClassHint(display_, window_, &hint);
    char title[] = "FINAL FANTASY XI";
    XStoreName(display_, window_, title);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                    XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<unsigned char*>(title), int(std::strlen(title)));
    XMapWindow(display_, window_);
    XSync(display_, False);
}

StandInGameWindow::~StandInGameWindow() {
    if (!display_) return;
    if (window_) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

}  // namespace qm::demo
