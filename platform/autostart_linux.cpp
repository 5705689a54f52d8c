#include "platform/autostart.h"

#include "platform/desktopentry.h"

#include "platform/files.h"
#include "platform/paths.h"

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
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return joinPath(xdg, "autostart");
    if (const char* home = std::getenv("HOME"); home && *home)
        return joinPath(joinPath(home, ".config"), "autostart");
    return {};
}

// A desktop file is UTF-8 and its values hold no control characters except the escaped
// \n, \t and \r, which have no business in a program path.
bool fitsInEntry(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        std::size_t length = 1;
        char32_t min = 0;
        if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            min = 0x10000;
        } else if (c >= 0xE0) {
            length = c <= 0xEF ? 3 : 0;
            min = 0x800;
        } else if (c >= 0xC2) {
            length = 2;
            min = 0x80;
        } else if (c >= 0x80) {
            return false; // a continuation byte, an overlong lead or no lead at all
        }
        if (length == 0 || i + length > text.size())
            return false;
        char32_t code = c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (length > 1 && (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            return false;
        i += length;
    }
    return true;
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
    if (path.empty())
        return false;
    // No entry, or not even a folder where it would be: nothing to remove.
    return ::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR;
}

bool Autostart::isEnabled() const {
    const std::string path = entryPath();
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace tovrin::platform
