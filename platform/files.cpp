#include "platform/files.h"

#include "core/settings/setupfile.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrin::platform {

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

namespace {

// The writer's temporary file is NAME.tovrin-XXXXXX beside NAME. A writer killed before its
// rename leaves it behind: those older than a minute (no write takes that long) are removed the
// next time NAME is written. So are those of earlier versions of this writer, NAME.XXXXXX, but
// only while they still have mkstemp's private mode 0600, so that a file of the user's that
// happens to look alike (setup.txt.backup) is never touched.
constexpr std::string_view kTemporaryMark = ".tovrin-";

bool sixRandomCharacters(std::string_view s) {
    return s.size() == 6 &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isalnum(c); });
}

void removeLeftovers(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string name = target.filename().string();
    const auto now = fs::file_time_type::clock::now();
    std::error_code ec;
    fs::directory_iterator it(target.has_parent_path() ? target.parent_path() : ".", ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string other = it->path().filename().string();
        if (other.compare(0, name.size(), name) != 0)
            continue;
        const std::string_view rest = std::string_view(other).substr(name.size());
        const bool ours = rest.starts_with(kTemporaryMark) &&
                          sixRandomCharacters(rest.substr(kTemporaryMark.size()));
        const bool earlier =
            rest.size() == 7 && rest[0] == '.' && sixRandomCharacters(rest.substr(1));
        if (!ours && !earlier)
            continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (earlier && (st.st_mode & 07777) != 0600)
            continue;
        std::error_code e;
        const auto written = fs::last_write_time(it->path(), e);
        if (!e && now - written > std::chrono::minutes(1))
            fs::remove(it->path(), e);
    }
}

} // namespace

std::string writeFileAtomically(const std::string& path, std::string_view bytes) {
    removeLeftovers(path);
    std::string tmp = path + std::string(kTemporaryMark) + "XXXXXX";
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

namespace {

// Opens a file for reading without blocking on a named pipe or a device, and keeps it only when
// it is a regular file; -1 with `r` telling why otherwise.
int openRegular(const std::string& path, FileBytes& r, struct stat& st) {
    r.path = path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        r.status = errno == ENOENT ? FileBytes::Status::Missing : FileBytes::Status::Unreadable;
        r.reason = errno == ENOENT ? "the file is missing" : std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        r.status = FileBytes::Status::Unreadable;
        r.reason = folder ? "a folder stands in place of the file" : "not a regular file";
        return -1;
    }
    return fd;
}

// What reading past the limit does: keep the first `limit` bytes, or refuse the file.
enum class PastLimit { Cut, Refuse };

// Reads the open file to its end into r.bytes, whatever fstat said (a file that grows meanwhile
// is read whole); past `limit` bytes as `past` says.
void readToEnd(int fd, std::size_t limit, PastLimit past, FileBytes& r) {
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.status = FileBytes::Status::Unreadable;
            r.reason = std::strerror(errno);
            r.bytes.clear();
            return;
        }
        if (n == 0)
            break;
        const auto got = static_cast<std::size_t>(n);
        if (r.bytes.size() + got > limit) {
            if (past == PastLimit::Refuse) {
                r.status = FileBytes::Status::Unreadable;
                r.reason = "larger than any dictionary";
                r.bytes.clear();
                return;
            }
            r.bytes.append(chunk, limit - r.bytes.size());
            break;
        }
        r.bytes.append(chunk, got);
    }
    r.status = FileBytes::Status::Ok;
}

} // namespace

FileBytes readSmallFile(const std::string& path, std::size_t limit) {
    FileBytes r;
    struct stat st {};
    const int fd = openRegular(path, r, st);
    if (fd < 0)
        return r;
    readToEnd(fd, limit, PastLimit::Cut, r);
    ::close(fd);
    return r;
}

FileBytes readWholeFile(const std::string& path, std::size_t limit) {
    FileBytes r;
    struct stat st {};
    const int fd = openRegular(path, r, st);
    if (fd < 0)
        return r;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > limit) {
        ::close(fd);
        r.status = FileBytes::Status::Unreadable;
        r.reason = "larger than any dictionary (" + std::to_string(size) + " bytes)";
        return r;
    }
    r.bytes.reserve(static_cast<std::size_t>(size));
    readToEnd(fd, limit, PastLimit::Refuse, r);
    ::close(fd);
    return r;
}

} // namespace tovrin::platform
