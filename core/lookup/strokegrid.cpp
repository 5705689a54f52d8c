#include "core/lookup/strokegrid.h"

#include "core/dict/bisect.h"
#include "core/text/numeric.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

namespace tovrin {

namespace {

// The number that the last four characters of "0000" followed by n in decimal begin with (57
// gives 57, 12345 gives 2345, -5 gives "00-5", so 0).
[[gnu::noinline]] std::int32_t negativeRankKey(int n) {
    char buf[16] = {'0', '0', '0', '0'};
    const auto [end, ec] = std::to_chars(buf + 4, buf + sizeof buf, n);
    (void)ec;
    return static_cast<std::int32_t>(leadingNumber(std::string_view(end - 4, 4)));
}

inline std::int32_t lastFourDigits(int n) {
    return n >= 0 ? n % 10000 : negativeRankKey(n);
}

constexpr std::int32_t kFirstKey = 0;   // an exact match among the common characters
constexpr std::int32_t kRareKey = 9999; // a rare character

const std::bitset<0x10000> kNoneBoosted;

} // namespace

std::int32_t rankKeyFor(int rank, bool exact, bool boost) {
    if (exact && rank <= StrokeIndex::kMiddleRanks)
        return kFirstKey;
    if (!exact && rank > StrokeIndex::kMiddleRanks)
        return kRareKey;
    return lastFourDigits(boost ? rank / 3 : rank);
}

bool strokesBeginWith(const RecordFile& strokes, std::int64_t n, std::string_view text) {
    const std::string_view raw = strokes.record(n);
    if (raw.size() == StrokeRecord::kLength)
        return text.size() <= StrokeRecord::kStrokesWidth &&
               std::memcmp(raw.data() + StrokeRecord::kStrokesOffset, text.data(), text.size()) ==
                   0;
    const auto field = StrokeRecord::read(raw).strokes; // a cut record reads as padded
    return text.size() <= field.size() && std::memcmp(field.data(), text.data(), text.size()) == 0;
}

std::int32_t firstOfStrokes(const RecordFile& strokes, std::string_view key,
                            std::string_view prefix) {
    const Bisection b = bisectField(strokes, StrokeRecord::kStrokesOffset, key);
    std::int32_t first = b.pos;
    if (strokes.count() < 1) {
        // An empty dictionary matches nothing; a search from here reads no record.
    } else if (b.found) {
        // Back to the first record with this key.
        while (first > 1 && strokesBeginWith(strokes, first - 1, key))
            --first;
    } else if (!strokesBeginWith(strokes, first, prefix)) {
        ++first;
    }
    return first;
}

StrokeCandidates StrokeCandidates::collect(const RecordFile& strokes, const StrokeIndex& index,
                                           std::int32_t first, std::string_view key,
                                           std::string_view prefix) {
    // The matching records are one run from record `first`, its exact matches first (a space
    // sorts before every digit). Nothing reads past the first 51 characters of exact, common,
    // middle and rare characters in that order, so only they are taken, visited by the index's
    // jumps.
    StrokeCandidates c;
    const bool matches =
        first >= 1 && first <= strokes.count() && strokesBeginWith(strokes, first, prefix);
    const std::int32_t end = matches ? index.after(strokes, first, prefix) : first;
    // The exact matches are few: read one by one.
    std::int32_t exactEnd = first;
    while (exactEnd < end &&
           std::memcmp(strokes.record(exactEnd).data() + StrokeRecord::kStrokesOffset, key.data(),
                       key.size()) == 0)
        ++exactEnd;
    auto take = [&](std::int32_t n, bool exact) {
        const char* p = strokes.record(n).data();
        const auto b0 = static_cast<unsigned char>(p[StrokeRecord::kCharacterOffset]);
        const auto b1 = static_cast<unsigned char>(p[StrokeRecord::kCharacterOffset + 1]);
        const auto rank = StrokeRecord::rankAt(p);
        c.chars[c.count] = static_cast<gbk::Char>(b0 << 8 | b1);
        c.keys[c.count] = static_cast<std::uint16_t>(rankKeyFor(rank, exact, false));
        c.boostedKeys[c.count] = static_cast<std::uint16_t>(rankKeyFor(rank, exact, true));
        ++c.count;
    };
    for (std::int32_t n = first; n < exactEnd && c.count < kCells; ++n)
        take(n, true);
    const std::int32_t from = std::max(first, exactEnd);
    for (StrokeIndex::Class k : {StrokeIndex::Common, StrokeIndex::Middle, StrokeIndex::Rare}) {
        if (k == StrokeIndex::Rare)
            c.first3 = c.count;
        for (std::int32_t n = index.next(k, from); n < end && c.count < kCells;
             n = index.next(k, n + 1))
            take(n, false);
    }
    c.rareSeen = index.next(StrokeIndex::Rare, from) < end;
    return c;
}

void StrokeCandidates::rank(std::size_t n, const std::bitset<0x10000>& boosted,
                            std::array<std::uint8_t, kCells>& order) const {
    std::array<std::int32_t, kCells> k;
    for (std::size_t i = 0; i < n; ++i)
        k[i] = boosted[chars[i]] ? boostedKeys[i] : keys[i];
    rankByKeys(k.data(), n, n, order);
}

void rankByKeys(const std::int32_t* keys, std::size_t keyed, std::size_t used,
                std::array<std::uint8_t, layout::kGridCells>& order) {
    // Each one's key and place packed into one number, so a plain sort of at most 51 numbers
    // is stable and needs no buffer (std::stable_sort allocates one).
    std::array<std::uint64_t, layout::kGridCells> packed;
    for (std::size_t i = 0; i < used; ++i) {
        const std::int32_t key = i < keyed ? keys[i] : 0;
        // The key's bits made unsigned with their order kept, then the place.
        packed[i] = std::uint64_t(std::uint32_t(key) ^ 0x80000000u) << 8 | i;
    }
    std::sort(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(used));
    for (std::size_t i = 0; i < used; ++i)
        order[i] = static_cast<std::uint8_t>(packed[i] & 0xFF);
}

StrokeGrids StrokeGrids::build(const RecordFile& strokes, const StrokeIndex& index) {
    StrokeGrids table;
    if (!index.usable())
        return table;
    std::string prefix;
    std::string key(StrokeRecord::kStrokesWidth, ' ');
    for (std::size_t length = 1; length <= kLongest; ++length) {
        std::size_t strings = 1;
        for (std::size_t i = 0; i < length; ++i)
            strings *= 5;
        for (std::size_t s = 0; s < strings; ++s) {
            // The s-th string of this length, its digits in base 5 from the last.
            prefix.assign(length, '1');
            for (std::size_t i = length, v = s; i-- > 0; v /= 5)
                prefix[i] = static_cast<char>('1' + v % 5);
            std::copy(prefix.begin(), prefix.end(), key.begin());
            Grid g;
            g.candidates = StrokeCandidates::collect(
                strokes, index, firstOfStrokes(strokes, key, prefix), key, prefix);
            g.candidates.rank(g.candidates.count, kNoneBoosted, g.order);
            table.grids_.push_back(g);
        }
    }
    return table;
}

const StrokeGrids::Grid* StrokeGrids::find(std::string_view digits) const {
    if (grids_.empty() || digits.empty() || digits.size() > kLongest)
        return nullptr;
    // The strings of each length follow the shorter ones: 5 of one stroke, 25 of two, ...
    std::size_t place = 0;
    std::size_t shorter = 0;
    std::size_t power = 1;
    for (char d : digits) {
        if (d < '1' || d > '5')
            return nullptr;
        place = place * 5 + static_cast<std::size_t>(d - '1');
        power *= 5;
        shorter += power;
    }
    return &grids_[shorter - power + place];
}

} // namespace tovrin
