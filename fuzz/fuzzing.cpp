#include "fuzz/fuzzing.h"

#include "core/gbk.h"
#include "core/setupfile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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
    auto read = [this](std::string_view name) {
        const std::string* bytes = find(name);
        return bytes ? FileBytes{FileBytes::Status::Ok, *bytes, std::string(name), {}}
                     : FileBytes{FileBytes::Status::Missing, {}, std::string(name), {}};
    };
    LookupFiles files;
    files.dictionary = read;
    if (withSetup) {
        // setup.txt is read as the platform reads it: its first 4,096 bytes.
        files.readSetup = [read] {
            FileBytes setup = read(kSetupFileName);
            if (setup.bytes.size() > 4096)
                setup.bytes.resize(4096);
            return setup;
        };
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

} // namespace tovrin::fuzz
