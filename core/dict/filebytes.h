// A whole file as the program read it, or why there is none: what the core is handed in place
// of a file.
#pragma once

#include <string>
#include <utility>

namespace tovrin {

struct FileBytes {
    enum class Status { Ok, Missing, Unreadable } status = Status::Missing;
    std::string bytes;
    std::string path;   // where it was looked for, to name it to the user
    std::string reason; // why there are no bytes, for a log or a terminal

    static FileBytes of(std::string bytes, std::string path = {}) {
        return {Status::Ok, std::move(bytes), std::move(path), {}};
    }
};

} // namespace tovrin
