// Values of freedesktop.org .desktop entries (autostart entries and launchers).
#pragma once

#include <string>
#include <string_view>

namespace tovrin::platform::desktopentry {

// One argument of an Exec value, quoted. The value is unescaped twice: first as a string value
// (a doubled backslash is one), then as a command line, where a quoted argument escapes the
// double quote, the backquote, the dollar sign and the backslash with a backslash. Percent signs
// start field codes, so a literal one is doubled. Quoting keeps spaces and every other reserved
// character (?, &, #, ...) inside the one argument; a newline, tab or carriage return is written
// as its string escape.
std::string execArgument(std::string_view argument);

// A plain string value (Name, TryExec): the backslash, the newline, the tab and the carriage
// return are written as the format's escapes.
std::string stringValue(std::string_view text);

} // namespace tovrin::platform::desktopentry
