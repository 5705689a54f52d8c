// Values of freedesktop.org .desktop entries (autostart entries and launchers).
#pragma once

#include <string>
#include <string_view>

namespace tovrin::platform::desktopentry {

// One argument of an Exec value, quoted. The value is unescaped twice: first as a string value
// (a doubled backslash is one), then as a command line, where a quoted argument escapes the
// double quote, the backquote, the dollar sign and the backslash with a backslash. Percent signs
// start field codes, so a literal one is doubled. Quoting keeps spaces and every other reserved
// character (?, &, #, ...) inside the one argument.
std::string execArgument(std::string_view argument);

// A plain string value (Name, TryExec): only the backslash needs escaping.
std::string stringValue(std::string_view text);

} // namespace tovrin::platform::desktopentry
