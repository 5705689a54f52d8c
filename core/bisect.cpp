#include "core/bisect.h"

#include <cstdint>
#include <cstring>

namespace tovrin {

namespace {

// Compares a record's field with the key; a short or missing record reads as spaces.
int compareAt(const RecordFile& file, std::int32_t n, std::size_t offset, std::string_view key) {
    const std::string_view raw = file.record(n);
    if (key.size() == 12 && offset + 12 <= raw.size()) {
        // The stroke field: twelve bytes compared as two big-endian numbers, with no call.
        auto at = [](const char* p, std::uint64_t& high, std::uint32_t& low) {
            std::memcpy(&high, p, 8);
            std::memcpy(&low, p + 8, 4);
            high = __builtin_bswap64(high);
            low = __builtin_bswap32(low);
        };
        std::uint64_t h1, h2;
        std::uint32_t l1, l2;
        at(raw.data() + offset, h1, l1);
        at(key.data(), h2, l2);
        if (h1 != h2)
            return h1 < h2 ? -1 : 1;
        return l1 < l2 ? -1 : l1 > l2 ? 1 : 0;
    }
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
    s.lo = 1;
    s.hi = count;
    // lo's field against the key, and hi's; the key against them, below, as the search sees it:
    // "key sorts after keyHi" is keyHi < key. Each round compares the key with both bounds; a
    // bound that did not move keeps its comparison, so each record is read once.
    int atLo = at(s.lo);
    int atHi = at(s.hi);
    do {
        s.pos = s.hi;
        if (atHi < 0) {
            break;
        }
        if (atLo > 0) {
            s.pos = s.lo;
            break;
        }
        if (atLo < 0 && atHi > 0) {
            const std::int32_t mid = s.lo + (s.hi - s.lo) / 2;
            s.pos = mid;
            const int atMid = at(mid);
            if (atMid < 0) {
                s.lo = mid;
                atLo = atMid;
            } else if (atMid > 0) {
                s.hi = mid;
                atHi = atMid;
            } else {
                s.found = true;
                break;
            }
        } else {
            s.found = true;
            s.pos = atLo == 0 ? s.lo : s.hi;
            break;
        }
    } while (s.hi - s.lo != 1);
    return s;
}

// The bisection over the first characters' codes of records 1..count, `codeAt(n)` reading
// record n's.
template <class CodeAt> Bisection bisectCodes(std::int32_t count, std::int16_t k, CodeAt codeAt) {
    Bisection s;
    if (count < 1)
        return s;
    s.lo = 1;
    s.hi = count;
    std::int16_t a = codeAt(s.lo);
    std::int16_t b = codeAt(s.hi);
    do {
        s.pos = s.hi;
        if (k < a || k > b)
            break;
        if (a < k && k < b) {
            const std::int32_t mid = s.lo + (s.hi - s.lo) / 2;
            s.pos = mid;
            const std::int16_t m = codeAt(mid);
            if (m < k) {
                s.lo = mid;
                a = m;
            } else if (k < m) {
                s.hi = mid;
                b = m;
            } else {
                s.found = true;
                break;
            }
        } else {
            s.found = true;
            s.pos = a == k ? s.lo : s.hi;
            break;
        }
    } while (s.hi - s.lo != 1);
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
    return bisectCodes(file.count(), gbk::code(key), [&file](std::int32_t n) {
        return gbk::code(gbk::firstChar(file.record(n)));
    });
}

} // namespace tovrin
