// The character grid of a stroke string on a clean sorted stroke dictionary: which characters
// can reach it (the first 51 of the exact matches, the 3,000 most frequent characters, the rest
// of the common ones and the rare ones, in that order), their rank keys, and their order.
//
// The strings of one to four strokes have the longest runs (up to thousands of records), and
// there are only 780 of them: their grids are worked out once when the dictionary is opened, so
// that a click on one finds its grid at a known place instead of searching for it.
#pragma once

#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/dict/strokeindex.h"
#include "core/lookup/layout.h"
#include "core/text/gbk.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tovrin {

// The rank key of a record: the (boosted) rank's last four digits; an exact match among the
// common characters first, a rare character last. A character of the association list is
// boosted: its rank is divided by three.
std::int32_t rankKeyFor(int rank, bool exact, bool boost);

// Whether record n's strokes field begins with `text` (a cut record reads as padded).
bool strokesBeginWith(const RecordFile& strokes, std::int64_t n, std::string_view text);

// The first record whose strokes begin with `prefix`, or the one after where it would stand;
// `key` is the prefix padded with spaces to the field's width.
std::int32_t firstOfStrokes(const RecordFile& strokes, std::string_view key,
                            std::string_view prefix);

// The characters that can reach the grid, in bucket and file order, each with its rank key as
// it is and as boosted.
struct StrokeCandidates {
    static constexpr std::size_t kCells = layout::kGridCells;
    std::array<gbk::Char, kCells> chars;
    std::array<std::uint16_t, kCells> keys;
    std::array<std::uint16_t, kCells> boostedKeys;
    std::uint8_t count = 0;  // characters taken
    std::uint8_t first3 = 0; // of them, the exact, common and middle ones; the rest are rare
    bool rareSeen = false;   // the run holds a rare character (taken or not)

    // The candidates of the run of records from `first` on whose strokes begin with `prefix`,
    // visited by the index's jumps.
    static StrokeCandidates collect(const RecordFile& strokes, const StrokeIndex& index,
                                    std::int32_t first, std::string_view key,
                                    std::string_view prefix);

    // The first `n` candidates' places in grid order, with the keys boosted for the characters
    // whose bit is set: a stable sort by key, so equal keys keep their order.
    void rank(std::size_t n, const std::bitset<0x10000>& boosted,
              std::array<std::uint8_t, kCells>& order) const;
};

// Ranks `used` characters by the first `keyed` keys (a character without a key of its own has
// key 0) into `order`, their places in grid order: a stable sort.
void rankByKeys(const std::int32_t* keys, std::size_t keyed, std::size_t used,
                std::array<std::uint8_t, layout::kGridCells>& order);

// The grids of every string of one to four strokes, before any character is boosted.
class StrokeGrids {
public:
    static constexpr std::size_t kLongest = 4;

    struct Grid {
        StrokeCandidates candidates;
        // The candidates' places in grid order when no character is boosted. Without the rare
        // ones it is the same order cut short: a rare character's key is the last of all and
        // it stands after the others, so it sorts after every other one.
        std::array<std::uint8_t, layout::kGridCells> order;
    };

    // Only for a dictionary whose index is usable; any other gives an empty table.
    static StrokeGrids build(const RecordFile& strokes, const StrokeIndex& index);

    // The grid of a string of the digits 1 to 5, or nullptr when it is longer than four strokes
    // or the table is empty.
    const Grid* find(std::string_view digits) const;

private:
    std::vector<Grid> grids_;
};

} // namespace tovrin
