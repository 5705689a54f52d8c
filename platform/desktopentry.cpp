#include "platform/desktopentry.h"

namespace tovrin::platform::desktopentry {

namespace {

// A character of a string value: the backslash and the control characters the format can
// escape are written as their escapes.
void appendEscaped(std::string& value, char c) {
    switch (c) {
    case '\\':
        value += "\\\\";
        break;
    case '\n':
        value += "\\n";
        break;
    case '\t':
        value += "\\t";
        break;
    case '\r':
        value += "\\r";
        break;
    default:
        value += c;
    }
}

} // namespace

std::string execArgument(std::string_view argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        if (c == '%')
            value += "%%";
        else
            appendEscaped(value, c);
    }
    return value;
}

std::string stringValue(std::string_view text) {
    std::string value;
    for (const char c : text)
        appendEscaped(value, c);
    return value;
}

} // namespace tovrin::platform::desktopentry
