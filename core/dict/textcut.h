// Text looked up whole (a selection, a line given in a terminal): cut into the words the phrase
// dictionary holds and single characters, and each given its code line.
#pragma once

#include "core/dict/recordfile.h"
#include "core/text/gbk.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace tovrin::textcut {

// At most this many characters of a text are looked up: its first ones.
constexpr std::size_t kLongest = 200;

// Whether a character of the text is looked up: a hanzi of GBK, or 〇. Anything else (a
// character GBK lacks, Latin letters, digits, blanks, punctuation and other symbols) is passed
// over, and a word never runs across it.
bool looksUp(gbk::Char c);

// A word the phrase dictionary holds whole, or one character.
struct Piece {
    gbk::Text text;
    bool word = false;
};

// The first kLongest characters of `text` (code points), cut: at each place the longest run of
// two or more characters that the phrase dictionary holds whole is a word, and any other
// character one of its own.
std::vector<Piece> cut(std::u32string_view text, const RecordFile& phrases,
                       const gbk::Codec& codec);

// Whether cut() leaves out a character it would have looked up: one past the first kLongest.
bool cutShort(std::u32string_view text, const gbk::Codec& codec);

// The code lines of the pieces in reading order: a word's line ("我们 TRWU") followed by its
// characters' lines indented by two spaces ("  我 Q TRN TRNT"), a character's line as a pick
// logs it ("我 Q TRN TRNT"). A piece without a code has `notFound` after it instead.
struct Line {
    gbk::Text text;
    bool found = false;
};
std::vector<Line> lines(const std::vector<Piece>& pieces, const RecordFile& codes,
                        const gbk::Text& notFound);

} // namespace tovrin::textcut
