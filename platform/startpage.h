// The browser start page that the promotion reads and writes: a small key-value file,
// $XDG_CONFIG_HOME/tovrin/startpage.txt, holding one line "start-page=<address>".
#pragma once

#include <string>
#include <string_view>

namespace tovrin::platform {

class StartPageStore {
public:
    // The stored address; "" when there is none, or the file is missing or unreadable.
    std::string read() const;

    // Stores `address`, keeping any other keys of the file, whole or not at all (the folder is
    // created). False when it could not be written, or `address` holds a line break.
    bool write(const std::string& address);

    // Where the file lives, read from the environment at each call; "" without a home folder.
    std::string filePath() const;
};

} // namespace tovrin::platform
