// The pinyin dictionary. The input's file becomes vezariPY.dat in the files of a program folder of
// its own (the other dictionaries are missing), and its events are the pinyin keyboard's:
//
//   byte % 9   0 "用拼音查"
//              1 a letter button (next byte: which letter)
//              2 the letters of a record's reading typed one by one (next byte: which record)
//              3 next page      4 previous page      5 "←"      6 "清"
//              7 a pick of a pinyin cell (next byte: which)
//              8 a stroke button (next byte: which), which closes the keyboard
// Letters, pages and pinyin picks need the keyboard open; a closed one is opened first.
//
// After every search and every page each cell shown is checked: it shows the character of a
// record whose reading begins with the letters typed; "no match" shows no cell. In a file sorted
// by reading the cells are checked one by one against a plain scan of the bytes: the records
// from the first one the letters begin, a page of 36 further for every page turned, each cell
// showing its record's character when the record's reading begins with the letters and nothing
// otherwise.
//
// After every event the state, shown as tovrin-lookup's session shows it (every caption turned
// into UTF-8), must be one JSON object.
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/lookup/layout.h"
#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"
#include "fuzz/fuzzing.h"
#include "fuzz/jsoncheck.h"

#include <bitset>
#include <cstring>
#include <string>

using namespace tovrin;
using fuzz::require;

namespace {

const gbk::Codec codec;
fuzz::MemoryFiles files;

bool readingBegins(const PinyinRecord& r, const std::string& typed) {
    return typed.size() <= r.pinyin.size() &&
           std::memcmp(r.pinyin.data(), typed.data(), typed.size()) == 0;
}

// What a cell shows for its record: the first character of the character field without its
// padding, or nothing for a blank field.
gbk::Char characterOf(const PinyinRecord& r) {
    const gbk::Text text = gbk::trimRight(gbk::decode(view(r.character)));
    return text.empty() ? LookupView::kNoCaption : text[0];
}

// The letters as the window looks them up: the key without its padding, with the u of lue and
// nue read as the dictionary's v.
std::string lookedUp(const LookupView& v) {
    std::string typed = gbk::encode(gbk::trimRight(v.Label2));
    if (typed.size() >= 3 && (typed[0] == 'l' || typed[0] == 'n') && typed[1] == 'u' &&
        typed[2] == 'e')
        typed[1] = 'v';
    return typed;
}

// `page`: the pages turned forward since the last search, less those turned back.
void checkCells(const LookupView& s, const RecordFile& file, bool sortedAndPrintable, int page) {
    const std::string typed = lookedUp(s);
    if (s.Label69 == u"-1") {
        for (const gbk::Char cell : s.Label66)
            require(cell == LookupView::kNoCaption, "no match shows no cell");
    } else {
        std::bitset<0x10000> begun; // the characters of the records the letters begin
        for (std::int64_t n = 1; n <= file.count(); ++n) {
            const PinyinRecord r = PinyinRecord::read(file.record(n));
            if (readingBegins(r, typed))
                begun[characterOf(r)] = true;
        }
        for (const gbk::Char cell : s.Label66)
            require(cell == LookupView::kNoCaption || begun[cell],
                    "a cell shows the character of a record the letters begin");
    }
    // Cleared letters page through the records from where the last search left them.
    if (!sortedAndPrintable || typed.empty())
        return;
    // The letters padded with spaces sort directly before every reading they begin, so the
    // first page starts at the first of them.
    std::int64_t first = 0;
    for (std::int64_t n = 1; n <= file.count() && first == 0; ++n)
        if (readingBegins(PinyinRecord::read(file.record(n)), typed))
            first = n;
    if (first == 0) {
        for (const gbk::Char cell : s.Label66)
            require(cell == LookupView::kNoCaption, "a sorted file: letters that begin no reading "
                                                    "show no cell");
        return;
    }
    require(s.Label69 != u"-1", "a sorted file: letters that begin a reading find it");
    const std::int64_t from = first + std::int64_t(layout::kPinyinCells) * page;
    for (std::size_t i = 0; i < s.Label66.size(); ++i) {
        const PinyinRecord r = PinyinRecord::read(file.record(from + std::int64_t(i)));
        const gbk::Char expected =
            readingBegins(r, typed) ? characterOf(r) : LookupView::kNoCaption;
        require(s.Label66[i] == expected,
                "a sorted file: the cells show the records from the first match on");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split(data, size);
    files.write(PinyinRecord::kFileName, input.file);
    const RecordFile file = RecordFile::fromBytes(input.file, PinyinRecord::kLength);
    const bool sortedAndPrintable =
        fuzz::fieldsSorted(file, PinyinRecord::kPinyinOffset, PinyinRecord::kPinyinWidth) &&
        fuzz::fieldsPrintable(file, PinyinRecord::kPinyinOffset, PinyinRecord::kPinyinWidth);

    LookupState s(codec);
    s.start(files.files(false));
    const LookupView& v = s.view();
    int problems = 0;
    int page = 0;
    auto open = [&] {
        s.Command1_Click();
        require(v.Image8Visible && v.Label69 == u"0", "the keyboard opens at slot 0");
        problems += static_cast<int>(s.takeProblems().size());
        require(problems <= 1, "the pinyin dictionary is reported at most once");
    };
    auto keyboard = [&] {
        if (!v.Image8Visible)
            open();
    };
    // A letter starts a search only while at most six letters are typed.
    auto letter = [&](char c) {
        keyboard();
        s.Command18_Click(c);
        if (v.Label63.size() <= PinyinRecord::kPinyinWidth) {
            page = 0;
            checkCells(v, file, sortedAndPrintable, page);
        }
    };

    fuzz::Events events(input.events);
    while (!events.done()) {
        const unsigned op = events.next() % 9;
        if (op == 0) {
            open();
        } else if (op == 1) {
            letter(static_cast<char>('a' + events.next() % 26));
        } else if (op == 2) {
            const PinyinRecord r =
                PinyinRecord::read(file.record(fuzz::recordAt(events.next(), file.count())));
            for (char c : r.pinyin)
                if (c >= 'a' && c <= 'z')
                    letter(c);
        } else if (op == 3 || op == 4) {
            keyboard();
            const bool active = op == 3 ? v.Label68Active : v.Label67Active;
            if (op == 3)
                s.Label68_Click();
            else
                s.Label67_Click();
            if (active) {
                page += op == 3 ? 1 : -1;
                checkCells(v, file, sortedAndPrintable, page);
            }
        } else if (op == 5) {
            const bool searches = v.Image8Visible && v.Label63.size() > 1 &&
                                  v.Label63.size() <= PinyinRecord::kPinyinWidth + 1;
            s.Command7_Click();
            if (searches) {
                page = 0;
                checkCells(v, file, sortedAndPrintable, page);
            }
        } else if (op == 6) {
            s.Command8_Click();
        } else if (op == 7) {
            keyboard();
            s.Label66_MouseDown(static_cast<int>(events.next() % layout::kPinyinCells));
        } else {
            s.strokeClick(static_cast<int>(events.next() % 5) + 1);
            require(!v.Image8Visible, "a stroke button closes the keyboard");
        }
        fuzz::requireValidReply(s, codec);
    }
    return 0;
}
