// An X client that takes the primary selection and never answers a request for it, as a hung or
// hostile program would. Prints "owner" once it holds it, then waits until it is killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdio>

int main() {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return 1;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, XA_PRIMARY, w, CurrentTime);
    XSync(d, False);
    if (XGetSelectionOwner(d, XA_PRIMARY) != w)
        return 1;
    std::puts("owner");
    std::fflush(stdout);
    for (;;)
        pause();
}
