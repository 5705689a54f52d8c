#include "core/dict/strokeindex.h"

#include "core/dict/bisect.h"
#include "core/dict/records.h"

#include <cstring>

namespace tovrin {

namespace {

bool cleanStrokes(const char* strokes) {
    for (std::size_t i = 0; i < StrokeRecord::kStrokesWidth; ++i)
        if (strokes[i] != ' ' && (strokes[i] < '1' || strokes[i] > '5'))
            return false;
    return true;
}

} // namespace

StrokeIndex StrokeIndex::build(const RecordFile& file) {
    StrokeIndex index;
    const std::int32_t count = file.count();
    if (count < 1 || file.byteSize() != static_cast<std::size_t>(count) * StrokeRecord::kLength)
        return index;
    const char* previous = nullptr;
    std::vector<std::uint8_t> classes(static_cast<std::size_t>(count) + 1);
    for (std::int32_t n = 1; n <= count; ++n) {
        const char* p = file.record(n).data();
        const char* strokes = p + StrokeRecord::kStrokesOffset;
        const auto rank = StrokeRecord::rankAt(p);
        if (static_cast<unsigned char>(p[StrokeRecord::kCharacterOffset]) < 0x81 ||
            !cleanStrokes(strokes) || rank < 0)
            return index;
        if (previous && std::memcmp(previous, strokes, StrokeRecord::kStrokesWidth) > 0)
            return index;
        previous = strokes;
        classes[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(classOf(rank));
    }
    for (auto& next : index.next_)
        next.assign(static_cast<std::size_t>(count) + 2, count + 1);
    for (std::int32_t n = count; n >= 1; --n) {
        const auto at = static_cast<std::size_t>(n);
        for (int c = 0; c < kClasses; ++c)
            index.next_[c][at] = classes[at] == c ? n : index.next_[c][at + 1];
    }
    index.usable_ = true;
    return index;
}

std::int32_t StrokeIndex::after(const RecordFile& file, std::int32_t from,
                                std::string_view key) const {
    // The records from `from` on that sort at or before the key come first (the file is
    // sorted): the answer is the first one that sorts after it.
    return firstWhere(from, file.count(), [&](std::int32_t n) {
        const char* strokes = file.record(n).data() + StrokeRecord::kStrokesOffset;
        return std::memcmp(strokes, key.data(), key.size()) > 0;
    });
}

} // namespace tovrin
