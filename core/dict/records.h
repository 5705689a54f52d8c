// The four dictionaries' record layouts, shared by the readers and by mkdict.
//
// Text fields are GBK followed by ASCII spaces up to their width. Multi-byte numbers are
// little-endian. A record read from a short (partial) or missing place reads as blanks: its text
// fields are spaces and its numbers 0.
#pragma once

#include "core/text/gbk.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tovrin {

// Reads `width` bytes at `offset` of a raw record, padding with spaces where it is short.
template <std::size_t Width>
std::array<char, Width> readField(std::string_view raw, std::size_t offset) {
    std::array<char, Width> field;
    if (offset + Width <= raw.size()) {
        std::memcpy(field.data(), raw.data() + offset, Width);
        return field;
    }
    field.fill(' ');
    for (std::size_t i = 0; i < Width && offset + i < raw.size(); ++i)
        field[i] = raw[offset + i];
    return field;
}

// Writes `text` into `width` bytes at `out`, padding with spaces; false when it does not fit.
bool writeField(char* out, std::size_t width, std::string_view text);

// The first character of a field, or a space for a field of spaces.
template <std::size_t Width> gbk::Char firstChar(const std::array<char, Width>& field) {
    return gbk::firstChar(std::string_view(field.data(), Width));
}

template <std::size_t Width> std::string_view view(const std::array<char, Width>& field) {
    return {field.data(), Width};
}

// vezari.dat: one record per character and stroke sequence, sorted by the strokes field.
//
//   0          2                               14         16
//   | character | strokes: "1".."5", then spaces | rank (i16) |
//
// Keys are space-padded, and the space sorts before every digit, so a sequence sorts directly
// before all longer sequences that begin with it. Equal keys keep their file order.
struct StrokeRecord {
    static constexpr std::string_view kFileName = "vezari.dat";
    static constexpr std::size_t kLength = 16;
    static constexpr std::size_t kCharacterOffset = 0;
    static constexpr std::size_t kCharacterWidth = 2;
    static constexpr std::size_t kStrokesOffset = 2;
    static constexpr std::size_t kStrokesWidth = 12;
    static constexpr std::size_t kRankOffset = 14;

    std::array<char, kCharacterWidth> character;
    std::array<char, kStrokesWidth> strokes;
    std::int16_t rank = 0; // 1 = most frequent; 1..6763 are GB 2312

    static StrokeRecord read(std::string_view raw);
    // The rank of a whole record, read where it lies (little-endian, signed).
    static std::int16_t rankAt(const char* record) {
        return static_cast<std::int16_t>(
            static_cast<std::uint16_t>(static_cast<unsigned char>(record[kRankOffset]) |
                                       static_cast<unsigned char>(record[kRankOffset + 1]) << 8));
    }
    std::array<char, kLength> bytes() const;
};

// vezaricz.dat: one record per word, grouped by the code of its first character.
//
//   0                                               16
//   | text: up to eight GBK characters, then spaces |
struct PhraseRecord {
    static constexpr std::string_view kFileName = "vezaricz.dat";
    static constexpr std::size_t kLength = 16;
    static constexpr std::size_t kTextOffset = 0;
    static constexpr std::size_t kTextWidth = 16;

    std::array<char, kTextWidth> text;

    static PhraseRecord read(std::string_view raw);
    std::array<char, kLength> bytes() const;
};

// 单字GBK.dat: one record per character and Wubi code, sorted by the character's code.
//
//   0           2                            6
//   | character | code: 1-4 letters, spaces |
struct CodeRecord {
    static constexpr std::string_view kFileName = "单字GBK.dat";
    static constexpr std::size_t kLength = 6;
    static constexpr std::size_t kCharacterOffset = 0;
    static constexpr std::size_t kCharacterWidth = 2;
    static constexpr std::size_t kCodeOffset = 2;
    static constexpr std::size_t kCodeWidth = 4;

    std::array<char, kCharacterWidth> character;
    std::array<char, kCodeWidth> code;

    static CodeRecord read(std::string_view raw);
    std::array<char, kLength> bytes() const;
};

// vezariPY.dat: one record per character and reading, sorted by the reading field.
//
//   0           2                                     8
//   | character | pinyin: a-z without tone, spaces |
struct PinyinRecord {
    static constexpr std::string_view kFileName = "vezariPY.dat";
    static constexpr std::size_t kLength = 8;
    static constexpr std::size_t kCharacterOffset = 0;
    static constexpr std::size_t kCharacterWidth = 2;
    static constexpr std::size_t kPinyinOffset = 2;
    static constexpr std::size_t kPinyinWidth = 6;

    std::array<char, kCharacterWidth> character;
    std::array<char, kPinyinWidth> pinyin;

    static PinyinRecord read(std::string_view raw);
    std::array<char, kLength> bytes() const;
};

} // namespace tovrin
