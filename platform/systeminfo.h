// Facts about the system that the windows show or pass on.
#pragma once

#include <QString>

namespace tovrin::platform {

// The operating system's version as " major.minor" (a blank first), or " 0.0" when unknown.
QString versionText();

// The user's folder for application data, ending in a slash.
QString appDataFolder();

} // namespace tovrin::platform
