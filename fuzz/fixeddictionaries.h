// Four small, well-formed dictionaries for the targets that fuzz something other than a
// dictionary: enough stroke strings, words, codes and readings that every event finds something.
#pragma once

#include "fuzz/fuzzing.h"

namespace tovrin::fuzz {

// Writes vezari.dat, vezaricz.dat, 单字GBK.dat and vezariPY.dat into the files.
void writeFixedDictionaries(MemoryFiles& files);

} // namespace tovrin::fuzz
