// tovrin-lookup's session: each line of the input is one command, handled by a session over the
// lookup window's state on small fixed dictionaries (and a setup.txt reset to "000" for every
// input). Every reply must be one JSON object on one line, valid UTF-8, beginning with its "ok";
// a command that is refused must leave the state exactly as it was.
#include "core/lookup/lookupstate.h"
#include "core/session/session.h"
#include "core/settings/setupfile.h"
#include "core/text/gbk.h"
#include "fuzz/fixeddictionaries.h"
#include "fuzz/fuzzing.h"
#include "fuzz/jsoncheck.h"

using namespace tovrin;
using fuzz::require;

namespace {

const gbk::Codec codec;
fuzz::MemoryFiles files;

// A session longer than this teaches the fuzzer nothing a shorter one does not.
constexpr std::size_t kMostLines = 200;

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::writeFixedDictionaries(files);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    files.write(kSetupFileName, "000\r\n");
    LookupState state(codec);
    require(state.start(files.files(true)).empty(), "the fixed dictionaries open");
    Session session(state, codec);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::forEachLine(text, kMostLines, [&](std::string_view line) {
        const std::string before = session.reply(true);
        const std::string reply = session.handle(line);
        require(fuzz::isJsonObject(reply), "a reply is one JSON object on one line");
        require(fuzz::isWellFormedUtf8(reply), "a reply is valid UTF-8");
        if (startsWith(reply, R"({"ok":false,)")) {
            require(startsWith(reply, R"({"ok":false,"error":")"), "a refusal says why");
            require(session.reply(true) == before, "a refused command changes nothing");
        } else {
            require(startsWith(reply, R"({"ok":true,)"), "a reply begins with its \"ok\"");
        }
    });
    return 0;
}
