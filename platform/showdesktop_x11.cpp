#include "platform/showdesktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

namespace tovrin::platform {

namespace {

// A connection for one request. Natively on Wayland the X server is Xwayland, which may go away
// at any moment: a lost connection then fails the request instead of ending the program, as
// Xlib's default would.
Display* openDisplay() {
    Display* d = XOpenDisplay(nullptr);
    if (d)
        XSetIOErrorExitHandler(
            d, [](Display*, void*) {}, nullptr);
    return d;
}

// A window's property that holds a list of atoms (_NET_SUPPORTED, _NET_WM_STATE); empty when
// it has none.
std::vector<Atom> atomList(Display* d, Window window, Atom property) {
    std::vector<Atom> list;
    Atom type;
    int format;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, property, 0, 4096, False, XA_ATOM, &type, &format, &count,
                           &rest, &data) == Success &&
        data) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        list.assign(atoms, atoms + count);
        XFree(data);
    }
    return list;
}

void setAtomList(Display* d, Window window, Atom property, const std::vector<Atom>& list) {
    XChangeProperty(d, window, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(list.data()),
                    static_cast<int>(list.size()));
}

} // namespace

bool toggleShowDesktop() {
    Display* d = openDisplay();
    if (!d)
        return false;
    const Window root = DefaultRootWindow(d);
    const Atom showing = XInternAtom(d, "_NET_SHOWING_DESKTOP", False);
    const Atom supported = XInternAtom(d, "_NET_SUPPORTED", False);

    // Only a window manager that lists the atom as supported acts on the request.
    const std::vector<Atom> listed = atomList(d, root, supported);
    const bool isSupported = std::find(listed.begin(), listed.end(), showing) != listed.end();
    Atom type;
    int format;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    long current = 0;
    if (XGetWindowProperty(d, root, showing, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &rest, &data) == Success &&
        data) {
        if (count == 1)
            current = *reinterpret_cast<const long*>(data);
        XFree(data);
    }
    if (isSupported) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = root;
        e.xclient.message_type = showing;
        e.xclient.format = 32;
        e.xclient.data.l[0] = current ? 0 : 1;
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(d);
    }
    XCloseDisplay(d);
    return isSupported;
}

bool bringBack(unsigned long window) {
    Display* d = openDisplay();
    if (!d)
        return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2; // a direct user action: the hot key, the tray, the chart's link
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
    XFlush(d);
    XCloseDisplay(d);
    return true;
}

namespace {
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}
} // namespace

bool mapNormal(unsigned long window) {
    Display* d = openDisplay();
    if (!d)
        return false;
    // A window that is gone, or an id that names no X window, must not end the program, as
    // Xlib's own handler would.
    const XErrorHandler previous = XSetErrorHandler(ignoreError);
    if (XWMHints* hints = XGetWMHints(d, window)) {
        hints->flags |= StateHint;
        hints->initial_state = NormalState;
        XSetWMHints(d, window, hints);
        XFree(hints);
    }
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    const Atom hidden = XInternAtom(d, "_NET_WM_STATE_HIDDEN", False);
    std::vector<Atom> kept = atomList(d, window, state);
    if (std::erase(kept, hidden) != 0)
        setAtomList(d, window, state, kept);
    // Done before the program's own connection maps the window.
    XSync(d, False);
    XSetErrorHandler(previous);
    XCloseDisplay(d);
    return true;
}

bool keepShownWhenInactive(unsigned long window) {
    Display* d = openDisplay();
    if (!d)
        return false;
    const XErrorHandler previous = XSetErrorHandler(ignoreError);
    setAtomList(d, window, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False),
                {XInternAtom(d, "_NET_WM_WINDOW_TYPE_NORMAL", False)});
    // The window manager clears the state when the window is withdrawn: it is given again
    // before each map, with what Qt put there.
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    std::vector<Atom> wanted = {XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False),
                                XInternAtom(d, "_NET_WM_STATE_SKIP_PAGER", False)};
    for (const Atom a : atomList(d, window, state))
        if (a != wanted[0] && a != wanted[1])
            wanted.push_back(a);
    setAtomList(d, window, state, wanted);
    XSync(d, False);
    XSetErrorHandler(previous);
    XCloseDisplay(d);
    return true;
}

} // namespace tovrin::platform
