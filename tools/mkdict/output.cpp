#include "tools/mkdict/output.h"

#include "platform/files.h"

#include <stdexcept>

namespace tovrin::mkdict {

namespace fs = std::filesystem;

void writeFileAtomically(const fs::path& file, std::string_view bytes) {
    const std::string error = tovrin::platform::writeFileAtomically(file.string(), bytes);
    if (!error.empty())
        throw std::runtime_error(file.string() + ": " + error);
}

void writeDictionaries(const Dictionaries& d, const fs::path& folder) {
    writeFileAtomically(folder / StrokeRecord::kFileName, recordBytes(d.strokes));
    writeFileAtomically(folder / CodeRecord::kFileName, recordBytes(d.codes));
    writeFileAtomically(folder / PhraseRecord::kFileName, recordBytes(d.phrases));
    writeFileAtomically(folder / PinyinRecord::kFileName, recordBytes(d.pinyin));
}

} // namespace tovrin::mkdict
