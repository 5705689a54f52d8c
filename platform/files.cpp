#include "platform/files.h"

#include "core/setupfile.h"

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

namespace {

// A writer killed between making its temporary file and renaming it leaves "NAME.XXXXXX" beside
// NAME. Those of this writer that are older than a minute (no write takes that long) are removed
// the next time NAME is written.
void removeLeftovers(const std::string& path) {
    const std::filesystem::path target(path);
    const std::string prefix = target.filename().string() + ".";
    const auto now = std::filesystem::file_time_type::clock::now();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(
             target.has_parent_path() ? target.parent_path() : ".", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0 ||
            !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                         [](unsigned char c) { return std::isalnum(c); }))
            continue;
        std::error_code e;
        if (!entry.is_regular_file(e) || entry.is_symlink(e))
            continue;
        const auto written = entry.last_write_time(e);
        if (!e && now - written > std::chrono::minutes(1))
            std::filesystem::remove(entry.path(), e);
    }
}

} // namespace

std::string writeFileAtomically(const std::string& path, std::string_view bytes) {
    removeLeftovers(path);
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

// Reads up to `limit` bytes of the open file into r.bytes; false on a failed read.
bool readUpTo(int fd, std::size_t limit, FileBytes& r) {
    r.bytes.resize(limit);
    std::size_t have = 0;
    while (have < limit) {
        const ssize_t n = ::read(fd, r.bytes.data() + have, limit - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.status = FileBytes::Status::Unreadable;
            r.reason = std::strerror(errno);
            r.bytes.clear();
            return false;
        }
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    r.bytes.resize(have);
    r.status = FileBytes::Status::Ok;
    return true;
}

std::string inFolder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path.append(name);
}

} // namespace

FileBytes readSmallFile(const std::string& path, std::size_t limit) {
    FileBytes r;
    struct stat st {};
    const int fd = openRegular(path, r, st);
    if (fd < 0)
        return r;
    readUpTo(fd, limit, r);
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
    // One byte more than the size: a file that grew since fstat is read to its end or limit.
    if (readUpTo(fd, static_cast<std::size_t>(size) + 1, r) && r.bytes.size() > limit) {
        r.status = FileBytes::Status::Unreadable;
        r.reason = "larger than any dictionary";
        r.bytes.clear();
    }
    ::close(fd);
    return r;
}

LookupFiles folderFiles(const std::string& programFolder, const std::string& settingsFolder) {
    LookupFiles files;
    files.dictionary = [programFolder](std::string_view name) {
        return readWholeFile(inFolder(programFolder, name));
    };
    if (!settingsFolder.empty()) {
        const std::string setup = inFolder(settingsFolder, kSetupFileName);
        files.readSetup = [setup] { return readSmallFile(setup); };
        files.writeSetup = [setup](std::string_view bytes) {
            return writeFileAtomically(setup, bytes);
        };
    }
    return files;
}

} // namespace tovrin
