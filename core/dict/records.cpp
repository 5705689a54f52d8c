#include "core/dict/records.h"

#include <cstring>

namespace tovrin {

bool writeField(char* out, std::size_t width, std::string_view text) {
    if (text.size() > width)
        return false;
    std::memset(out, ' ', width);
    std::memcpy(out, text.data(), text.size());
    return true;
}

StrokeRecord StrokeRecord::read(std::string_view raw) {
    StrokeRecord r;
    r.character = readField<kCharacterWidth>(raw, kCharacterOffset);
    r.strokes = readField<kStrokesWidth>(raw, kStrokesOffset);
    // A rank that the record does not hold whole reads as 0, like a blank record's.
    if (raw.size() >= kRankOffset + 2)
        r.rank = rankAt(raw.data());
    return r;
}

std::array<char, StrokeRecord::kLength> StrokeRecord::bytes() const {
    std::array<char, kLength> out;
    std::memcpy(out.data() + kCharacterOffset, character.data(), kCharacterWidth);
    std::memcpy(out.data() + kStrokesOffset, strokes.data(), kStrokesWidth);
    const auto u = static_cast<std::uint16_t>(rank);
    out[kRankOffset] = static_cast<char>(u & 0xFF);
    out[kRankOffset + 1] = static_cast<char>(u >> 8);
    return out;
}

PhraseRecord PhraseRecord::read(std::string_view raw) {
    return {readField<kTextWidth>(raw, kTextOffset)};
}

std::array<char, PhraseRecord::kLength> PhraseRecord::bytes() const {
    return text;
}

CodeRecord CodeRecord::read(std::string_view raw) {
    return {readField<kCharacterWidth>(raw, kCharacterOffset),
            readField<kCodeWidth>(raw, kCodeOffset)};
}

std::array<char, CodeRecord::kLength> CodeRecord::bytes() const {
    std::array<char, kLength> out;
    std::memcpy(out.data() + kCharacterOffset, character.data(), kCharacterWidth);
    std::memcpy(out.data() + kCodeOffset, code.data(), kCodeWidth);
    return out;
}

PinyinRecord PinyinRecord::read(std::string_view raw) {
    return {readField<kCharacterWidth>(raw, kCharacterOffset),
            readField<kPinyinWidth>(raw, kPinyinOffset)};
}

std::array<char, PinyinRecord::kLength> PinyinRecord::bytes() const {
    std::array<char, kLength> out;
    std::memcpy(out.data() + kCharacterOffset, character.data(), kCharacterWidth);
    std::memcpy(out.data() + kPinyinOffset, pinyin.data(), kPinyinWidth);
    return out;
}

} // namespace tovrin
