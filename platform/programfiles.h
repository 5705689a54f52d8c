// The program's files, found once when it starts (app/ makes one from its folders) and handed to
// the windows and tools: no window joins a path or reads a file by itself.
#pragma once

#include "core/lookup/lookupfiles.h"
#include "platform/paths.h"

#include <string>
#include <string_view>

namespace tovrin::platform {

class ProgramFiles {
public:
    // The dictionaries and pictures in `dataFolder`; setup.txt and set.txt in `settingsFolder`
    // (none when that is empty).
    ProgramFiles(std::string dataFolder, std::string settingsFolder);
    explicit ProgramFiles(const ProgramFolders& folders);

    // What the lookup window starts from: its four dictionaries, read whole, and setup.txt with
    // its writer.
    LookupFiles lookupFiles() const;
    // One dictionary, read whole, by its file name (the practice deck's codes and strokes).
    FileBytes dictionary(std::string_view name) const;

    // set.txt, the chart window's choices. An installed copy's first run reads the one shipped
    // with its data and keeps it in the user's folder from then on.
    FileBytes readSetFile() const;
    // Writes set.txt whole; "" when written.
    std::string writeSetFile(std::string_view bytes) const;
    std::string setFilePath() const; // where it is written, to name it to the user

    // Where a picture of the program's data stands (J1.bmp, 拼音4.bmp, 86wb.bmp).
    std::string picturePath(std::string_view name) const;

    const std::string& dataFolder() const { return data_; }
    const std::string& settingsFolder() const { return settings_; }

private:
    std::string data_;
    std::string settings_;
};

} // namespace tovrin::platform
