#include "tools/mkdict/output.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tovrin::mkdict {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

// The temporary file, removed unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target)
        : path_(target.parent_path() / ("." + target.filename().string() + ".XXXXXX")) {
        std::string name = path_.string();
        fd_ = ::mkstemp(name.data());
        if (fd_ < 0)
            fail(errno, "cannot create a temporary file beside " + target.string());
        path_ = name;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!renamed_)
            ::unlink(path_.c_str());
    }

    void write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                fail(n < 0 ? errno : EIO, "cannot write " + path_.string());
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

    void commit(const fs::path& target) {
        // Readable by everyone, like any other file of the program.
        if (::fchmod(fd_, 0644) != 0)
            fail(errno, "cannot set the mode of " + path_.string());
        if (::fsync(fd_) != 0)
            fail(errno, "cannot flush " + path_.string());
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            fail(errno, "cannot close " + path_.string());
        if (::rename(path_.c_str(), target.c_str()) != 0)
            fail(errno, "cannot rename " + path_.string() + " to " + target.string());
        renamed_ = true;
    }

private:
    fs::path path_;
    int fd_ = -1;
    bool renamed_ = false;
};

} // namespace

void writeFileAtomically(const fs::path& file, std::string_view bytes) {
    TemporaryFile temporary(file);
    temporary.write(bytes);
    temporary.commit(file);
}

void writeDictionaries(const Dictionaries& d, const fs::path& folder) {
    writeFileAtomically(folder / StrokeRecord::kFileName, recordBytes(d.strokes));
    writeFileAtomically(folder / CodeRecord::kFileName, recordBytes(d.codes));
    writeFileAtomically(folder / PhraseRecord::kFileName, recordBytes(d.phrases));
    writeFileAtomically(folder / PinyinRecord::kFileName, recordBytes(d.pinyin));
}

} // namespace tovrin::mkdict
