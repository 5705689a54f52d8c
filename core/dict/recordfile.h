// A dictionary of fixed-length records, held whole in memory: a file changed on disk while the
// program runs cannot pull the bytes from under a search.
#pragma once

#include "core/dict/filebytes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tovrin {

class RecordFile {
public:
    // Why a file could not be used. A file that is missing, unreadable or holds no whole
    // record behaves as a dictionary without records.
    enum class Status { Ok, Missing, Unreadable, Empty };

    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;
    ~RecordFile();

    // The records of a whole file as read; a file that could not be read has none, and
    // status() and reason() say why.
    static RecordFile fromFile(FileBytes file, std::size_t recordLength);
    // Records over bytes of the caller's own (tests, fuzzers); the bytes are copied.
    static RecordFile fromBytes(std::string_view bytes, std::size_t recordLength);

    // The file length divided by the record length, rounded to the nearest whole number with
    // ties to even: a trailing part of more than half a record counts as a record.
    std::int32_t count() const { return count_; }
    std::size_t recordLength() const { return recordLength_; }
    std::size_t byteSize() const { return size_; }
    Status status() const { return status_; }
    // A short text for the user: "" when the file is fine.
    const std::string& reason() const { return reason_; }
    const std::string& path() const { return path_; }

    // The bytes of record n (1-based) that the file holds: the whole record, fewer bytes for a
    // trailing partial record, nothing for a number outside 1..count().
    std::string_view record(std::int64_t n) const {
        if (n < 1 || n > count_)
            return {};
        const auto offset = static_cast<std::size_t>(n - 1) * recordLength_;
        const std::size_t available = size_ - offset;
        return {data_ + offset, available < recordLength_ ? available : recordLength_};
    }

private:
    void setSize(std::size_t size);
    void swap(RecordFile& other) noexcept;

    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t recordLength_ = 1;
    std::int32_t count_ = 0;
    std::unique_ptr<std::string> buffer_; // the bytes; data_ points into them
    Status status_ = Status::Empty;
    std::string reason_ = "empty";
    std::string path_;
};

// The record count of a file of `size` bytes.
std::int32_t recordCount(std::uint64_t size, std::size_t recordLength);

} // namespace tovrin
