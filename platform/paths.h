// Where the program's own files are.
#pragma once

#include <string>

namespace tovrin::platform {

// The folder that holds the running executable, without a trailing slash; "." when the system
// cannot tell.
std::string programFolder();

// Where setup.txt and set.txt live: the program's folder when a file can be created there (a
// portable copy keeps its options with it), otherwise $XDG_CONFIG_HOME/tovrin (created).
std::string settingsFolder(const std::string& programFolder);

// An XDG base folder: the variable when it holds an absolute path, else `underHome` in $HOME;
// "" when neither is known.
std::string xdgFolder(const char* variable, const char* underHome);

// The user's configuration folder, $XDG_CONFIG_HOME or ~/.config; "" when neither is known.
std::string configFolder();

// `folder` joined with `name` by exactly one slash.
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace tovrin::platform
