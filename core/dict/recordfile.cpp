#include "core/dict/recordfile.h"

#include <limits>
#include <utility>

namespace tovrin {

std::int32_t recordCount(std::uint64_t size, std::size_t recordLength) {
    if (recordLength == 0)
        return 0;
    std::uint64_t whole = size / recordLength;
    const std::uint64_t rest = size % recordLength;
    if (2 * rest > recordLength || (2 * rest == recordLength && whole % 2 == 1))
        ++whole;
    constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(whole < most ? whole : most);
}

RecordFile::RecordFile(RecordFile&& other) noexcept {
    swap(other);
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    RecordFile gone(std::move(*this));
    swap(other);
    return *this;
}

RecordFile::~RecordFile() = default;

void RecordFile::swap(RecordFile& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(recordLength_, other.recordLength_);
    std::swap(count_, other.count_);
    std::swap(buffer_, other.buffer_);
    std::swap(status_, other.status_);
    std::swap(reason_, other.reason_);
    std::swap(path_, other.path_);
}

void RecordFile::setSize(std::size_t size) {
    size_ = size;
    count_ = recordCount(size, recordLength_);
    if (count_ == 0) {
        status_ = Status::Empty;
        reason_ = size == 0 ? "the file is empty" : "the file holds no whole record";
    } else {
        status_ = Status::Ok;
        reason_.clear();
    }
}

RecordFile RecordFile::fromBytes(std::string_view bytes, std::size_t recordLength) {
    return fromFile({FileBytes::Status::Ok, std::string(bytes), {}, {}}, recordLength);
}

RecordFile RecordFile::fromFile(FileBytes file, std::size_t recordLength) {
    RecordFile records;
    records.recordLength_ = recordLength ? recordLength : 1;
    records.path_ = std::move(file.path);
    switch (file.status) {
    case FileBytes::Status::Missing:
        records.status_ = Status::Missing;
        records.reason_ = file.reason.empty() ? "the file is missing" : std::move(file.reason);
        return records;
    case FileBytes::Status::Unreadable:
        records.status_ = Status::Unreadable;
        records.reason_ = std::move(file.reason);
        return records;
    case FileBytes::Status::Ok:
        break;
    }
    records.buffer_ = std::make_unique<std::string>(std::move(file.bytes));
    records.data_ = records.buffer_->data();
    records.setSize(records.buffer_->size());
    return records;
}

} // namespace tovrin
