// Writing the compiled dictionaries.
#pragma once

#include "tools/mkdict/compiler.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::mkdict {

// Writes `bytes` as `file` through a temporary file in the same folder that is flushed to disk
// and then renamed over the old file, so a program that has the old file mapped keeps reading it
// whole and a failed write leaves the old file as it was (the platform's one writer). Throws
// std::runtime_error.
void writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// The records' bytes, one after another.
template <typename Record> std::string recordBytes(const std::vector<Record>& records) {
    std::string out;
    out.reserve(records.size() * Record::kLength);
    for (const auto& r : records) {
        const auto b = r.bytes();
        out.append(b.data(), b.size());
    }
    return out;
}

// Writes the four dictionaries into `folder` under their file names.
void writeDictionaries(const Dictionaries& dictionaries, const std::filesystem::path& folder);

} // namespace tovrin::mkdict
