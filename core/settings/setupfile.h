// setup.txt: the lookup window's three options as one line of three digits and CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovrin {

struct LookupOptions {
    std::uint8_t showAll = 0;  // first digit: 0 common characters first, otherwise all GBK
    std::uint8_t winPos = 0;   // second digit: 0 bottom right, 1 bottom centre, 2 centre
    std::uint8_t sizeMode = 0; // third digit: candidate size 0..4
    bool operator==(const LookupOptions&) const = default;
};

constexpr std::string_view kSetupFileName = "setup.txt";

// Reads the first item of the file (the line up to the first comma or line end) and takes its
// first three characters one by one: a digit gives its value, anything else or nothing gives 0.
LookupOptions parseSetup(std::string_view content);

// The line written: the three values as digits, then CR LF.
std::string formatSetup(const LookupOptions& options);

} // namespace tovrin
