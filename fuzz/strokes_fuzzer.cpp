// The stroke dictionary. The input's file becomes vezari.dat in the files of a program folder of
// its own (the other dictionaries are missing), and its events are what the user can do to the
// character grid:
//
//   byte % 10   0-4 the stroke button of digit 1-5     5 "←"     6 "更多", when it is shown
//               7 "清"
//               8 type the digits 1-5 of the strokes of a record (next byte: which record,
//                 the one after: how many digits, 1-12)
//               9 next byte even: the options panel (display and size from the byte), confirmed
//                 with the mouse; odd: a pick of a grid cell
//
// After every stroke search the grid, the more link and what "更多" would show are checked
// against the plain scan that the search's shortcuts must agree with; and the place the search
// starts from is checked against the file whenever the file is sorted.
//
// After every event the state, shown as tovrin-lookup's session shows it (every caption turned
// into UTF-8), must be one JSON object.
#include "core/gbk.h"
#include "core/lookupstate.h"
#include "core/recordfile.h"
#include "core/records.h"
#include "fuzz/fuzzing.h"
#include "fuzz/jsoncheck.h"

#include <cstring>

using namespace tovrin;
using fuzz::require;

namespace {

const gbk::Codec codec;
fuzz::MemoryFiles files;

bool sameLink(const LookupState::MoreLink& a, const LookupState::MoreLink& b) {
    return a.visible == b.visible && a.left == b.left && a.top == b.top;
}

void checkInvariants(const LookupState& s) {
    require(s.Label1.size() == s.Label6.size(), "one stroke shape for every digit");
    for (const gbk::Text& cell : s.Label11)
        require(cell.size() <= 1, "a grid cell holds at most one character");
}

// Whether the last event ran a search of the stroke dictionary (rather than showing a preset
// list or keeping the grid of the first 12 strokes).
bool searched(const LookupState& s) {
    return !s.Label6.empty() && s.Label6.size() <= StrokeRecord::kStrokesWidth &&
           !s.presetFor(s.Label6);
}

// The first record whose strokes begin with the digits, or 0.
std::int64_t firstMatch(const RecordFile& file, const std::string& digits) {
    for (std::int64_t n = 1; n <= file.count(); ++n) {
        const StrokeRecord r = StrokeRecord::read(file.record(n));
        if (std::memcmp(r.strokes.data(), digits.data(), digits.size()) == 0)
            return n;
    }
    return 0;
}

void checkSearch(LookupState& s, const RecordFile& file, bool sortedAndPrintable) {
    // Where the scan starts: in a sorted file whose fields hold nothing below a space, the key
    // padded with spaces sorts directly before every record it begins, so the search must land
    // on the first of them.
    if (sortedAndPrintable) {
        const std::string digits = gbk::encode(s.Label6);
        const std::int64_t first = firstMatch(file, digits);
        if (first != 0)
            require(s.pos1 == first, "a sorted file: the scan starts at the first match");
    }

    // The shortcuts of display() against the plain scan, for the grid and the more link both
    // as the search leaves them and after "更多".
    const auto grid = s.Label11;
    const auto link = s.Label10;
    s.Label10_Click();
    const auto more = s.Label11;
    s.displayWalk();
    require(s.Label11 == grid, "the grid equals the plain scan's");
    require(sameLink(s.Label10, link), "the more link equals the plain scan's");
    s.Label10_Click();
    require(s.Label11 == more, "\"更多\" shows what it shows after the plain scan");
    s.displayWalk(); // back to what the search showed
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split(data, size);
    files.write(StrokeRecord::kFileName, input.file);
    const RecordFile file = RecordFile::fromBytes(input.file, StrokeRecord::kLength);
    const bool sortedAndPrintable =
        fuzz::fieldsSorted(file, StrokeRecord::kStrokesOffset, StrokeRecord::kStrokesWidth) &&
        fuzz::fieldsPrintable(file, StrokeRecord::kStrokesOffset, StrokeRecord::kStrokesWidth);

    LookupState s(codec);
    s.start(files.files(false));
    require(s.count1 == file.count(), "the mapped file has as many records as the bytes");

    auto afterStrokeEvent = [&] {
        checkInvariants(s);
        if (searched(s))
            checkSearch(s, file, sortedAndPrintable);
    };
    fuzz::Events events(input.events);
    while (!events.done()) {
        const unsigned op = events.next() % 10;
        if (op <= 4) {
            s.strokeClick(static_cast<int>(op) + 1);
            afterStrokeEvent();
        } else if (op == 5) {
            s.Command7_Click();
            afterStrokeEvent();
        } else if (op == 6) {
            if (s.Label10.visible && s.Label10.left < layout::kWindowWidth)
                s.Label10_Click();
        } else if (op == 7) {
            s.Command8_Click();
        } else if (op == 8) {
            const StrokeRecord r =
                StrokeRecord::read(file.record(fuzz::recordAt(events.next(), file.count())));
            const unsigned digits = events.next() % StrokeRecord::kStrokesWidth + 1;
            for (unsigned i = 0; i < digits; ++i) {
                const char d = r.strokes[i];
                if (d >= '1' && d <= '5') {
                    s.strokeClick(d - '0');
                    afterStrokeEvent();
                }
            }
        } else {
            const unsigned arg = events.next();
            if (arg % 2 == 0) {
                s.Command9_Click();
                s.Label42_Click(static_cast<int>(arg / 2 % 2));
                s.Label111_Click(static_cast<int>(arg / 4 % 5));
                s.Command14_Click();
                s.Command14_MouseUp();
            } else {
                s.Label11_MouseDown(static_cast<int>(arg / 2 % layout::kGridCells));
            }
        }
        checkInvariants(s);
        fuzz::requireValidReply(s, codec);
    }
    return 0;
}
