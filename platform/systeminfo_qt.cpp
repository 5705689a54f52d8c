#include "platform/systeminfo.h"

#include <QOperatingSystemVersion>
#include <QStandardPaths>
#include <QSysInfo>
#include <QVersionNumber>

namespace tovrin::platform {

QString versionText() {
    // Qt knows the version of some systems only; elsewhere (Linux) the kernel's stands in.
    QVersionNumber v = QOperatingSystemVersion::current().version();
    if (v.isNull() || v.majorVersion() < 0)
        v = QVersionNumber::fromString(QSysInfo::kernelVersion());
    if (v.majorVersion() < 0 || v.minorVersion() < 0)
        return QStringLiteral(" 0.0");
    return QStringLiteral(" %1.%2").arg(v.majorVersion()).arg(v.minorVersion());
}

QString appDataFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace tovrin::platform
