// A desktop panel for the tests: a dock window along the bottom of the screen that keeps its
// height for itself (_NET_WM_STRUT_PARTIAL), as a taskbar does; the window manager then takes it
// out of the work area. Runs until it is killed.
// Usage: test_panel HEIGHT
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    const int height = argc == 2 ? std::atoi(argv[1]) : 0;
    Display* d = XOpenDisplay(nullptr);
    if (!d || height <= 0) {
        std::fprintf(stderr, "usage: test_panel HEIGHT, with an X display\n");
        return 2;
    }
    const int screen = DefaultScreen(d);
    const int width = DisplayWidth(d, screen);
    const Window w = XCreateSimpleWindow(
        d, RootWindow(d, screen), 0, DisplayHeight(d, screen) - height,
        static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0, 0x808080);
    const Atom dock = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&dock), 1);
    // left, right, top, bottom, then the start and end of each edge's stretch.
    const long strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1};
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 12);
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STRUT", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(strut), 4);
    XStoreName(d, w, "test panel");
    XMapWindow(d, w);
    XSync(d, False);
    for (;;)
        pause();
}
