// toggleShowDesktop against a stand-in window manager on a real X server: the request goes to
// the root window as the window manager's protocol wants, turning the mode on when it is off
// and off when it is on, and nothing is sent where no window manager supports it. mapNormal
// makes a minimised window's hints normal, and survives a window that is gone.
// Run under Xvfb (showdesktop_test.sh).
#include "platform/showdesktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

using tovrin::platform::mapNormal;
using tovrin::platform::toggleShowDesktop;

namespace {

int failures = 0;
int passes = 0;

void check(bool ok, const char* what) {
    if (ok) {
        ++passes;
    } else {
        ++failures;
        std::printf("FAIL %s\n", what);
    }
}

// The next _NET_SHOWING_DESKTOP request that reaches the root window, or -1 when none came.
long nextRequest(Display* d, Atom showing) {
    XSync(d, False);
    while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == ClientMessage && e.xclient.message_type == showing)
            return e.xclient.data.l[0];
    }
    return -1;
}

} // namespace

int main() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::printf("FAIL no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(d);
    const Atom supported = XInternAtom(d, "_NET_SUPPORTED", False);
    const Atom showing = XInternAtom(d, "_NET_SHOWING_DESKTOP", False);

    // No window manager that supports the mode: nothing is asked, and the caller hears so.
    check(!toggleShowDesktop(), "without support the toggle reports false");

    // Become the window manager: own substructure redirection on the root, list the mode.
    XSelectInput(d, root, SubstructureRedirectMask | SubstructureNotifyMask);
    XChangeProperty(d, root, supported, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&showing), 1);
    long off = 0;
    XChangeProperty(d, root, showing, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&off), 1);
    XSync(d, False);

    check(toggleShowDesktop(), "with support the toggle reports true");
    check(nextRequest(d, showing) == 1, "off: the request turns the mode on");

    long on = 1;
    XChangeProperty(d, root, showing, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&on), 1);
    XSync(d, False);
    check(toggleShowDesktop(), "with support the toggle reports true again");
    check(nextRequest(d, showing) == 0, "on: the request turns the mode off");

    // A window minimised and withdrawn, as Qt leaves it: its hints say iconic.
    const Window w = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XWMHints iconic{};
    iconic.flags = StateHint;
    iconic.initial_state = IconicState;
    XSetWMHints(d, w, &iconic);
    XSync(d, False);
    check(mapNormal(w), "mapNormal reaches the display");
    XWMHints* hints = XGetWMHints(d, w);
    check(hints && (hints->flags & StateHint) && hints->initial_state == NormalState,
          "the window's hints say normal");
    XFree(hints);
    XDestroyWindow(d, w);
    XSync(d, False);
    check(mapNormal(w), "a window that is gone ends nothing"); // Xlib's handler would exit

    XCloseDisplay(d);
    std::printf("%d passed, %d failed\n", passes, failures);
    return failures == 0 ? 0 : 1;
}
