#include "platform/singleinstance.h"

#include "platform/commands.h"

#include <QFile>
#include <QLockFile>

#include <sys/stat.h>
#include <unistd.h>

namespace tovrin::platform {

namespace {

// Something that is not a lock file (a folder, a named pipe, a link) where the lock belongs
// never comes from a copy of the program: it is stale. It is first renamed to a name of this
// process's own, so that a copy starting at the same moment and taking a real lock there can
// never lose it to this clean-up; what was renamed is then removed, kept aside when it is a
// folder with something in it, or put back when it turns out to be a lock file after all.
void takeStrayLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || S_ISREG(st.st_mode))
        return;
    // A name of this process's own that nothing has yet.
    QByteArray aside;
    for (int n = 1; n <= 100 && aside.isEmpty(); ++n) {
        const QByteArray candidate =
            name + ".stale-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(n);
        if (::lstat(candidate.constData(), &st) != 0)
            aside = candidate;
    }
    if (aside.isEmpty() || ::rename(name.constData(), aside.constData()) != 0)
        return;
    if (::lstat(aside.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        ::rename(aside.constData(), name.constData()); // another copy's lock: not ours to take
        return;
    }
    qWarning("tovrin: %s is not a lock file; it is taken for a stale lock", name.constData());
    if (::unlink(aside.constData()) != 0)
        ::rmdir(aside.constData()); // a folder with something in it stays aside
}

} // namespace

SingleInstance::SingleInstance(const QString& name) {
    const QString path = runtimeFolder() + QLatin1Char('/') + name + QStringLiteral(".lock");
    takeStrayLock(path);
    lock_ = std::make_unique<QLockFile>(path);
    // A lock left by a crashed copy is taken over: QLockFile checks whether its process lives.
    lock_->setStaleLockTime(0);
    first_ = lock_->tryLock(0);
}

SingleInstance::~SingleInstance() = default;

} // namespace tovrin::platform
