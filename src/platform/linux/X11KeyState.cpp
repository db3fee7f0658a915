#include "platform/linux/X11KeyState.h"

#include <QSocketNotifier>
#include <algorithm>

// Xlib's macros (Status, Bool, ...) clash with Qt's headers: Xlib comes last.
#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace qm {

std::vector<unsigned long> KeysymsForVirtualKey(int vk) {
    if (vk >= 'A' && vk <= 'Z') return {static_cast<unsigned long>(XK_a + (vk - 'A'))};
    if (vk >= '0' && vk <= '9') return {static_cast<unsigned long>(XK_0 + (vk - '0'))};
    if (vk >= 96 && vk <= 105) return {static_cast<unsigned long>(XK_KP_0 + (vk - 96))};
    if (vk >= 112 && vk <= 135) return {static_cast<unsigned long>(XK_F1 + (vk - 112))};
    switch (vk) {
        case 8:
            return {XK_BackSpace};
        case 9:
            return {XK_Tab, XK_ISO_Left_Tab};
        case 12:
            return {XK_Clear, XK_KP_Begin};
        case 13:
            return {XK_Return, XK_KP_Enter};
        case 16:
            return {XK_Shift_L, XK_Shift_R};
        case 17:
            return {XK_Control_L, XK_Control_R};
        case 18:
            return {XK_Alt_L, XK_Alt_R};
        case 19:
            return {XK_Pause};
        case 20:
            return {XK_Caps_Lock};
        case 21:
            return {XK_Hiragana_Katakana};
        case 25:
            return {XK_Kanji};
        case 27:
            return {XK_Escape};
        case 28:
            return {XK_Henkan};
        case 29:
            return {XK_Muhenkan};
        case 32:
            return {XK_space};
        case 33:
            return {XK_Prior, XK_KP_Prior};
        case 34:
            return {XK_Next, XK_KP_Next};
        case 35:
            return {XK_End, XK_KP_End};
        case 36:
            return {XK_Home, XK_KP_Home};
        case 37:
            return {XK_Left, XK_KP_Left};
        case 38:
            return {XK_Up, XK_KP_Up};
        case 39:
            return {XK_Right, XK_KP_Right};
        case 40:
            return {XK_Down, XK_KP_Down};
        case 41:
            return {XK_Select};
        case 43:
            return {XK_Execute};
        case 44:
            return {XK_Print, XK_Sys_Req};
        case 45:
            return {XK_Insert, XK_KP_Insert};
        case 46:
            return {XK_Delete, XK_KP_Delete};
        case 47:
            return {XK_Help};
        case 91:
            return {XK_Super_L};
        case 92:
            return {XK_Super_R};
        case 93:
            return {XK_Menu};
        case 95:
            return {XF86XK_Sleep};
        case 106:
            return {XK_KP_Multiply};
        case 107:
            return {XK_KP_Add};
        case 108:
            return {XK_KP_Separator};
        case 109:
            return {XK_KP_Subtract};
        case 110:
            return {XK_KP_Decimal};
        case 111:
            return {XK_KP_Divide};
        case 144:
            return {XK_Num_Lock};
        case 145:
            return {XK_Scroll_Lock};
        case 160:
            return {XK_Shift_L};
        case 161:
            return {XK_Shift_R};
        case 162:
            return {XK_Control_L};
        case 163:
            return {XK_Control_R};
        case 164:
            return {XK_Alt_L};
        case 165:
            return {XK_Alt_R, XK_ISO_Level3_Shift};
        case 166:
            return {XF86XK_Back};
        case 167:
            return {XF86XK_Forward};
        case 168:
            return {XF86XK_Refresh};
        case 169:
            return {XF86XK_Stop};
        case 170:
            return {XF86XK_Search};
        case 171:
            return {XF86XK_Favorites};
        case 172:
            return {XF86XK_HomePage};
        case 173:
            return {XF86XK_AudioMute};
        case 174:
            return {XF86XK_AudioLowerVolume};
        case 175:
            return {XF86XK_AudioRaiseVolume};
        case 176:
            return {XF86XK_AudioNext};
        case 177:
            return {XF86XK_AudioPrev};
        case 178:
            return {XF86XK_AudioStop};
        case 179:
            return {XF86XK_AudioPlay};
        case 180:
            return {XF86XK_Mail};
        case 186:
            return {XK_semicolon};
        case 187:
            return {XK_equal};
        case 188:
            return {XK_comma};
        case 189:
            return {XK_minus};
        case 190:
            return {XK_period};
        case 191:
            return {XK_slash};
        case 192:
            return {XK_grave};
        case 219:
            return {XK_bracketleft};
        case 220:
            return {XK_backslash};
        case 221:
            return {XK_bracketright};
        case 222:
            return {XK_apostrophe};
        case 226:
            return {XK_less};
        case 240:
            return {XK_Eisu_toggle};
        case 243:
        case 244:
            return {XK_Zenkaku_Hankaku};
        default:
            return {};
    }
}

