#include "platform/startpage.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>

namespace tovrin::platform {

namespace {

constexpr std::string_view kKey = "start-page=";
// The store is a few short lines; a larger file is not ours to rewrite.
constexpr std::size_t kLargestFile = 1 << 20;

std::string storeFolder() {
    const std::string config = configFolder();
    return config.empty() ? config : joinPath(config, "tovrin");
}

// The file's lines without their line ends ("\n" or "\r\n").
template <class Visit> void forEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        visit(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

} // namespace

std::string StartPageStore::filePath() const {
    const std::string folder = storeFolder();
    return folder.empty() ? folder : joinPath(folder, "startpage.txt");
}

std::string StartPageStore::read() const {
    const std::string path = filePath();
    if (path.empty())
        return {};
    const FileBytes r = readWholeFile(path, kLargestFile);
    if (r.status != FileBytes::Status::Ok)
        return {};
    std::string value;
    forEachLine(r.bytes, [&value](std::string_view line) {
        if (line.starts_with(kKey))
            value = line.substr(kKey.size()); // the last one counts, as when it was written
    });
    return value;
}

bool StartPageStore::write(const std::string& address) {
    if (address.find_first_of("\r\n") != std::string::npos)
        return false;
    const std::string path = filePath();
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(storeFolder(), ec);
    if (ec)
        return false;
    // Other keys stay as they were; the start page takes the place of the old one.
    std::string text;
    bool placed = false;
    // The whole file is rewritten, or nothing: a file that cannot be read whole (too large,
    // unreadable, not a file) is left as it is rather than cut.
    const FileBytes old = readWholeFile(path, kLargestFile);
    if (old.status == FileBytes::Status::Unreadable)
        return false;
    if (old.status == FileBytes::Status::Ok) {
        forEachLine(old.bytes, [&](std::string_view line) {
            if (line.starts_with(kKey)) {
                if (placed)
                    return;
                text.append(kKey).append(address);
                placed = true;
            } else {
                text.append(line);
            }
            text += '\n';
        });
    }
    if (!placed)
        text.append(kKey).append(address).append("\n");
    return writeFileAtomically(path, text).empty();
}

} // namespace tovrin::platform
