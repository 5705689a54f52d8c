// set.txt: the chart window's picture and its two hot keys, one line of five characters and
// CR LF: the chart (1-3), then the chart window's and the lookup window's F-key as "01".."12".
#pragma once

#include "core/dict/filebytes.h"

#include <string>
#include <string_view>

namespace tovrin::settings {

constexpr std::string_view kSetFileName = "set.txt";

// The line shipped beside the program, and the one that holds without a readable set.txt:
// chart 1, F1 calls up the chart window and F2 the lookup window.
constexpr std::string_view kDefaultLine = "10102";

// Virtual-key codes: F1 is 112 and F12 is 123; ESC is 27.
constexpr int kF1 = 112;
constexpr int kF12 = 123;
constexpr int kEscape = 27;

// What a line sets; 0 where it sets nothing (that choice stays as it was).
struct SetLine {
    int chart = 0;     // 1, 2 or 3: J1.bmp, J2.bmp, J3.bmp
    int chartKey = 0;  // 112..123
    int lookupKey = 0; // 112..123
    bool operator==(const SetLine&) const = default;
};

// The first line of a file's text, without its line end.
std::string_view firstLine(std::string_view content);

// The line of set.txt as read: its first line, or kDefaultLine when it could not be read.
std::string lineOf(const FileBytes& file);

// The file's text for a line: the line and CR LF.
std::string fileText(std::string_view line);

// Reads a line: its first character picks the chart, characters 2-3 and 4-5 the two keys when
// they are one of "01".."12". Anything else, or a line too short, sets nothing there.
SetLine parseSetLine(std::string_view line);

// The two digits of an F-key's name, "F1" -> "01" ... "F12" -> "12"; "" for any other text.
std::string keyDigits(std::string_view keyName);

// The name of a key code, 112 -> "F1"; "" for a code that is no F-key.
std::string keyName(int code);

// The line the settings dialog writes: the chart's digit, then the digits of each combo box's
// text; "" when the choice cannot be stored: a chart other than 1-3, or a text that is no F-key
// name ("F13", "f1", "F7x"), so that a line always reads back as the choice.
std::string buildSetLine(int chart, std::string_view chartKeyText, std::string_view lookupKeyText);

} // namespace tovrin::settings
