// Showing the desktop: every window out of the way, or back again.
#pragma once

namespace tovrin::platform {

// Toggles the desktop's "showing the desktop" mode (on X11 the window manager's
// _NET_SHOWING_DESKTOP). False when there is no X display or no window manager that supports it.
bool toggleShowDesktop();

} // namespace tovrin::platform
