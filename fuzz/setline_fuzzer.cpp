// set.txt: the first line of the input, read as the settings dialog and the chart window read it.
//
// Checked: the first line is a prefix of the text that ends at its first line end; a chart is
// 1-3 or unset, a key F1-F12 or unset, and each is set wherever the line holds its digits; a line
// that sets all three is what the dialog would write for that choice.
#include "core/settings/setline.h"
#include "fuzz/fuzzing.h"

#include <string>

using namespace tovrin;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovrin::settings;
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::string_view line = firstLine(content);
    require(content.substr(0, line.size()) == line, "the first line begins the text");
    require(line.find_first_of("\r\n") == std::string_view::npos, "a line holds no line end");
    require(line.size() == content.size() || content[line.size()] == '\r' ||
                content[line.size()] == '\n',
            "the first line ends at the first line end");

    const SetLine s = parseSetLine(line);
    require(s.chart >= 0 && s.chart <= 3, "a chart is 1-3 or unset");
    for (int key : {s.chartKey, s.lookupKey})
        require(key == 0 || (key >= kF1 && key <= kF12), "a key is F1-F12 or unset");
    if (!line.empty() && line[0] >= '1' && line[0] <= '3')
        require(s.chart == line[0] - '0', "a digit 1-3 sets the chart");
    // "01".."12" at characters 2-3 and 4-5 set the keys.
    auto keyAt = [&line](std::size_t at) {
        if (line.size() < at + 2)
            return 0;
        for (int n = 1; n <= 12; ++n)
            if (line.substr(at, 2) == std::string(n < 10 ? "0" : "") + std::to_string(n))
                return kF1 + n - 1;
        return 0;
    };
    require(s.chartKey == keyAt(1) && s.lookupKey == keyAt(3), "two digits 01-12 set a key");
    if (s.chart != 0 && s.chartKey != 0 && s.lookupKey != 0)
        require(buildSetLine(s.chart, keyName(s.chartKey), keyName(s.lookupKey)) ==
                    line.substr(0, 5),
                "a line that sets everything is the line the dialog writes");
    return 0;
}
