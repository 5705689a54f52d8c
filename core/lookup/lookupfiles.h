// The files the lookup state starts from. The core opens no file: the programs read the
// program's folder through the platform and hand the bytes over; tests, benchmarks and fuzzers
// hand bytes of their own.
#pragma once

#include "core/dict/filebytes.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tovrin {

struct LookupFiles {
    // The four dictionaries, by their file names. The pinyin dictionary is opened, and a
    // problem with it told, when the keyboard first opens.
    FileBytes strokes; // vezari.dat
    FileBytes phrases; // vezaricz.dat
    FileBytes codes;   // 单字GBK.dat
    FileBytes pinyin;  // vezariPY.dat
    // setup.txt as read; nothing when the state keeps no option file.
    std::optional<FileBytes> setup;
    // Writes setup.txt whole, "" when written (where there is an option file).
    std::function<std::string(std::string_view bytes)> writeSetup;
    // Whether a first start (no setup.txt) writes the defaults down, as the lookup window does;
    // a terminal tool writes it only once an option is changed.
    bool writeDefaults = true;
};

} // namespace tovrin
