#include "fuzz/fuzzing.h"

#include "core/gbk.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "scratch folder: %s: %s\n", what.c_str(), std::strerror(errno));
    std::abort();
}

} // namespace

ScratchFolder::ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : "/dev/shm";
    if (!std::filesystem::is_directory(base))
        base = "/tmp";
    // A crash ends the process with abort(), so its folder outlives it: each folder is named for
    // its process, and those of processes that are gone are removed here.
    const std::string prefix = "tovrin-fuzz-";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (*end == '\0' && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), ec);
    }
    path_ = base + "/" + prefix + std::to_string(::getpid());
    std::filesystem::remove_all(path_, ec); // a folder of an earlier process with this number
    if (::mkdir(path_.c_str(), 0700) != 0)
        fail(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void ScratchFolder::write(std::string_view name, std::string_view bytes) const {
    const std::string path = path_ + "/" + std::string(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(path);
    if (!writeAll(fd, bytes))
        fail(path);
    if (::close(fd) != 0)
        fail(path);
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
