// The bisection that every dictionary search uses: between lo = 1 and hi = the record count,
// comparing the key with the records at both bounds each round, stopping when the key lies outside
// them or equals one of them, otherwise probing the midpoint, until hi - lo is 1.
#pragma once

#include "core/dict/recordfile.h"
#include "core/text/gbk.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tovrin {

struct Bisection {
    bool found = false;   // a record's key equals the key
    std::int32_t pos = 0; // the hit, or the record the search read last
};

// Over a fixed-width text field at `offset`, compared byte by byte with `key` (as wide as the
// field). When nothing equals the key, pos is a record next to where the key would stand; a
// key that sorts before the first record leaves pos at record 1, so that the records beginning
// with it are found from there. An empty file gives pos 1 and nothing found.
Bisection bisectField(const RecordFile& file, std::size_t offset, std::string_view key);

// The first record from `from` to `to` whose field at `offset` sorts at or after `key` (compared
// as bisectField compares), or to + 1 when there is none; in a file sorted by that field, the
// first record of a key's run or where it would stand.
std::int32_t lowerBound(const RecordFile& file, std::size_t offset, std::string_view key,
                        std::int32_t from, std::int32_t to);

// Over the signed code of each record's first character (the code and phrase dictionaries), with
// the same bounds, hits and misses as bisectField.
Bisection bisectFirstChar(const RecordFile& file, gbk::Char key);

// The first record from `from` to `to` for which `holds(n)` is true, or to + 1 when there is
// none; `holds` is false for a first part of the range and true for the rest (a sorted file's
// records from where a key begins, or from where it ends).
template <class Holds> std::int32_t firstWhere(std::int32_t from, std::int32_t to, Holds holds) {
    std::int32_t first = from;
    std::int32_t last = to + 1;
    while (first < last) {
        const std::int32_t mid = first + (last - first) / 2;
        if (holds(mid))
            last = mid;
        else
            first = mid + 1;
    }
    return first;
}

// The first record of the run of records for which `same(n)` holds around `pos` (itself one of
// them): looked for in steps that double backwards, then by bisection. Where the run stands
// together, as in a sorted file, it is the record a walk back one by one stops at, found in
// steps of the order of the log of its length.
template <class Same> std::int32_t firstOfRun(std::int32_t pos, Same same) {
    std::int32_t known = pos; // a record of the run
    std::int32_t step = 1;
    while (known - step >= 1 && same(known - step)) {
        known -= step;
        step *= 2;
    }
    const std::int32_t from = known - step >= 1 ? known - step + 1 : 1;
    return firstWhere(from, known, same);
}

} // namespace tovrin
