// Where the program's own files are.
#pragma once

#include <string>

namespace tovrin::platform {

// The folder that holds the running executable, without a trailing slash; "." when the system
// cannot tell.
std::string programFolder();

// Where setup.txt and set.txt live: the program's folder when a file can be created there (a
// portable copy keeps its options with it) and it is no installed copy's data folder, however
// named, otherwise $XDG_CONFIG_HOME/tovrin (created).
std::string settingsFolder(const std::string& programFolder);

// The folders a program finds its files in. The dictionaries and pictures stand beside the
// program (the build tree, a portable copy), or, for an installed copy, in ../share/tovrin
// beside it; an installed copy keeps its options in $XDG_CONFIG_HOME/tovrin and never writes
// under its prefix.
struct ProgramFolders {
    std::string data;
    bool installed = false;
};
ProgramFolders programFolders(const std::string& programFolder);

// Where setup.txt and set.txt live for those folders: $XDG_CONFIG_HOME/tovrin for an installed
// copy, settingsFolder(data) for one beside its data.
std::string settingsFolder(const ProgramFolders& folders);

// An XDG base folder: the variable when it holds an absolute path, else `underHome` in $HOME;
// "" when neither is known.
std::string xdgFolder(const char* variable, const char* underHome);

// The user's configuration folder, $XDG_CONFIG_HOME or ~/.config; "" when neither is known.
std::string configFolder();

// `folder` joined with `name` by exactly one slash.
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace tovrin::platform
