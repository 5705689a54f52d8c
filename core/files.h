// The files the lookup state reads and writes beyond itself. The core opens no file: the
// programs hand it the platform's reads of the program's folder, and tests, benchmarks and
// fuzzers hand it bytes of their own.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tovrin {

// A whole file as read, or why there is none.
struct FileBytes {
    enum class Status { Ok, Missing, Unreadable } status = Status::Missing;
    std::string bytes;
    std::string path;   // where it was looked for, to name it to the user
    std::string reason; // why there are no bytes, for a log or a terminal
};

struct LookupFiles {
    // A dictionary of the program's folder, by its file name.
    std::function<FileBytes(std::string_view name)> dictionary;
    // setup.txt, read, and written whole ("" when written). Without them the state keeps no
    // option file.
    std::function<FileBytes()> readSetup;
    std::function<std::string(std::string_view bytes)> writeSetup;
    // Whether a first start (no setup.txt) writes the defaults down, as the lookup window does;
    // a terminal tool writes it only once an option is changed.
    bool writeDefaults = true;
};

} // namespace tovrin
