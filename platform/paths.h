// Where the program's own files are.
#pragma once

#include <string>

namespace tovrin::platform {

// The folder that holds the running executable, without a trailing slash; "." when the system
// cannot tell.
std::string programFolder();

// `folder` joined with `name` by exactly one slash.
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace tovrin::platform
