// Showing the desktop: every window out of the way, or back again.
#pragma once

namespace tovrin::platform {

// Toggles the desktop's "showing the desktop" mode (on X11 the window manager's
// _NET_SHOWING_DESKTOP). False when there is no X display or no window manager that supports it.
bool toggleShowDesktop();

// Asks the window manager to show a window of the program and give it the focus, as a taskbar
// does when the user picks it (on X11 _NET_ACTIVE_WINDOW from a direct user action). That
// brings it back from a shown desktop, where a request of the program itself is not heard.
// False when there is no X display.
bool bringBack(unsigned long window);

// Readies a hidden window that was minimised to be mapped in its normal state: its WM_HINTS
// initial state Normal and no _NET_WM_STATE_HIDDEN. Qt, leaving the minimised state, maps the
// window first and changes its hints after; a window manager that reads them in between takes
// the window as minimised and unmaps it again. False when there is no X display.
bool mapNormal(unsigned long window);

// Readies a hidden always-on-top window without a taskbar button to stay shown while another
// program is active: a normal window that skips the taskbar and the pager, where Qt's tool
// window is a utility window that KDE's window manager hides along with its inactive program.
// To be called before each map. False when there is no X display.
bool keepShownWhenInactive(unsigned long window);

} // namespace tovrin::platform
