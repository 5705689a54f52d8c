#include "fuzz/fuzzing.h"

#include "core/dict/records.h"
#include "core/settings/setupfile.h"
#include "core/text/gbk.h"
#include "tests/core/testdata.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tovrin::fuzz {

void require(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

Input split(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return {};
    const auto* bytes = reinterpret_cast<const char*>(data);
    const std::size_t events = std::min<std::size_t>(data[0] % 65u, size - 1);
    return {{bytes + 1, events}, {bytes + 1 + events, size - 1 - events}};
}

void MemoryFiles::write(std::string_view name, std::string_view bytes) {
    files_[std::string(name)] = std::string(bytes);
}

const std::string* MemoryFiles::find(std::string_view name) const {
    const auto it = files_.find(name);
    return it == files_.end() ? nullptr : &it->second;
}

LookupFiles MemoryFiles::files(bool withSetup) {
    auto bytesOf = [this](std::string_view name) {
        const std::string* bytes = find(name);
        FileBytes file = bytes ? FileBytes::of(*bytes) : FileBytes();
        file.path = std::string(name);
        return file;
    };
    LookupFiles files;
    files.strokes = bytesOf(StrokeRecord::kFileName);
    files.phrases = bytesOf(PhraseRecord::kFileName);
    files.codes = bytesOf(CodeRecord::kFileName);
    files.pinyin = bytesOf(PinyinRecord::kFileName);
    if (withSetup) {
        // setup.txt is read as the platform reads it: its first 4,096 bytes.
        FileBytes setup = bytesOf(kSetupFileName);
        if (setup.bytes.size() > 4096)
            setup.bytes.resize(4096);
        files.setup = std::move(setup);
        files.writeSetup = [this](std::string_view bytes) {
            write(kSetupFileName, bytes);
            return std::string();
        };
    }
    return files;
}

namespace {

// The field of record n as the bisection sees it: padded with spaces where the record is short.
std::string paddedField(const RecordFile& file, std::int64_t n, std::size_t offset,
                        std::size_t width) {
    const std::string_view raw = file.record(n);
    std::string out(width, ' ');
    for (std::size_t i = 0; i < width && offset + i < raw.size(); ++i)
        out[i] = raw[offset + i];
    return out;
}

} // namespace

bool fieldsSorted(const RecordFile& file, std::size_t offset, std::size_t width) {
    for (std::int64_t n = 2; n <= file.count(); ++n) {
        if (paddedField(file, n, offset, width) < paddedField(file, n - 1, offset, width))
            return false;
    }
    return true;
}

bool fieldsPrintable(const RecordFile& file, std::size_t offset, std::size_t width) {
    for (std::int64_t n = 1; n <= file.count(); ++n) {
        for (char c : paddedField(file, n, offset, width))
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
    }
    return true;
}

bool firstCharsSorted(const RecordFile& file) {
    for (std::int64_t n = 2; n <= file.count(); ++n) {
        if (gbk::code(gbk::firstChar(file.record(n))) <
            gbk::code(gbk::firstChar(file.record(n - 1))))
            return false;
    }
    return true;
}

namespace {

// Whether a stroke record's two-byte character field holds exactly c.
bool fitsCharacterField(gbk::Char c) {
    if (!LookupView::shows(c))
        return false;
    return gbk::isTwoByte(c) ? (c >> 8) >= 0x81 : c < 0x81;
}

} // namespace

StrokeKeys::StrokeKeys(std::vector<gbk::Char> characters) {
    std::erase_if(characters, [](gbk::Char c) { return !fitsCharacterField(c); });
    std::sort(characters.begin(), characters.end());
    characters.erase(std::unique(characters.begin(), characters.end()), characters.end());
    characters_ = std::move(characters);
    // Six strokes give 15,625 strings; the preset lists have strings of at most three.
    for (std::size_t room = 15625; room < characters_.size() && length_ < 12; ++length_)
        room *= 5;
}

std::string StrokeKeys::strokesOf(std::size_t index) const {
    std::string digits(length_, '1');
    for (std::size_t i = length_; i-- > 0; index /= 5)
        digits[i] = static_cast<char>('1' + index % 5);
    return digits;
}

std::string StrokeKeys::dictionary() const {
    std::vector<testdata::StrokeRow> rows;
    for (std::size_t i = 0; i < characters_.size(); ++i)
        rows.push_back({gbk::Text(1, characters_[i]), strokesOf(i), 1});
    return testdata::strokeBytes(rows);
}

bool StrokeKeys::type(LookupState& state, gbk::Char c) const {
    const auto it = std::lower_bound(characters_.begin(), characters_.end(), c);
    if (it == characters_.end() || *it != c)
        return false;
    for (std::size_t n = state.view().Label1.size(); n > 0; --n)
        state.Command7_Click();
    for (char d : strokesOf(static_cast<std::size_t>(it - characters_.begin())))
        state.strokeClick(d - '0');
    return true;
}

} // namespace tovrin::fuzz
