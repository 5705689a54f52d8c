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

std::string fromFullCodes(const std::vector<std::string>& fullCodes) {
    const std::size_t n = fullCodes.size();
    if (n < 2)
        return {};
    for (const std::string& c : fullCodes)
        if (c.empty())
            return {};
    auto take = [](const std::string& code, std::size_t letters) {
        return code.substr(0, letters);
    };
    if (n == 2)
        return take(fullCodes[0], 2) + take(fullCodes[1], 2);
    if (n == 3)
        return take(fullCodes[0], 1) + take(fullCodes[1], 1) + take(fullCodes[2], 2);
    return take(fullCodes[0], 1) + take(fullCodes[1], 1) + take(fullCodes[2], 1) +
           take(fullCodes[n - 1], 1);
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
