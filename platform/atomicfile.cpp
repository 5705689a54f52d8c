#include "platform/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrin {

namespace {

std::string errorText(const char* what, int err) {
    return std::string(what) + ": " + std::strerror(err);
}

} // namespace

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::string tmp = path + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0)
        return errorText("cannot create a file beside it", errno);
    auto fail = [&](const char* what) {
        const int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return errorText(what, err);
    };
    if (!writeAll(fd, bytes))
        return fail("cannot write");
    // mkstemp makes the file private; an option file is readable like any other.
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0)
        return fail("cannot write");
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return errorText("cannot write", err);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return errorText("cannot replace the file", err);
    }
    return {};
}

FileRead readSmallFile(const std::string& path, std::size_t limit) {
    FileRead r;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        r.status = errno == ENOENT ? FileRead::Status::Missing : FileRead::Status::Unreadable;
        r.reason = std::strerror(errno);
        return r;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        r.status = FileRead::Status::Unreadable;
        r.reason = "not a regular file";
        return r;
    }
    r.bytes.resize(limit);
    std::size_t have = 0;
    while (have < limit) {
        const ssize_t n = ::read(fd, r.bytes.data() + have, limit - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.status = FileRead::Status::Unreadable;
            r.reason = std::strerror(errno);
            ::close(fd);
            r.bytes.clear();
            return r;
        }
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    ::close(fd);
    r.bytes.resize(have);
    r.status = FileRead::Status::Ok;
    return r;
}

} // namespace tovrin
