// GBK text as the core keeps it: one 16-bit unit per character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::gbk {

// One character: lead * 256 + trail for a two-byte character, the byte value for a one-byte
// one. Every file the program reads is GBK, so the core compares and stores these units and
// converts to Unicode only where text leaves the program (the windows, the terminal).
using Char = char16_t;
using Text = std::u16string;

// The character's code as the dictionaries sort it: the GBK value read as a signed 16-bit
// number, so every two-byte character is negative and sorts before every one-byte character.
constexpr std::int16_t code(Char c) {
    return c > 0xFF ? static_cast<std::int16_t>(static_cast<std::uint16_t>(c))
                    : static_cast<std::int16_t>(c);
}

constexpr bool isTwoByte(Char c) {
    return c > 0xFF;
}

// Makes a caption the one character c, in place when it already holds one character.
inline void setChar(Text& text, Char c) {
    if (text.size() == 1)
        text[0] = c;
    else
        text.assign(1, c);
}

// A hanzi of GB 2312: lead byte 0xB0-0xF7, trail byte 0xA1-0xFE, less the five empty places at
// the end of area 55 (0xD7FA-0xD7FE). These 6,763 characters are the common set.
constexpr bool isGb2312Hanzi(Char c) {
    const unsigned lead = c >> 8;
    const unsigned trail = c & 0xFFu;
    if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE)
        return false;
    return !(lead == 0xD7 && trail >= 0xFA);
}

// Splits GBK bytes into characters. A byte from 0x81 up followed by another byte is one
// two-byte character; every other byte stands alone (so a lead byte at the very end is kept as
// a one-byte character rather than dropped).
Text decode(std::string_view bytes);

// The first character of GBK bytes; a space when there are none (a record that is not there).
constexpr Char firstChar(std::string_view bytes) {
    if (bytes.empty())
        return u' ';
    const auto b = static_cast<unsigned char>(bytes[0]);
    if (b >= 0x81 && bytes.size() > 1)
        return static_cast<Char>(b << 8 | static_cast<unsigned char>(bytes[1]));
    return b;
}

// The bytes of a text, two for a two-byte character and one for a one-byte one.
std::string encode(const Text& text);
void appendBytes(std::string& out, Char c);

// Removes trailing (or leading and trailing) ASCII spaces.
Text trimRight(Text text);
Text trim(Text text);

// Conversion between GBK and Unicode through the tables compiled in (core/text/gbktables.h).
// Pass one where text crosses into or out of the program.
class Codec {
public:
    // U+FFFD for a unit that GBK does not define.
    char32_t toUnicode(Char c) const;
    std::string toUtf8(std::u16string_view text) const;
    std::string toUtf8(std::string_view gbkBytes) const { return toUtf8(decode(gbkBytes)); }

    // The GBK character of a code point, or nothing when GBK has none.
    std::optional<Char> fromUnicode(char32_t cp) const;
    // Converts UTF-8 text; nothing when a code point has no GBK character or the UTF-8 is bad.
    std::optional<Text> fromUtf8(std::string_view utf8) const;

    // Decodes UTF-8 into code points; nothing when the bytes are not well-formed UTF-8.
    static std::optional<std::u32string> utf8ToCodePoints(std::string_view utf8);
    static void appendUtf8(std::string& out, char32_t cp);
};

} // namespace tovrin::gbk
