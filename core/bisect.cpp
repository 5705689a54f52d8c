#include "core/bisect.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tovrin {

namespace {

// Up to eight bytes as a big-endian number: numbers compare as the bytes do. Read with loads as
// wide as the bytes, so nothing is stored and read back at another width.
template <std::size_t N> std::uint64_t bigEndian(const char* p) {
    static_assert(N >= 1 && N <= 8);
    if constexpr (std::endian::native == std::endian::little && (N == 4 || N == 6 || N == 8)) {
        if constexpr (N == 8) {
            std::uint64_t v;
            std::memcpy(&v, p, 8);
            return __builtin_bswap64(v);
        } else {
            std::uint32_t head;
            std::memcpy(&head, p, 4);
            std::uint64_t v = std::uint64_t(__builtin_bswap32(head)) << 32;
            if constexpr (N == 6) {
                std::uint16_t tail;
                std::memcpy(&tail, p + 4, 2);
                v |= std::uint64_t(__builtin_bswap16(tail)) << 16;
            }
            return v;
        }
    } else {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < 8; ++i)
            v = v << 8 | (i < N ? static_cast<unsigned char>(p[i]) : 0u);
        return v;
    }
}

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

// Calls search(at) with the fastest comparison of record n's field with the key that the file
// allows: on a file of whole records the dictionaries' key widths compare as numbers read in
// place, anything else record by record.
template <class Search>
auto withFieldCompare(const RecordFile& file, std::size_t offset, std::string_view key,
                      Search search) {
    const std::int32_t count = file.count();
    const std::size_t length = file.recordLength();
    if (count >= 1 && file.byteSize() == static_cast<std::size_t>(count) * length &&
        offset + key.size() <= length) {
        const char* first = file.record(1).data() + offset;
        auto field = [first, length](std::int32_t n) {
            return first + static_cast<std::size_t>(n - 1) * length;
        };
        auto sign = [](std::uint64_t a, std::uint64_t b) { return a < b ? -1 : a > b ? 1 : 0; };
        if (key.size() == 6) {
            const std::uint64_t k = bigEndian<6>(key.data());
            return search([&](std::int32_t n) { return sign(bigEndian<6>(field(n)), k); });
        }
        if (key.size() == 12) {
            const std::uint64_t head = bigEndian<8>(key.data());
            const std::uint64_t tail = bigEndian<4>(key.data() + 8);
            return search([&](std::int32_t n) {
                const char* f = field(n);
                const int c = sign(bigEndian<8>(f), head);
                return c != 0 ? c : sign(bigEndian<4>(f + 8), tail);
            });
        }
    }
    return search([&](std::int32_t n) { return compareAt(file, n, offset, key); });
}

} // namespace

Bisection bisectField(const RecordFile& file, std::size_t offset, std::string_view key) {
    return withFieldCompare(file, offset, key,
                            [&](auto at) { return bisectWith(file.count(), at); });
}

std::int32_t lowerBound(const RecordFile& file, std::size_t offset, std::string_view key,
                        std::int32_t from, std::int32_t to) {
    return withFieldCompare(file, offset, key, [&](auto at) {
        std::int32_t first = from;
        std::int32_t last = to + 1;
        while (first < last) {
            const std::int32_t mid = first + (last - first) / 2;
            if (at(mid) < 0)
                first = mid + 1;
            else
                last = mid;
        }
        return first;
    });
}

Bisection bisectFirstChar(const RecordFile& file, gbk::Char key) {
    const std::int32_t count = file.count();
    const std::int16_t k = gbk::code(key);
    const std::size_t length = file.recordLength();
    if (count >= 1 && length >= 2 && file.byteSize() == static_cast<std::size_t>(count) * length) {
        // Every record whole: the first character is read in place.
        const char* first = file.record(1).data();
        return bisectCodes(count, k, [first, length](std::int32_t n) {
            const char* p = first + static_cast<std::size_t>(n - 1) * length;
            return gbk::code(gbk::firstChar(std::string_view(p, 2)));
        });
    }
    return bisectCodes(
        count, k, [&file](std::int32_t n) { return gbk::code(gbk::firstChar(file.record(n))); });
}

} // namespace tovrin