X11KeyState::X11KeyState() : display_(XOpenDisplay(nullptr)) {
    if (display_) ListenForRawPresses();
}

X11KeyState::~X11KeyState() {
    notifier_.reset();
    if (display_) XCloseDisplay(display_);
}

void X11KeyState::ListenForRawPresses() {
    int event = 0, error = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error)) {
        xiOpcode_ = -1;
        return;
    }
    // Raw events reach the root window whichever window has the focus and even while
    // another client grabs the keyboard (the game in full screen) from version 2.1 on.
    int major = 2, minor = 2;
    if (XIQueryVersion(display_, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 1)) {
        xiOpcode_ = -1;
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{};
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XFlush(display_);

    notifier_ =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { TakeEvents(); });
}

void X11KeyState::TakeEvents() {
    if (xiOpcode_ < 0) return;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != xiOpcode_) continue;
        if (!XGetEventData(display_, &cookie)) continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
        if (cookie.evtype == XI_RawKeyPress) {
            // A key held down repeats; only the first press is a press.
            if ((raw->flags & XIKeyRepeat) == 0 && raw->detail >= 0 && raw->detail < 256)
                keyPressedAt_[std::size_t(raw->detail)] = ++pressCount_;
        } else if (cookie.evtype == XI_RawButtonPress) {
            if (raw->detail >= 0 && raw->detail < 8)
                buttonPressedAt_[std::size_t(raw->detail)] = ++pressCount_;
        }
        XFreeEventData(display_, &cookie);
    }
}

bool X11KeyState::PressedSinceLastQuery(int vk, const std::vector<unsigned char>& keycodes) {
    uint64_t latest = 0;
    for (unsigned char code : keycodes) latest = std::max(latest, keyPressedAt_[code]);
    if (vk == 1 || vk == 2 || vk == 4) {
        const int button = vk == 1 ? 1 : vk == 2 ? 3 : 2;
        latest = std::max(latest, buttonPressedAt_[std::size_t(button)]);
    }
    uint64_t& queried = queriedAt_[std::size_t(vk)];
    const bool pressed = latest > queried;
    queried = pressCount_;
    return pressed;
}

int16_t X11KeyState::GetAsyncKeyState(int vk) {
    constexpr int16_t kDown = static_cast<int16_t>(0x8000);
    if (!display_ || vk < 0 || vk > 255) return 0;

    if (vk == 1 || vk == 2 || vk == 4) {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int mask = 0;
        XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y,
                      &mask);
        TakeEvents();  // the reply came after every event sent before it
        const unsigned int button = vk == 1 ? Button1Mask : vk == 2 ? Button3Mask : Button2Mask;
        int16_t state = (mask & button) ? kDown : int16_t{0};
        if (PressedSinceLastQuery(vk, {})) state = static_cast<int16_t>(state | 1);
        return state;
    }

    const std::vector<unsigned long> keysyms = KeysymsForVirtualKey(vk);
    if (keysyms.empty()) return 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - keymapTime_ > std::chrono::milliseconds(5)) {
        XQueryKeymap(display_, keymap_.data());
        keymapTime_ = now;
        TakeEvents();
    }
    std::vector<unsigned char> keycodes;
    int16_t state = 0;
    for (unsigned long keysym : keysyms) {
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        if (code == 0) continue;
        keycodes.push_back(code);
        if ((keymap_[code / 8] & (1 << (code % 8))) != 0) state = kDown;
    }
    if (PressedSinceLastQuery(vk, keycodes)) state = static_cast<int16_t>(state | 1);
    return state;
}

}  // namespace qm
