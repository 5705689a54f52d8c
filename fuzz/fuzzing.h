// What the fuzz targets share: the check that turns a broken promise into a crash libFuzzer
// keeps the input of, the way an input is cut into events and a file, the files an input
// becomes, handed to the lookup state as bytes, and a way to bring any character to a pick.
#pragma once

#include "core/dict/recordfile.h"
#include "core/lookup/lookupfiles.h"
#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::fuzz {

// Prints what broke and aborts, so that libFuzzer saves the input.
void require(bool ok, const char* what);

// An input of a dictionary target: byte 0 says how many of the bytes after it are events (at
// most 64); the rest is the dictionary file.
struct Input {
    std::string_view events;
    std::string_view file;
};
Input split(const std::uint8_t* data, std::size_t size);

// The event bytes, one at a time; once they run out every byte reads as 0.
class Events {
public:
    explicit Events(std::string_view bytes) : bytes_(bytes) {}
    bool done() const { return at_ >= bytes_.size(); }
    unsigned next() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : 0u; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

// The record an event byte points at, spread over the whole file (1 for an empty one).
inline std::int64_t recordAt(unsigned byte, std::int32_t count) {
    return 1 + static_cast<std::int64_t>(byte % 256) * count / 256;
}

// The lines of an input, without their line ends, at most `most` of them.
template <class F> void forEachLine(std::string_view text, std::size_t most, F&& f) {
    for (std::size_t n = 0; n < most && !text.empty(); ++n) {
        const std::size_t end = text.find('\n');
        f(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

// The files an input becomes, held in memory: the lookup state is handed their bytes, so no
// file is written for a run.
class MemoryFiles {
public:
    // Replaces the file `name` (a dictionary's name, or setup.txt) with `bytes`.
    void write(std::string_view name, std::string_view bytes);
    // The file's bytes; null when it was never written.
    const std::string* find(std::string_view name) const;
    // What the state reads: the dictionaries written here, and setup.txt when `withSetup` (read
    // and written here too).
    LookupFiles files(bool withSetup);

private:
    std::map<std::string, std::string, std::less<>> files_;
};

// Whether the records' fields at [offset, offset + width) never decrease, compared byte by byte
// with a short record padded by spaces, as the bisection compares them.
bool fieldsSorted(const RecordFile& file, std::size_t offset, std::size_t width);

// Whether every byte of those fields is a space or above, so that a key padded with spaces sorts
// directly before every field that begins with it.
bool fieldsPrintable(const RecordFile& file, std::size_t offset, std::size_t width);

// Whether the signed codes of the records' first characters never decrease.
bool firstCharsSorted(const RecordFile& file);

// A stroke dictionary that gives each of a set of characters a stroke string of its own, all of
// one length and none with a preset list, so that typing a character's string finds that one
// record and shows its character in the grid's first cell. A target that needs a pick of any
// character it likes makes it so, through the window's own events.
class StrokeKeys {
public:
    // Every character a stroke record's character field can hold on its own; a space, NUL and
    // a lone byte from 0x81 up (which the field would read as the lead of a two-byte
    // character) are left out.
    explicit StrokeKeys(std::vector<gbk::Char> characters);

    // vezari.dat: the characters in the order of their strings, every one of rank 1.
    std::string dictionary() const;

    // Takes back the strokes entered, then clicks the character's strokes one by one. False,
    // and nothing clicked, for a character left out.
    bool type(LookupState& state, gbk::Char c) const;

private:
    std::string strokesOf(std::size_t index) const;

    std::vector<gbk::Char> characters_; // ascending, each once
    std::size_t length_ = 6;            // strokes in every string
};

} // namespace tovrin::fuzz
