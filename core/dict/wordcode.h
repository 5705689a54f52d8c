// The code that types a whole word in Wubi 86, made from its characters' full codes, and
// whether the phrase dictionary holds a word.
#pragma once

#include "core/dict/recordfile.h"
#include "core/text/gbk.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::wordcode {

// A character's full code: its longest code in the character-code dictionary, the first such
// record where several tie. Empty when the dictionary holds no code of the character.
std::string fullCode(const RecordFile& codes, gbk::Char character);

// How many letters of its full code the character at `position` (from 0) of a word of `length`
// characters gives the word's code, by the Wubi 86 word rules:
//   2 characters: the first two letters of each;
//   3 characters: the first letter of the first two and the first two of the third;
//   4 or more:    the first letter of the first three and of the last (none of the others).
// None for a word of fewer than two characters.
std::size_t lettersTaken(std::size_t position, std::size_t length);

// The word's code from its characters' full codes: the letters each gives by lettersTaken(), in
// order. A full code shorter than the letters the rule takes gives the letters it has. Empty for
// fewer than two characters, or when a character has no code.
std::string fromFullCodes(const std::vector<std::string>& fullCodes);

// The code of `word` as one word; empty when a character of it has no code (`missing` then
// names the first such character).
std::string ofWord(const RecordFile& codes, std::u16string_view word, gbk::Char* missing = nullptr);

// Whether the phrase dictionary holds `word` whole, among the words of its first character.
bool isWord(const RecordFile& phrases, std::u16string_view word);

// The length of the longest word of two or more characters that the phrase dictionary holds
// whole and `text` begins with; 0 for none. One pass over the words of its first character.
std::size_t longestWordAt(const RecordFile& phrases, std::u16string_view text);

} // namespace tovrin::wordcode
