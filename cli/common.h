// What the commands of tovrin-lookup share: their exit statuses and the usage error.
#pragma once

#include "core/dict/recordfile.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tovrin::cli {

// Exit statuses: each kind of failure has its own.
constexpr int kDone = 0;
constexpr int kNotFound = 1; // a character had no code; an item is not in the deck
constexpr int kUsage = 2;
constexpr int kUnusable = 3; // a file the command needs (a dictionary, the deck) is unusable
constexpr int kSystem = 4;   // writing the output failed, or memory ran out

// Tells the problem and the usage text on standard error; returns kUsage.
int usage(std::string_view problem);

// Opens a dictionary the command needs from `folder`; false (with a message naming the file)
// when it is missing, unreadable or holds no record.
bool openDictionary(const std::string& folder, std::string_view name, std::size_t length,
                    RecordFile& out);

} // namespace tovrin::cli
