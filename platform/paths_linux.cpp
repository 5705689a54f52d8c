#include "platform/paths.h"

#include "core/dict/records.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <stdlib.h>
#include <unistd.h>

namespace tovrin::platform {

std::string programFolder() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    std::string path(buf, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

namespace {

// $XDG_CONFIG_HOME/tovrin, created (a failure shows when a file is written there).
std::string userSettingsFolder() {
    std::string config = configFolder();
    if (config.empty())
        config = "/tmp";
    const std::string folder = joinPath(config, "tovrin");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

// Whether `folder`, however it is named (links, ".."), is an installed copy's data folder: the
// running program's, or <prefix>/share/tovrin where <prefix>/bin is an installed program folder.
bool isInstalledData(const std::string& folder) {
    std::error_code ec;
    const std::filesystem::path data = std::filesystem::canonical(folder, ec);
    if (ec)
        return false;
    auto holds = [&data](const ProgramFolders& folders) {
        std::error_code e;
        return folders.installed && std::filesystem::equivalent(folders.data, data, e);
    };
    const std::filesystem::path share = data.parent_path();
    return holds(programFolders(programFolder())) ||
           (data.filename() == "tovrin" && share.filename() == "share" &&
            holds(programFolders((share.parent_path() / "bin").string())));
}

} // namespace

std::string settingsFolder(const std::string& programFolder) {
    // An installed copy's data folder is left as the package put it, even for root.
    if (isInstalledData(programFolder))
        return userSettingsFolder();
    std::string probe = joinPath(programFolder, ".tovrin-write-test-XXXXXX");
    const int fd = mkstemp(probe.data());
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.c_str());
        return programFolder;
    }
    return userSettingsFolder();
}

ProgramFolders programFolders(const std::string& programFolder) {
    const std::string marker(StrokeRecord::kFileName); // a dictionary every copy has
    std::error_code ec;
    if (!std::filesystem::exists(joinPath(programFolder, marker), ec)) {
        const std::string installed = joinPath(programFolder, "../share/tovrin");
        if (std::filesystem::exists(joinPath(installed, marker), ec))
            return {std::filesystem::path(installed).lexically_normal().string(), true};
    }
    return {programFolder, false};
}

std::string settingsFolder(const ProgramFolders& folders) {
    return folders.installed ? userSettingsFolder() : settingsFolder(folders.data);
}

std::string xdgFolder(const char* variable, const char* underHome) {
    if (const char* v = std::getenv(variable); v && *v == '/')
        return v;
    if (const char* home = std::getenv("HOME"); home && *home)
        return joinPath(home, underHome);
    return {};
}

std::string configFolder() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

} // namespace tovrin::platform
