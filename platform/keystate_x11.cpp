#include "platform/keystate.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace tovrin::platform {

KeyState::KeyState() {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return;
    display_ = d;
    auto map = [&](int vk, KeySym sym) { keycodes_[vk] = XKeysymToKeycode(d, sym); };
    map(27, XK_Escape);
    for (int i = 0; i < 12; ++i)
        map(112 + i, XK_F1 + static_cast<KeySym>(i));
}

KeyState::~KeyState() {
    if (display_)
        XCloseDisplay(static_cast<Display*>(display_));
}

void KeyState::read() {
    if (!display_)
        return;
    // XQueryKeymap answers for the whole display, so the poll sees keys pressed in any
    // application: one round trip to the server for all keys.
    char keys[32];
    XQueryKeymap(static_cast<Display*>(display_), keys);
    for (int i = 0; i < 32; ++i)
        map_[static_cast<std::size_t>(i)] = static_cast<unsigned char>(keys[i]);
}

bool KeyState::keyDown(int virtualKey) const {
    if (virtualKey <= 0 || virtualKey >= 256)
        return false;
    const int code = keycodes_[static_cast<std::size_t>(virtualKey)];
    if (code <= 0)
        return false;
    return (map_[static_cast<std::size_t>(code / 8)] >> (code % 8)) & 1;
}

} // namespace tovrin::platform
