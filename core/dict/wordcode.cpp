#include "core/dict/wordcode.h"

#include "core/dict/bisect.h"
#include "core/dict/records.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tovrin::wordcode {

namespace {

// The first record of the group of records whose first character is `c`, and one past its
// last; first == end when there is none. The files are sorted by their first characters' codes,
// so the group's ends are bisected to (a damaged file may then find less).
std::pair<std::int32_t, std::int32_t> group(const RecordFile& file, gbk::Char c) {
    const Bisection b = bisectFirstChar(file, c);
    if (!b.found)
        return {1, 1};
    const std::int16_t k = gbk::code(c);
    auto codeAt = [&file](std::int32_t n) { return gbk::code(gbk::firstChar(file.record(n))); };
    const std::int32_t first = firstWhere(1, b.pos, [&](std::int32_t n) { return codeAt(n) >= k; });
    const std::int32_t end =
        firstWhere(b.pos, file.count(), [&](std::int32_t n) { return codeAt(n) > k; });
    return {first, end};
}

} // namespace

std::string fullCode(const RecordFile& codes, gbk::Char character) {
    std::string longest;
    const auto [first, end] = group(codes, character);
    for (std::int32_t n = first; n < end; ++n) {
        const std::string_view raw = codes.record(n);
        if (raw.size() < CodeRecord::kLength)
            continue;
        std::string_view code = raw.substr(CodeRecord::kCodeOffset, CodeRecord::kCodeWidth);
        while (!code.empty() && code.back() == ' ')
            code.remove_suffix(1);
        if (code.size() > longest.size())
            longest = code;
    }
    return longest;
}

std::size_t lettersTaken(std::size_t position, std::size_t length) {
    if (length < 2 || position >= length)
        return 0;
    if (length == 2)
        return 2;
    if (length == 3)
        return position == 2 ? 2 : 1;
    return position < 3 || position == length - 1 ? 1 : 0;
}

std::string fromFullCodes(const std::vector<std::string>& fullCodes) {
    const std::size_t n = fullCodes.size();
    if (n < 2)
        return {};
    std::string code;
    for (std::size_t i = 0; i < n; ++i) {
        if (fullCodes[i].empty())
            return {};
        code += fullCodes[i].substr(0, lettersTaken(i, n));
    }
    return code;
}

std::string ofWord(const RecordFile& codes, std::u16string_view word, gbk::Char* missing) {
    std::vector<std::string> full;
    full.reserve(word.size());
    for (const gbk::Char c : word) {
        full.push_back(fullCode(codes, c));
        if (full.back().empty()) {
            if (missing)
                *missing = c;
            return {};
        }
    }
    return fromFullCodes(full);
}

std::size_t longestWordAt(const RecordFile& phrases, std::u16string_view text) {
    constexpr std::size_t kWidth = PhraseRecord::kTextWidth;
    // The text's first characters as the records hold them: two bytes each, as far as they go.
    std::array<char, kWidth> bytes;
    std::size_t chars = 0;
    while (chars < text.size() && 2 * (chars + 1) <= kWidth && gbk::isTwoByte(text[chars])) {
        bytes[2 * chars] = static_cast<char>(text[chars] >> 8);
        bytes[2 * chars + 1] = static_cast<char>(text[chars] & 0xFF);
        ++chars;
    }
    if (chars < 2)
        return 0;
    std::size_t longest = 0;
    const auto [first, end] = group(phrases, text[0]);
    for (std::int32_t n = first; n < end; ++n) {
        const std::string_view raw = phrases.record(n);
        if (raw.size() < kWidth)
            continue;
        // The word's length: its bytes up to the padding, whole two-byte characters only.
        std::size_t width = kWidth;
        while (width > 0 && raw[width - 1] == ' ')
            --width;
        const std::size_t length = width / 2;
        if (width % 2 != 0 || length <= longest || length > chars)
            continue;
        if (std::memcmp(raw.data(), bytes.data(), width) == 0)
            longest = length;
    }
    return longest >= 2 ? longest : 0;
}

bool isWord(const RecordFile& phrases, std::u16string_view word) {
    std::array<char, PhraseRecord::kTextWidth> bytes;
    if (word.empty() || 2 * word.size() > bytes.size())
        return false;
    bytes.fill(' ');
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (!gbk::isTwoByte(word[i]))
            return false;
        bytes[2 * i] = static_cast<char>(word[i] >> 8);
        bytes[2 * i + 1] = static_cast<char>(word[i] & 0xFF);
    }
    // Sixteen bytes compared as two numbers: a group may hold 201 words.
    static_assert(PhraseRecord::kTextWidth == 16 && PhraseRecord::kTextOffset == 0);
    std::uint64_t want[2];
    std::memcpy(want, bytes.data(), sizeof want);
    const auto [first, end] = group(phrases, word[0]);
    for (std::int32_t n = first; n < end; ++n) {
        const std::string_view raw = phrases.record(n);
        if (raw.size() < bytes.size())
            continue;
        std::uint64_t have[2];
        std::memcpy(have, raw.data(), sizeof have);
        if (have[0] == want[0] && have[1] == want[1])
            return true;
    }
    return false;
}

} // namespace tovrin::wordcode
