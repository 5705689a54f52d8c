#include "platform/keystate.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <cstring>

namespace tovrin::platform {

namespace {

void setBit(std::array<unsigned char, 32>& map, int code, bool on) {
    if (code <= 0 || code >= 256)
        return;
    auto& byte = map[static_cast<std::size_t>(code / 8)];
    const auto bit = static_cast<unsigned char>(1u << (code % 8));
    byte = static_cast<unsigned char>(on ? byte | bit : byte & ~bit);
}

// Selects the raw key events of every master keyboard on the root window; false where the
// server has no XInput 2.1 (before it, raw events did not reach a client without a grab).
bool selectRawKeys(Display* d, int& opcode) {
    int event = 0, error = 0;
    if (!XQueryExtension(d, "XInputExtension", &opcode, &event, &error))
        return false;
    int major = 2, minor = 2;
    if (XIQueryVersion(d, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1))
        return false;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    if (XISelectEvents(d, DefaultRootWindow(d), &mask, 1) != Success)
        return false;
    XSync(d, False);
    return true;
}

} // namespace

KeyState::KeyState(bool open) {
    Display* d = open ? XOpenDisplay(nullptr) : nullptr;
    if (!d)
        return;
    display_ = d;
    fd_ = ConnectionNumber(d);
    auto map = [&](int vk, KeySym sym) { keycodes_[vk] = XKeysymToKeycode(d, sym); };
    map(27, XK_Escape);
    for (int i = 0; i < 12; ++i)
        map(112 + i, XK_F1 + static_cast<KeySym>(i));
    // TOVRIN_KEY_EVENTS=0 keeps to the poll, for an X server whose XInput2 sends no raw events
    // (some remote desktops); Xvfb cannot leave XInput out, so the tests use it too.
    const char* wanted = std::getenv("TOVRIN_KEY_EVENTS");
    events_ = !(wanted && std::strcmp(wanted, "0") == 0) && selectRawKeys(d, xinputOpcode_);
    if (events_) {
        // The events tell changes: a key already held at the start is taken from the keymap.
        char keys[32];
        XQueryKeymap(d, keys);
        std::memcpy(down_.data(), keys, down_.size());
    }
}

KeyState::~KeyState() {
    if (display_)
        XCloseDisplay(static_cast<Display*>(display_));
}

bool KeyState::takeEvents() {
    if (!events_)
        return false;
    auto* d = static_cast<Display*>(display_);
    bool wentDown = false;
    // XPending reads what the connection holds without waiting; each event is taken whole.
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xinputOpcode_ ||
            !XGetEventData(d, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const int code = static_cast<const XIRawEvent*>(cookie->data)->detail;
            const bool press = cookie->evtype == XI_RawKeyPress;
            setBit(down_, code, press);
            if (press) {
                setBit(pressed_, code, true);
                wentDown = true;
            }
        }
        XFreeEventData(d, cookie);
    }
    return wentDown;
}

void KeyState::read() {
    if (!display_)
        return;
    if (events_) {
        // While the ticks run, the keys' state is also asked for, so that a release the events
        // never told (the session switched away with a key down) cannot hold a key forever.
        // Events queued during that round trip are older than its answer: they only add presses.
        takeEvents();
        char keys[32];
        XQueryKeymap(static_cast<Display*>(display_), keys);
        std::memcpy(down_.data(), keys, down_.size());
        const KeyMap now = down_;
        takeEvents();
        down_ = now;
        for (std::size_t i = 0; i < map_.size(); ++i)
            map_[i] = static_cast<unsigned char>(down_[i] | pressed_[i]);
        pressed_ = {};
        return;
    }
    // XQueryKeymap answers for the whole display, so the poll sees keys pressed in any
    // application: one round trip to the server for all keys.
    char keys[32];
    XQueryKeymap(static_cast<Display*>(display_), keys);
    std::memcpy(map_.data(), keys, map_.size());
}

bool KeyState::keyDown(int virtualKey) const {
    if (virtualKey <= 0 || virtualKey >= 256)
        return false;
    const int code = keycodes_[static_cast<std::size_t>(virtualKey)];
    if (code <= 0)
        return false;
    return (map_[static_cast<std::size_t>(code / 8)] >> (code % 8)) & 1;
}

bool waylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return (type && std::strcmp(type, "wayland") == 0) || (display && *display);
}

} // namespace tovrin::platform
