// Launchers that open a web address in the default browser: freedesktop desktop entries on the
// user's desktop and in the applications menu.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovrin::platform {

// Writes a launcher for `url` (http or https) into each of these folders, in this order, each
// step going on when an earlier one failed:
//   1. the desktop: XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else $HOME/Desktop;
//   2. $HOME/桌面, when that folder exists and is not the desktop of step 1;
//   3. the applications menu, $XDG_DATA_HOME/applications (created when missing).
// A desktop folder that does not exist is not created. The launcher runs `xdg-open url`; it is
// named after the address's host (Name=host, file host.desktop), so it claims to be nothing
// else. Returns the files made, in the order above; none when `url` has no usable host.
std::vector<std::string> createWebLaunchers(std::string_view url);

// The folders of the steps above, read from the environment at each call; "" where there is
// none (no home folder, or a desktop that user-dirs.dirs disables by pointing it at $HOME).
std::string desktopFolder();
std::string chineseDesktopFolder(); // whether or not it exists
std::string applicationsFolder();

// The host of an http or https address, lower-case letters, digits, '-' and '.' only; "" when
// the address is anything else.
std::string webHost(std::string_view url);

// The text of a desktop entry that opens `url` (already checked by webHost) in the browser.
std::string webLauncherEntry(std::string_view url, std::string_view host);

} // namespace tovrin::platform
