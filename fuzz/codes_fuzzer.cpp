// The character-code dictionary. The input's bytes are looked up in memory (bisectFirstChar and
// collectCodes) and, written to 单字GBK.dat in the files of a program folder of its own, through
// the code look-up that a pick runs in the lookup window. Beside it a stroke dictionary gives the
// first character of every record a stroke string of its own, so that any of them can be picked.
// Events:
//
//   byte % 4   0 the first character of a record (next byte: which), looked up in memory
//              1 any two-byte unit (the next two bytes), looked up in memory
//              2 "清", then a pick of a cell of the default list (next byte: which)
//              3 the first character of a record typed by its strokes, which must show it in
//                cell 0, and picked there (next byte: which record)
//
// Checked: a hit is a record of the character; in a file sorted by character a character that is
// there is found; each code shown is one of the character's records near the hit, one per length,
// the hit's own among them; and the window's look-up says what the search in memory says.
//
// After every event the state, shown as tovrin-lookup's session shows it (every caption turned
// into UTF-8), must be one JSON object.
#include "core/dict/bisect.h"
#include "core/dict/codelookup.h"
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"
#include "fuzz/fuzzing.h"
#include "fuzz/jsoncheck.h"

#include <utility>
#include <vector>

using namespace tovrin;
using fuzz::require;

namespace {

const gbk::Codec codec;
fuzz::MemoryFiles files;

gbk::Text codeOf(const RecordFile& file, std::int64_t n) {
    return gbk::trim(gbk::decode(view(CodeRecord::read(file.record(n)).code)));
}

bool holds(const RecordFile& file, gbk::Char key) {
    for (std::int64_t n = 1; n <= file.count(); ++n)
        if (gbk::firstChar(file.record(n)) == key)
            return true;
    return false;
}

// Looks the character up in memory and checks what is found.
CodeLine lookUp(const RecordFile& file, bool sorted, gbk::Char key, bool& found) {
    const Bisection b = bisectFirstChar(file, key);
    found = b.found;
    if (file.count() > 0)
        require(b.pos >= 1 && b.pos <= file.count(), "the search stays within the file");
    if (b.found)
        require(gbk::firstChar(file.record(b.pos)) == key, "a hit is a record of the character");
    else if (sorted)
        require(!holds(file, key), "a sorted file: a character that is there is found");
    if (!b.found)
        return {};

    const CodeLine line = collectCodes(file, b.pos, key);
    gbk::Text summary = key == u' ' ? gbk::Text() : gbk::Text(1, key);
    const std::int64_t from = b.pos - 4 >= 1 ? b.pos - 4 : 1;
    for (std::size_t len = 1; len <= 4; ++len) {
        const std::u16string_view shown = line.byLength[len - 1];
        summary += shown;
        if (shown.empty())
            continue;
        require(shown.size() == len + 1 && shown[0] == u' ', "a code is a blank and its letters");
        bool near = false;
        for (std::int64_t n = from; n < from + 10 && n <= file.count(); ++n)
            near =
                near || (gbk::firstChar(file.record(n)) == key && u" " + codeOf(file, n) == shown);
        require(near, "a code shown is the character's, from a record near the hit");
    }
    require(line.summary == summary, "the summary is the character and its codes");
    const gbk::Text own = codeOf(file, b.pos);
    if (!own.empty() && own.size() <= 4)
        require(!line.byLength[own.size() - 1].empty(), "the hit's own code is shown");
    return line;
}

// The window's look-up of its current character against the same search in memory.
void checkWindow(const LookupView& s, const RecordFile& file, bool sorted) {
    const gbk::Text current = gbk::trim(s.Label25);
    require(current.size() == 1, "a pick makes one character the current one");
    bool found = false;
    const CodeLine line = lookUp(file, sorted, current[0], found);
    require(s.Label22 == codec.fromUtf8(found ? "找到" : "没有找到").value(),
            "the window says whether the character was found");
    if (!found)
        return;
    require(s.Label38 == line.byLength[0] && s.Label45 == line.byLength[1] &&
                s.Label46 == line.byLength[2] && s.Label48 == line.byLength[3],
            "the window shows the codes the search in memory finds");
    require(!s.Text1.empty() && s.Text1.front() == s.Label8, "the look-up is logged first");
    require(s.Text1.size() <= LookupView::kText1Lines, "the log keeps its newest lines");
    require(s.Picture1.visible, "a found character shows the link box");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split(data, size);
    files.write(CodeRecord::kFileName, input.file);
    const RecordFile file = RecordFile::fromBytes(input.file, CodeRecord::kLength);
    const bool sorted = fuzz::firstCharsSorted(file);

    std::vector<gbk::Char> characters;
    for (std::int64_t n = 1; n <= file.count(); ++n)
        characters.push_back(gbk::firstChar(file.record(n)));
    const fuzz::StrokeKeys keys(std::move(characters));
    files.write(StrokeRecord::kFileName, keys.dictionary());

    LookupState s(codec);
    s.start(files.files(false));

    fuzz::Events events(input.events);
    while (!events.done()) {
        const unsigned op = events.next() % 4;
        bool found = false;
        if (op == 0) {
            const auto n = fuzz::recordAt(events.next(), file.count());
            lookUp(file, sorted, gbk::firstChar(file.record(n)), found);
        } else if (op == 1) {
            const unsigned hi = events.next();
            const auto key = static_cast<gbk::Char>(hi << 8 | events.next());
            lookUp(file, sorted, key, found);
        } else if (op == 2) {
            s.Command8_Click();
            const int cell = static_cast<int>(events.next() % layout::kGridCells);
            const gbk::Char c = s.view().Label11[static_cast<std::size_t>(cell)];
            s.Label11_MouseDown(cell);
            if (LookupView::shows(c))
                checkWindow(s.view(), file, sorted);
        } else {
            const auto n = fuzz::recordAt(events.next(), file.count());
            const gbk::Char c = gbk::firstChar(file.record(n));
            if (keys.type(s, c)) {
                require(s.view().Label11[0] == c,
                        "a stroke string that one record holds shows its character first");
                s.Label11_MouseDown(0);
                require(s.view().Label25 == gbk::Text(1, c), "a pick makes it the current one");
                checkWindow(s.view(), file, sorted);
            }
        }
        fuzz::requireValidReply(s, codec);
    }
    return 0;
}
