// Numbers written as text, the way the lookup window's captions hold them.
#pragma once

#include <cstdint>
#include <string_view>

namespace tovrin {

// The number a text begins with: leading spaces, an optional sign, then digits; 0 when there is
// none ("1601" 1601, "-31-96" -31, "16-96" 16, "" 0, "Label69" 0). The text may be bytes or
// 16-bit units; only ASCII takes part.
template <class CharT> constexpr std::int64_t leadingNumber(std::basic_string_view<CharT> text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == CharT(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == CharT('-') || text[i] == CharT('+')))
        negative = text[i++] == CharT('-');
    std::int64_t v = 0;
    for (;
         i < text.size() && text[i] >= CharT('0') && text[i] <= CharT('9') && v < 1'000'000'000'000;
         ++i)
        v = v * 10 + (text[i] - CharT('0'));
    return negative ? -v : v;
}

constexpr std::int64_t leadingNumber(std::string_view text) {
    return leadingNumber<char>(text);
}

constexpr std::int64_t leadingNumber(std::u16string_view text) {
    return leadingNumber<char16_t>(text);
}

} // namespace tovrin
