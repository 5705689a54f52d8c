// Writing a whole small file so that a crash, a full disk or a failed write never leaves it
// empty or half-written: the old file stays until the new one is complete.
#pragma once

#include <string>
#include <string_view>

namespace tovrin {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and renames it over
// `path`. On failure the temporary file is removed, `path` is left as it was, and the result
// says what went wrong; "" means written.
std::string writeFileAtomically(const std::string& path, std::string_view bytes);

// Writes all of `bytes` to the open file `fd`, going on after interrupted and short writes;
// false when a write fails (errno says why).
bool writeAll(int fd, std::string_view bytes);

// What a read found: the bytes, or why there are none.
struct FileRead {
    enum class Status { Ok, Missing, Unreadable } status = Status::Missing;
    std::string bytes;
    std::string reason;
};

// Reads at most `limit` bytes of a small text file (an option file is one short line; the rest
// of a huge or binary file is never needed).
FileRead readSmallFile(const std::string& path, std::size_t limit = 4096);

} // namespace tovrin
