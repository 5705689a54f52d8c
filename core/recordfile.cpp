#include "core/recordfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
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

RecordFile::~RecordFile() {
    if (mapping_)
        munmap(mapping_, mappedSize_);
}

void RecordFile::swap(RecordFile& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(recordLength_, other.recordLength_);
    std::swap(count_, other.count_);
    std::swap(mapping_, other.mapping_);
    std::swap(mappedSize_, other.mappedSize_);
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
    RecordFile file;
    file.recordLength_ = recordLength ? recordLength : 1;
    file.buffer_ = std::make_unique<std::string>(bytes);
    file.data_ = file.buffer_->data();
    file.setSize(file.buffer_->size());
    return file;
}

RecordFile RecordFile::open(const std::string& path, std::size_t recordLength) {
    // Everything is built in a local and swapped out at the end, so no half-opened state leaks.
    RecordFile file;
    file.recordLength_ = recordLength ? recordLength : 1;
    file.path_ = path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        file.status_ = err == ENOENT ? Status::Missing : Status::Unreadable;
        file.reason_ = err == ENOENT ? "the file is missing" : std::strerror(err);
        return file;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool isDir = S_ISDIR(st.st_mode);
        ::close(fd);
        file.status_ = Status::Unreadable;
        file.reason_ = isDir ? "a folder stands in place of the file" : "not a regular file";
        return file;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size > 0) {
        void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            const int err = errno;
            ::close(fd);
            file.status_ = Status::Unreadable;
            file.reason_ = std::strerror(err);
            return file;
        }
        file.mapping_ = p;
        file.mappedSize_ = size;
        file.data_ = static_cast<const char*>(p);
    }
    ::close(fd); // the mapping stays valid, and keeps the old file when a new one is renamed in
    file.setSize(size);
    return file;
}

} // namespace tovrin
