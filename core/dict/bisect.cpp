#include "core/dict/bisect.h"

#include <cstdint>
#include <cstring>

namespace tovrin {

namespace {

// Compares a record's field with the key; a short or missing record reads as spaces.
int compareAt(const RecordFile& file, std::int32_t n, std::size_t offset, std::string_view key) {
    const std::string_view raw = file.record(n);
    if (offset + key.size() <= raw.size()) {
        const int c = std::memcmp(raw.data() + offset, key.data(), key.size());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto have =
            static_cast<unsigned char>(offset + i < raw.size() ? raw[offset + i] : ' ');
        const auto want = static_cast<unsigned char>(key[i]);
        if (have != want)
            return have < want ? -1 : 1;
    }
    return 0;
}

// The bisection over records 1..count, `at(n)` comparing record n's field with the key (below
// zero: the field sorts first).
template <class Compare> Bisection bisectWith(std::int32_t count, Compare at) {
    Bisection s;
    s.pos = 1;
    if (count < 1)
        return s;
    std::int32_t lo = 1;
    std::int32_t hi = count;
    // lo's field against the key, and hi's. Each round compares the key with both bounds; a
    // bound that did not move keeps its comparison, so each record is read once.
    int atLo = at(lo);
    int atHi = at(hi);
    do {
        s.pos = hi;
        if (atHi < 0)
            break; // the key sorts after the last record
        if (atLo > 0) {
            s.pos = lo; // the key sorts before the first record
            break;
        }
        if (atLo == 0 || atHi == 0) {
            s.found = true;
            s.pos = atLo == 0 ? lo : hi;
            break;
        }
        const std::int32_t mid = lo + (hi - lo) / 2;
        s.pos = mid;
        const int atMid = at(mid);
        if (atMid == 0) {
            s.found = true;
            break;
        }
        (atMid < 0 ? lo : hi) = mid;
        (atMid < 0 ? atLo : atHi) = atMid;
    } while (hi - lo != 1);
    return s;
}

} // namespace

Bisection bisectField(const RecordFile& file, std::size_t offset, std::string_view key) {
    return bisectWith(file.count(),
                      [&](std::int32_t n) { return compareAt(file, n, offset, key); });
}

std::int32_t lowerBound(const RecordFile& file, std::size_t offset, std::string_view key,
                        std::int32_t from, std::int32_t to) {
    return firstWhere(from, to,
                      [&](std::int32_t n) { return compareAt(file, n, offset, key) >= 0; });
}

Bisection bisectFirstChar(const RecordFile& file, gbk::Char key) {
    const std::int16_t k = gbk::code(key);
    return bisectWith(file.count(), [&file, k](std::int32_t n) {
        const std::int16_t c = gbk::code(gbk::firstChar(file.record(n)));
        return c < k ? -1 : c > k ? 1 : 0;
    });
}

} // namespace tovrin
