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
// Two windows take the same events: one searches over the stroke index, the other reads every
// search's run record by record. After every event they must show the same grid and the same
// more link. In a file sorted by strokes, after every stroke search the grid must hold the
// characters a plain scan of the bytes finds for the stroke string (the rare ones shown or held
// back), and after "更多" all of them.
//
// After every event the state, shown as tovrin-lookup's session shows it (every caption turned
// into UTF-8), must be one JSON object.
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/dict/strokeindex.h"
#include "core/lookup/layout.h"
#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"
#include "fuzz/fuzzing.h"
#include "fuzz/jsoncheck.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

using namespace tovrin;
using fuzz::require;

namespace {

const gbk::Codec codec;
fuzz::MemoryFiles files;

bool sameLink(const LookupView::MoreLink& a, const LookupView::MoreLink& b) {
    return a.visible == b.visible && a.left == b.left && a.top == b.top;
}

// The stroke string entered, as its digits.
std::string digitsOf(const LookupView& v) {
    return gbk::encode(v.Label6);
}

// Whether the last event ran a search of the stroke dictionary (rather than showing a preset
// list or keeping the grid of the first 12 strokes).
bool searched(const LookupView& v) {
    return !v.Label6.empty() && v.Label6.size() <= StrokeRecord::kStrokesWidth &&
           !LookupState::hasPresetList(digitsOf(v));
}

// The characters of every record whose strokes begin with the digits, in file order, in the
// grid's four groups: the records of exactly those strokes, then the others by rank (the 3,000
// most frequent, the rest of GB 2312, the rare ones).
struct Scan {
    gbk::Text exact, common, middle, rare;
};

Scan scan(const RecordFile& file, const std::string& digits) {
    std::array<char, StrokeRecord::kStrokesWidth> key;
    key.fill(' ');
    std::copy(digits.begin(), digits.end(), key.begin());
    Scan out;
    for (std::int64_t n = 1; n <= file.count(); ++n) {
        const StrokeRecord r = StrokeRecord::read(file.record(n));
        if (std::memcmp(r.strokes.data(), digits.data(), digits.size()) != 0)
            continue;
        gbk::Text& group = r.strokes == key                      ? out.exact
                           : r.rank <= StrokeIndex::kCommonRanks ? out.common
                           : r.rank <= StrokeIndex::kMiddleRanks ? out.middle
                                                                 : out.rare;
        group += gbk::trimRight(gbk::decode(view(r.character)));
    }
    return out;
}

LookupView::Cells sortedCells(LookupView::Cells cells) {
    std::sort(cells.begin(), cells.end());
    return cells;
}

// The grid's cells in no particular order: the first 51 characters of the groups in their
// order, the rare ones only when `withRare`, and empty cells after them.
LookupView::Cells expectedCells(const Scan& s, bool withRare) {
    gbk::Text shown = s.exact + s.common + s.middle;
    if (withRare)
        shown += s.rare;
    LookupView::Cells cells;
    cells.fill(LookupView::kNoCaption);
    std::copy_n(shown.begin(), std::min(shown.size(), cells.size()), cells.begin());
    return sortedCells(cells);
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
    LookupState walk(codec);
    walk.start(files.files(false), LookupState::StrokeIndexing::Skip);
    auto both = [&](auto&& event) {
        event(s);
        event(walk);
    };

    auto compare = [&] {
        const LookupView& v = s.view();
        require(v.Label1.size() == v.Label6.size(), "one stroke shape for every digit");
        require(v.Label11 == walk.view().Label11,
                "the grid over the stroke index equals the one read record by record");
        require(sameLink(v.Label10, walk.view().Label10),
                "the more link over the stroke index equals the one read record by record");
    };
    // The digits of the last search: "更多" shows all of its candidates.
    std::string lastSearch;
    auto afterStrokeEvent = [&] {
        compare();
        const LookupView& v = s.view();
        if (!searched(v))
            return;
        lastSearch = digitsOf(v);
        if (!sortedAndPrintable)
            return;
        // In a sorted file whose fields hold nothing below a space, the key padded with spaces
        // sorts directly before every record it begins: the search finds them all.
        const Scan found = scan(file, lastSearch);
        const LookupView::Cells cells = sortedCells(v.Label11);
        require(cells == expectedCells(found, false) || cells == expectedCells(found, true),
                "a sorted file: the grid shows what a plain scan of the bytes finds");
    };
    fuzz::Events events(input.events);
    while (!events.done()) {
        const unsigned op = events.next() % 10;
        if (op <= 4) {
            both([op](LookupState& x) { x.strokeClick(static_cast<int>(op) + 1); });
            afterStrokeEvent();
        } else if (op == 5) {
            both([](LookupState& x) { x.Command7_Click(); });
            afterStrokeEvent();
        } else if (op == 6) {
            const LookupView::MoreLink& link = s.view().Label10;
            if (link.visible && link.left < layout::kWindowWidth) {
                both([](LookupState& x) { x.Label10_Click(); });
                if (sortedAndPrintable && !lastSearch.empty())
                    require(sortedCells(s.view().Label11) ==
                                expectedCells(scan(file, lastSearch), true),
                            "a sorted file: \"更多\" shows all that a plain scan finds");
            }
        } else if (op == 7) {
            both([](LookupState& x) { x.Command8_Click(); });
            lastSearch.clear();
        } else if (op == 8) {
            const StrokeRecord r =
                StrokeRecord::read(file.record(fuzz::recordAt(events.next(), file.count())));
            const unsigned digits = events.next() % StrokeRecord::kStrokesWidth + 1;
            for (unsigned i = 0; i < digits; ++i) {
                const char d = r.strokes[i];
                if (d >= '1' && d <= '5') {
                    both([d](LookupState& x) { x.strokeClick(d - '0'); });
                    afterStrokeEvent();
                }
            }
        } else {
            const unsigned arg = events.next();
            if (arg % 2 == 0) {
                both([arg](LookupState& x) {
                    x.Command9_Click();
                    x.Label42_Click(static_cast<int>(arg / 2 % 2));
                    x.Label111_Click(static_cast<int>(arg / 4 % 5));
                    x.Command14_Click();
                    x.Command14_MouseUp();
                });
                lastSearch.clear(); // the panel clears the entry as "清" does
            } else {
                both([arg](LookupState& x) {
                    x.Label11_MouseDown(static_cast<int>(arg / 2 % layout::kGridCells));
                });
            }
        }
        compare();
        fuzz::requireValidReply(s, codec);
    }
    return 0;
}
