#include "platform/shortcuts.h"

#include "platform/desktopentry.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace tovrin::platform {

namespace {

namespace fs = std::filesystem;

std::string home() {
    const char* h = std::getenv("HOME");
    return h && *h ? std::string(h) : std::string();
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs, which the shell reads: a double-quoted path,
// either absolute or "$HOME" followed by the rest, with backslash escapes. nullopt when the line
// is absent or not in that form (the user-dirs tools accept no other).
std::optional<std::string> desktopFromUserDirs() {
    const std::string config = configFolder();
    if (config.empty())
        return std::nullopt;
    std::ifstream in(joinPath(config, "user-dirs.dirs"));
    std::optional<std::string> found;
    std::string line;
    while (std::getline(in, line)) {
        std::string_view rest(line);
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        constexpr std::string_view key = "XDG_DESKTOP_DIR=\"";
        if (!rest.starts_with(key))
            continue;
        rest.remove_prefix(key.size());
        std::string value;
        bool closed = false;
        for (std::size_t i = 0; i < rest.size(); ++i) {
            if (rest[i] == '\\' && i + 1 < rest.size()) {
                value += rest[++i];
            } else if (rest[i] == '"') {
                closed = true;
                break;
            } else {
                value += rest[i];
            }
        }
        if (!closed)
            continue;
        constexpr std::string_view homeVar = "$HOME";
        if (value.starts_with(homeVar) &&
            (value.size() == homeVar.size() || value[homeVar.size()] == '/')) {
            const std::string h = home();
            if (h.empty())
                continue;
            found = h + value.substr(homeVar.size());
        } else if (!value.empty() && value.front() == '/') {
            found = value;
        }
    }
    return found;
}

bool sameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool writeLauncher(const std::string& folder, const std::string& name, const std::string& entry,
                   mode_t mode) {
    const std::string path = joinPath(folder, name);
    return writeFileAtomically(path, entry).empty() && ::chmod(path.c_str(), mode) == 0;
}

} // namespace

std::string desktopFolder() {
    if (const std::optional<std::string> fromFile = desktopFromUserDirs()) {
        // Pointing the desktop at the home folder is how user-dirs.dirs turns it off.
        const std::string h = home();
        if (!h.empty() && (*fromFile == h || *fromFile == h + '/' || sameFolder(*fromFile, h)))
            return {};
        return *fromFile;
    }
    const std::string h = home();
    return h.empty() ? h : joinPath(h, "Desktop");
}

std::string chineseDesktopFolder() {
    const std::string h = home();
    return h.empty() ? h : joinPath(h, "桌面");
}

std::string applicationsFolder() {
    const std::string data = xdgFolder("XDG_DATA_HOME", ".local/share");
    return data.empty() ? data : joinPath(data, "applications");
}

std::string webHost(std::string_view url) {
    // Printable ASCII only: nothing that a desktop entry or a command line could misread.
    for (const char c : url) {
        if (c <= ' ' || c > '~')
            return {};
    }
    std::string_view rest;
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (url.size() >= scheme.size()) {
            bool same = true;
            for (std::size_t i = 0; i < scheme.size(); ++i) {
                char c = url[i];
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
                same = same && c == scheme[i];
            }
            if (same)
                rest = url.substr(scheme.size());
        }
    }
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.find('@') != std::string_view::npos)
        return {}; // user information would put a name before the real host
    if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        if (port.find_first_not_of("0123456789") != std::string_view::npos)
            return {};
        authority = authority.substr(0, colon);
    }
    std::string host;
    for (const char c : authority) {
        if (c >= 'A' && c <= 'Z')
            host += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.')
            host += c;
        else
            return {};
    }
    // A host is dot-separated labels, none empty: it is also a safe file name.
    if (host.empty() || host.front() == '.' || host.back() == '.' ||
        host.find("..") != std::string::npos)
        return {};
    return host;
}

std::string webLauncherEntry(std::string_view url, std::string_view host) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.5\n"
           "Name=" +
           std::string(host) +
           "\n"
           "Comment=在默认浏览器中打开 " +
           desktopentry::stringValue(url) +
           "\n"
           "Exec=xdg-open " +
           desktopentry::execArgument(url) +
           "\n"
           "TryExec=xdg-open\n"
           "Icon=web-browser\n"
           "Terminal=false\n"
           "Categories=Network;\n";
}

std::vector<std::string> createWebLaunchers(std::string_view url) {
    std::vector<std::string> made;
    const std::string host = webHost(url);
    if (host.empty())
        return made;
    const std::string name = host + ".desktop";
    const std::string entry = webLauncherEntry(url, host);
    // A launcher on the desktop is started by a double click, which file managers allow only
    // for executable entries.
    const std::string desktop = desktopFolder();
    if (!desktop.empty() && isFolder(desktop) && writeLauncher(desktop, name, entry, 0755))
        made.push_back(joinPath(desktop, name));
    const std::string chinese = chineseDesktopFolder();
    if (!chinese.empty() && isFolder(chinese) &&
        !(isFolder(desktop) && sameFolder(desktop, chinese)) &&
        writeLauncher(chinese, name, entry, 0755))
        made.push_back(joinPath(chinese, name));
    const std::string menu = applicationsFolder();
    if (!menu.empty()) {
        std::error_code ec;
        fs::create_directories(menu, ec);
        if (!ec && writeLauncher(menu, name, entry, 0644))
            made.push_back(joinPath(menu, name));
    }
    return made;
}

} // namespace tovrin::platform
