// Starting the program with the user's session: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/Tovrin.desktop, that the session starts at log-in.
#pragma once

#include <string>

namespace tovrin::platform {

class Autostart {
public:
    // Writes the entry, whole or not at all, so the session starts `programPath` (an absolute
    // path) at log-in. False when the entry could not be written, or the path cannot be
    // written in one: not absolute, not UTF-8, or holding control characters.
    bool enable(const std::string& programPath);

    // Removes the entry. An entry that is not there counts as removed.
    bool disable();

    // Whether the entry is there, so that the session starts the program at log-in.
    bool enabled() const;

    // Where the entry lives, read from the environment at each call; "" without a home folder.
    std::string entryPath() const;
};

} // namespace tovrin::platform
