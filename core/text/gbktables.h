// GBK's mapping to Unicode and back, generated at build time by tools/mkgbk and compiled in.
#pragma once

#include <cstddef>

namespace tovrin::gbk::tables {

// Two-byte units: lead 0x81-0xFE, trail 0x40-0xFE; U+FFFD where GBK has no character.
inline constexpr std::size_t kLeads = 0xFE - 0x81 + 1;
inline constexpr std::size_t kTrails = 0xFE - 0x40 + 1;
extern const char32_t toUnicode[kLeads * kTrails];

// Every code point GBK has, sorted, with its (lowest) two-byte unit.
struct FromUnicode {
    char32_t codePoint;
    char16_t unit;
};
extern const FromUnicode fromUnicode[];
extern const std::size_t fromUnicodeCount;

} // namespace tovrin::gbk::tables
