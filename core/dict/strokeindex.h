// Jumps over the stroke dictionary: for every record, where the next common, middle and rare
// character stands, so that a search visits only the records it keeps and finds the ends of a
// run of matching records by bisection instead of reading each one.
#pragma once

#include "core/dict/recordfile.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tovrin {

class StrokeIndex {
public:
    // Characters by rank: the 3,000 most frequent, the rest of the 6,763 common ones, the rest.
    enum Class { Common, Middle, Rare, kClasses };
    static constexpr int kCommonRanks = 3000;
    static constexpr int kMiddleRanks = 6763;

    // Builds the jumps for a dictionary that can take them: records sorted by their stroke key,
    // every record whole, a two-byte character in each, strokes of the digits 1 to 5 padded
    // with spaces, and no negative rank. Anything else (a damaged file) leaves the index
    // unusable, and the search reads record by record.
    static StrokeIndex build(const RecordFile& file);

    bool usable() const { return usable_; }
    static Class classOf(int rank) {
        return rank <= kCommonRanks ? Common : rank <= kMiddleRanks ? Middle : Rare;
    }

    // The first record from n on (1-based) whose rank is of class c, or count + 1.
    std::int32_t next(Class c, std::int32_t n) const { return next_[c][n]; }

    // The first record from `from` on whose strokes field, cut to the width of `key`, sorts
    // after `key`; count + 1 when there is none. Only for a usable index.
    std::int32_t after(const RecordFile& file, std::int32_t from, std::string_view key) const;

private:
    bool usable_ = false;
    std::array<std::vector<std::int32_t>, kClasses> next_;
};

} // namespace tovrin
