#include "platform/programfiles.h"

#include "core/dict/records.h"
#include "core/settings/setline.h"
#include "core/settings/setupfile.h"
#include "platform/files.h"

namespace tovrin::platform {

ProgramFiles::ProgramFiles(std::string dataFolder, std::string settingsFolder)
    : data_(std::move(dataFolder)), settings_(std::move(settingsFolder)) {}

ProgramFiles::ProgramFiles(const ProgramFolders& folders)
    : ProgramFiles(folders.data, platform::settingsFolder(folders)) {}

LookupFiles ProgramFiles::lookupFiles() const {
    LookupFiles files;
    auto read = [this](std::string_view name) {
        return readWholeFile(joinPath(data_, std::string(name)));
    };
    files.strokes = read(StrokeRecord::kFileName);
    files.phrases = read(PhraseRecord::kFileName);
    files.codes = read(CodeRecord::kFileName);
    files.pinyin = read(PinyinRecord::kFileName);
    if (!settings_.empty()) {
        const std::string setup = joinPath(settings_, std::string(kSetupFileName));
        files.setup = readSmallFile(setup);
        files.writeSetup = [setup](std::string_view bytes) {
            return writeFileAtomically(setup, bytes);
        };
    }
    return files;
}

FileBytes ProgramFiles::dictionary(std::string_view name) const {
    return readWholeFile(joinPath(data_, std::string(name)));
}

std::string ProgramFiles::setFilePath() const {
    return joinPath(settings_, std::string(settings::kSetFileName));
}

FileBytes ProgramFiles::readSetFile() const {
    const std::string path = setFilePath();
    FileBytes set = readSmallFile(path);
    if (set.status == FileBytes::Status::Missing && data_ != settings_) {
        set = readSmallFile(joinPath(data_, std::string(settings::kSetFileName)));
        if (set.status == FileBytes::Status::Ok)
            writeFileAtomically(path, settings::fileText(settings::lineOf(set)));
    }
    return set;
}

std::string ProgramFiles::writeSetFile(std::string_view bytes) const {
    return writeFileAtomically(setFilePath(), bytes);
}

std::string ProgramFiles::picturePath(std::string_view name) const {
    return joinPath(data_, std::string(name));
}

} // namespace tovrin::platform
