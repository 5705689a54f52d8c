// Finding a character's Wubi codes in the character-code dictionary.
#pragma once

#include "core/dict/bisect.h"
#include "core/dict/recordfile.h"
#include "core/text/fixedtext.h"
#include "core/text/gbk.h"

#include <array>
#include <cstdint>

namespace tovrin {

// The character's records are found with bisectFirstChar() (bisect.h): its hit is any record
// of the character, not necessarily the first, and collectCodes() looks around it.

// The codes of one character, one per length, as the summary line shows them.
struct CodeLine {
    // " " followed by the code of 1, 2, 3 and 4 letters (Label38, Label45, Label46, Label48),
    // or empty where the character has no code of that length.
    std::array<gbk::FixedText<5>, 4> byLength;
    // Label8: the character, then each code after one space.
    static constexpr std::size_t kSummaryLength = 1 + 4 * 5;
    gbk::FixedText<kSummaryLength> summary;
};

// Scans ten records from four before the hit. A character's records stand together, so this
// covers the hit, up to four earlier and up to five later records of the same character; a later
// code of the same length replaces an earlier one.
CodeLine collectCodes(const RecordFile& codes, std::int32_t hit, gbk::Char character);

} // namespace tovrin
