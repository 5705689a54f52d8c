#include "platform/singleinstance.h"

#include "platform/paths.h"
#include "platform/runtimefolder.h"

#include <QFile>
#include <QLockFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tovrin::platform {

namespace {

// Why nothing can be written in `folder` (read-only, full): tried with a file of this process's
// own, removed again.
std::string whyUnwritable(const std::string& folder) {
    const std::string probe = joinPath(folder, ".tovrin-probe-" + std::to_string(::getpid()));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::strerror(errno);
    const char pid[] = "12345678\n";
    const bool written = ::write(fd, pid, sizeof pid - 1) == static_cast<ssize_t>(sizeof pid - 1);
    const int error = errno;
    ::close(fd);
    ::unlink(probe.c_str());
    return written ? "the lock file could not be made" : std::strerror(error);
}

} // namespace

SingleInstance::SingleInstance(const QString& name) {
    const RuntimeFolder folder = privateRuntimeFolder();
    if (folder.path.empty()) {
        why_ = "no folder of this user's own for the lock: " + folder.why;
        return;
    }
    const std::string path = joinPath(folder.path, name.toStdString() + ".lock");
    moveStrayAside(path, S_IFREG);
    lock_ = std::make_unique<QLockFile>(QFile::decodeName(QByteArray::fromStdString(path)));
    // A lock left by a crashed copy is taken over: QLockFile checks whether its process lives.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        state_ = State::First;
    } else if (lock_->error() == QLockFile::LockFailedError) {
        state_ = State::Another;
        QString host, application;
        lock_->getLockInfo(&holder_, &host, &application);
    } else {
        why_ = "cannot write the lock " + path + ": " + whyUnwritable(folder.path);
    }
}

SingleInstance::~SingleInstance() = default;

} // namespace tovrin::platform
