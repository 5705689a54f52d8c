#include "core/settings/setupfile.h"

namespace tovrin {

LookupOptions parseSetup(std::string_view content) {
    // The first item: leading blanks skipped; a quoted item ends at its closing quote, any
    // other at a comma or the end of the line.
    std::size_t i = 0;
    while (i < content.size() && (content[i] == ' ' || content[i] == '\t'))
        ++i;
    std::string_view item;
    if (i < content.size() && content[i] == '"') {
        const std::size_t end = content.find('"', i + 1);
        item = content.substr(i + 1, end == std::string_view::npos ? end : end - i - 1);
    } else {
        const std::size_t end = content.find_first_of(",\r\n", i);
        item = content.substr(i, end == std::string_view::npos ? end : end - i);
    }
    auto digit = [&item](std::size_t k) -> std::uint8_t {
        if (k >= item.size() || item[k] < '0' || item[k] > '9')
            return 0;
        return static_cast<std::uint8_t>(item[k] - '0');
    };
    return {digit(0), digit(1), digit(2)};
}

std::string formatSetup(const LookupOptions& o) {
    std::string out;
    for (std::uint8_t v : {o.showAll, o.winPos, o.sizeMode})
        out += static_cast<char>('0' + (v % 10));
    return out + "\r\n";
}

} // namespace tovrin
