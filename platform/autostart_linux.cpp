#include "platform/autostart.h"

#include "core/text/gbk.h"

#include "platform/desktopentry.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrin::platform {

namespace {

constexpr std::string_view kEntryName = "Tovrin.desktop";

std::string autostartFolder() {
    const std::string config = configFolder();
    return config.empty() ? config : joinPath(config, "autostart");
}

// A desktop file is UTF-8, and its values can escape no control character but the newline, the
// tab and the carriage return.
bool fitsInEntry(std::string_view text) {
    const auto points = gbk::Codec::utf8ToCodePoints(text);
    return points && std::none_of(points->begin(), points->end(), [](char32_t c) {
               return (c < 0x20 && c != '\n' && c != '\t' && c != '\r') || c == 0x7F;
           });
}

} // namespace

std::string Autostart::entryPath() const {
    const std::string folder = autostartFolder();
    return folder.empty() ? folder : joinPath(folder, std::string(kEntryName));
}

bool Autostart::enable(const std::string& programPath) {
    if (programPath.empty() || programPath[0] != '/' || !fitsInEntry(programPath))
        return false;
    const std::string path = entryPath();
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(autostartFolder(), ec);
    if (ec)
        return false;
    // TryExec lets the session skip the entry quietly once the program has been moved away.
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Version=1.0\n"
                              "Name=Tovrin\n"
                              "Exec=" +
                              desktopentry::execArgument(programPath) +
                              "\n"
                              "TryExec=" +
                              desktopentry::stringValue(programPath) +
                              "\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n";
    return writeFileAtomically(path, entry).empty();
}

bool Autostart::disable() {
    const std::string path = entryPath();
    // No folder where an entry could be (no home), no entry, or not even a folder where it
    // would be: nothing to remove.
    if (path.empty())
        return true;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR;
}

bool Autostart::enabled() const {
    const std::string path = entryPath();
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace tovrin::platform
