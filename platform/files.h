// Reading and writing whole files: the one reader the program's files go through, and the one
// writer, which never leaves a file empty or half-written (the old file stays until the new one
// is complete).
#pragma once

#include "core/dict/filebytes.h"

#include <cstddef>

#include <string>
#include <string_view>

namespace tovrin::platform {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and renames it over
// `path`. On failure the temporary file is removed, `path` is left as it was, and the result
// says what went wrong; "" means written.
std::string writeFileAtomically(const std::string& path, std::string_view bytes);

// Writes all of `bytes` to the open file `fd`, going on after interrupted and short writes;
// false when a write fails (errno says why).
bool writeAll(int fd, std::string_view bytes);

// Reads at most `limit` bytes of a small text file (an option file is one short line; the rest
// of a huge or binary file is never needed).
FileBytes readSmallFile(const std::string& path, std::size_t limit = 4096);

// The largest dictionary the program takes; the real ones are under 1 MB each.
constexpr std::size_t kLargestDictionary = 64u << 20;

// Reads a whole file. Anything that is not a regular file (a folder, a named pipe, a device) is
// refused without blocking, and so is a file larger than `limit`.
FileBytes readWholeFile(const std::string& path, std::size_t limit = kLargestDictionary);

} // namespace tovrin::platform
