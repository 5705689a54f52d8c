// Windows bitmaps as the program's pictures are stored (the charts, the pinyin panel).
#pragma once

#include <string_view>

namespace tovrin {

// Whether the bytes are a whole bitmap: a "BM" file whose pixel rows, as its header promises
// them, all lie within the bytes. A file cut short would show a black band where its rows are
// missing: it is damaged, as a missing one is.
bool wholeBitmap(std::string_view bytes);

} // namespace tovrin
