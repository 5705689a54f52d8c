// setup.txt. The input is parsed directly and, written as setup.txt, read by the lookup window's
// start-up over small fixed dictionaries; then the events that depend on the options run (a
// stroke search that places the more link, the pinyin keyboard that lays its cells out, the
// options panel confirmed with the mouse).
//
// Checked: each option is one digit; a line that begins with three digits sets them; what is
// written reads back as itself; the start-up takes the options of the file's first 4,096 bytes;
// a confirm writes exactly the options it applied.
#include "core/lookup/lookupstate.h"
#include "core/settings/setupfile.h"
#include "core/text/gbk.h"
#include "fuzz/fixeddictionaries.h"
#include "fuzz/fuzzing.h"

using namespace tovrin;
using fuzz::require;

namespace {

const gbk::Codec codec;
fuzz::MemoryFiles files;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::writeFixedDictionaries(files);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const LookupOptions o = parseSetup(content);
    require(o.showAll <= 9 && o.winPos <= 9 && o.sizeMode <= 9, "each option is one digit");
    require(parseSetup(formatSetup(o)) == o, "what is written reads back as itself");
    auto digit = [&content](std::size_t k) {
        return k < content.size() && content[k] >= '0' && content[k] <= '9';
    };
    if (digit(0) && digit(1) && digit(2))
        require(o == LookupOptions{static_cast<std::uint8_t>(content[0] - '0'),
                                   static_cast<std::uint8_t>(content[1] - '0'),
                                   static_cast<std::uint8_t>(content[2] - '0')},
                "a line that begins with three digits sets them");

    files.write(kSetupFileName, content);
    LookupState s(codec);
    require(s.start(files.files(true)).empty(), "the options file is read");
    require(s.options() == parseSetup(content.substr(0, 4096)),
            "the start-up takes the options of the file's first 4,096 bytes");

    s.strokeClick(1);
    s.strokeClick(4);
    s.Label10_Click();
    s.Command1_Click();
    s.Command18_Click('a');
    s.Label68_Click();
    s.Command9_Click();
    s.Command14_Click();
    s.Command14_MouseUp();
    require(s.options().sizeMode <= 4 && s.options().winPos <= 2, "a confirm applies a choice");
    const std::string* written = files.find(kSetupFileName);
    require(written && *written == formatSetup(s.options()),
            "a confirm writes the options it applied");
    require(s.takeProblems().empty(), "nothing to tell the user");
    return 0;
}
