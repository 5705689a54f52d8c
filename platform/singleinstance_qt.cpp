#include "platform/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tovrin::platform {

SingleInstance::SingleInstance(const QString& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(folder + QLatin1Char('/') + name + QStringLiteral(".lock"));
    // A lock left by a crashed copy is taken over: QLockFile checks whether its process lives.
    lock_->setStaleLockTime(0);
    first_ = lock_->tryLock(0);
}

SingleInstance::~SingleInstance() = default;

} // namespace tovrin::platform
