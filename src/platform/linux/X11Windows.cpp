#include "platform/linux/X11Windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

#include "macro/Cp932.h"

namespace qm {

namespace {

// Xlib's default error handler ends the program; a window that vanishes between two
// requests must only make the query fail.
int g_errorCount = 0;
int CountError(Display*, XErrorEvent*) {
    ++g_errorCount;
    return 0;
}

class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        g_errorCount = 0;
        previous_ = XSetErrorHandler(CountError);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    bool Failed() {
        XSync(display_, False);
        return g_errorCount != 0;
    }

  private:
    Display* display_;
    XErrorHandler previous_;
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

bool HasClassHint(Display* display, Window window) {
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) == 0) return false;
    XFree(hint.res_name);
    XFree(hint.res_class);
    return true;
}

void CollectWithClass(Display* display, Window parent, int depth, std::vector<X11WindowId>& out) {
    Window root = 0, parentOut = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &parentOut, &children, &count) == 0) return;
    for (unsigned int i = 0; i < count; ++i) {
        if (HasClassHint(display, children[i])) {
            out.push_back(children[i]);
        } else if (depth > 1) {
            // Window-manager frames hold the client one or two levels down.
            CollectWithClass(display, children[i], depth - 1, out);
        }
    }
    if (children) XFree(children);
}

}  // namespace

X11Windows::~X11Windows() {
    if (display_) XCloseDisplay(display_);
}

bool X11Windows::Connect() {
    if (!tried_) {
        tried_ = true;
        display_ = XOpenDisplay(nullptr);
    }
    return display_ != nullptr;
}

std::vector<X11WindowId> X11Windows::TopLevelWindows() {
    std::vector<X11WindowId> windows;
    if (!Connect()) return windows;
    ErrorTrap trap(display_);
    const Window root = DefaultRootWindow(display_);

    const Atom clientList = XInternAtom(display_, "_NET_CLIENT_LIST", True);
    if (clientList != 0) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, root, clientList, 0, 65536, False, XA_WINDOW, &type,
                               &format, &count, &after, &data) == Success &&
            data != nullptr) {
            if (type == XA_WINDOW && format == 32) {
                const auto* ids = reinterpret_cast<const unsigned long*>(data);
                windows.assign(ids, ids + count);
            }
            XFree(data);
        }
    }
    if (windows.empty()) CollectWithClass(display_, root, 3, windows);
    return windows;
}

template <typename Match>
std::optional<X11WindowId> X11Windows::FindFirst(Match match) {
    std::optional<X11WindowId> hidden;
    for (X11WindowId window : TopLevelWindows()) {
        if (!match(window)) continue;
        if (Viewable(window)) return window;
        if (!hidden) hidden = window;
    }
    return hidden;
}

std::optional<X11WindowId> X11Windows::FindByClass(std::string_view wmClass) {
    if (!Connect() || wmClass.empty()) return std::nullopt;
    return FindFirst([&](X11WindowId window) {
        ErrorTrap trap(display_);
        XClassHint hint{};
        if (XGetClassHint(display_, window, &hint) == 0) return false;
        const bool found = (hint.res_name && EqualsIgnoringAsciiCase(hint.res_name, wmClass)) ||
                           (hint.res_class && EqualsIgnoringAsciiCase(hint.res_class, wmClass));
        XFree(hint.res_name);
        XFree(hint.res_class);
        return found;
    });
}

std::optional<X11WindowId> X11Windows::FindByTitle(std::u16string_view title) {
    if (!Connect() || title.empty()) return std::nullopt;
    return FindFirst([&](X11WindowId window) { return Title(window) == title; });
}

std::u16string X11Windows::Title(X11WindowId window) {
    if (!Connect()) return {};
    ErrorTrap trap(display_);
    std::u16string title;

    const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, netName, 0, 4096, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        if (type == utf8 && format == 8) {
            title = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), count));
        }
        XFree(data);
        if (!title.empty()) return title;
    }

    XTextProperty property{};
    if (XGetWMName(display_, window, &property) != 0 && property.value != nullptr) {
        char** list = nullptr;
        int items = 0;
        if (Xutf8TextPropertyToTextList(display_, &property, &list, &items) >= Success &&
            list != nullptr) {
            if (items > 0 && list[0]) title = Utf8ToUtf16(list[0]);
            XFreeStringList(list);
        }
        XFree(property.value);
    }
    return title;
}

X11ClassHint X11Windows::ClassHint(X11WindowId window) {
    X11ClassHint out;
    if (!Connect()) return out;
    ErrorTrap trap(display_);
    XClassHint hint{};
    if (XGetClassHint(display_, window, &hint) != 0) {
        if (hint.res_name) out.instance = hint.res_name;
        if (hint.res_class) out.wmClass = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return out;
}

bool X11Windows::Viewable(X11WindowId window) {
    if (!Connect()) return false;
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window, &attributes) == 0 || trap.Failed()) return false;
    return attributes.map_state == IsViewable;
}

std::optional<X11Geometry> X11Windows::ClientGeometry(X11WindowId window) {
    if (!Connect()) return std::nullopt;
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window, &attributes) == 0 || trap.Failed()) {
        return std::nullopt;
    }
    int x = 0, y = 0;
    Window child = 0;
    if (XTranslateCoordinates(display_, window, attributes.root, 0, 0, &x, &y, &child) == 0 ||
        trap.Failed()) {
        return std::nullopt;
    }
    return X11Geometry{x, y, attributes.width, attributes.height};
}

bool X11Windows::Activate(X11WindowId window) {
    if (!Connect()) return false;
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window, &attributes) == 0 || trap.Failed()) return false;

    XMapRaised(display_, window);

    // What pagers send: window managers honour it more readily than a focus request.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // source: pager
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, attributes.root, False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);

    if (attributes.map_state == IsViewable) {
        XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    }
    XFlush(display_);
    return !trap.Failed();
}

}  // namespace qm
