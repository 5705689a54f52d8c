#include "platform/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace tovrin::platform {

namespace {

// Something that is not a lock file (a folder, a named pipe, a link) where the lock belongs
// never comes from a copy of the program: it is stale. It is moved out of the way, or the lock
// could never be taken (and a named pipe would block the reading of it).
void takeStrayLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || S_ISREG(st.st_mode))
        return;
    qWarning("tovrin: %s is not a lock file; it is taken for a stale lock and moved aside",
             name.constData());
    if (::unlink(name.constData()) == 0 || ::rmdir(name.constData()) == 0)
        return;
    // A folder with something in it is kept, under another name.
    for (int n = 1; n < 1000; ++n) {
        const QByteArray aside = name + ".stale-" + QByteArray::number(n);
        if (::lstat(aside.constData(), &st) != 0 &&
            ::rename(name.constData(), aside.constData()) == 0)
            return;
    }
}

} // namespace

SingleInstance::SingleInstance(const QString& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".lock");
    takeStrayLock(path);
    lock_ = std::make_unique<QLockFile>(path);
    // A lock left by a crashed copy is taken over: QLockFile checks whether its process lives.
    lock_->setStaleLockTime(0);
    first_ = lock_->tryLock(0);
}

SingleInstance::~SingleInstance() = default;

} // namespace tovrin::platform
