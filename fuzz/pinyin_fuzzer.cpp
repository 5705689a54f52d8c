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
// After every search and every page each cell shown is checked against its record: the
// character of record posPY + i, whose reading begins with the letters typed; "no match" shows
// no cell; and in a sorted file the cells start at the first record the letters begin.
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

bool readingBegins(const PinyinRecord& r, const std::string& typed) {
    return typed.size() <= r.pinyin.size() &&
           std::memcmp(r.pinyin.data(), typed.data(), typed.size()) == 0;
}

void checkCells(const LookupState& s, const RecordFile& file, bool sortedAndPrintable) {
    const std::string typed = gbk::encode(gbk::trimRight(s.Label2));
    if (s.Label69 == u"-1") {
        for (const gbk::Text& cell : s.Label66)
            require(cell.empty(), "no match shows no cell");
    } else {
        for (std::size_t i = 0; i < s.Label66.size(); ++i) {
            if (s.Label66[i].empty())
                continue;
            const PinyinRecord r = PinyinRecord::read(file.record(std::int64_t(s.posPY) + i));
            require(readingBegins(r, typed), "a cell's record begins with the letters typed");
            require(s.Label66[i] == gbk::trimRight(gbk::decode(view(r.character))),
                    "a cell shows its record's character");
        }
    }
    if (!sortedAndPrintable || s.Label67Active)
        return;
    // On the first page of a sorted file: the letters padded with spaces sort directly before
    // every reading they begin, so the search lands on the first of them.
    std::int64_t first = 0;
    for (std::int64_t n = 1; n <= file.count() && first == 0; ++n)
        if (readingBegins(PinyinRecord::read(file.record(n)), typed))
            first = n;
    if (first != 0) {
        require(s.Label69 != u"-1", "a sorted file: letters that begin a reading find it");
        require(s.posPY == first, "a sorted file: the cells start at the first match");
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
    int problems = 0;
    auto open = [&] {
        s.Command1_Click();
        require(s.Image8Visible && s.Label69 == u"0", "the keyboard opens at slot 0");
        problems += static_cast<int>(s.takeProblems().size());
        require(problems <= 1, "the pinyin dictionary is reported at most once");
        require(s.countPY == file.count(), "the mapped file has as many records as the bytes");
    };
    auto keyboard = [&] {
        if (!s.Image8Visible)
            open();
    };
    // A letter starts a search only while at most six letters are typed.
    auto letter = [&](char c) {
        keyboard();
        s.Command18_Click(c);
        if (s.Label63.size() <= PinyinRecord::kPinyinWidth)
            checkCells(s, file, sortedAndPrintable);
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
            const bool active = op == 3 ? s.Label68Active : s.Label67Active;
            if (op == 3)
                s.Label68_Click();
            else
                s.Label67_Click();
            if (active)
                checkCells(s, file, sortedAndPrintable);
        } else if (op == 5) {
            const bool searches = s.Image8Visible && s.Label63.size() > 1 &&
                                  s.Label63.size() <= PinyinRecord::kPinyinWidth + 1;
            s.Command7_Click();
            if (searches)
                checkCells(s, file, sortedAndPrintable);
        } else if (op == 6) {
            s.Command8_Click();
        } else if (op == 7) {
            keyboard();
            s.Label66_MouseDown(static_cast<int>(events.next() % layout::kPinyinCells));
        } else {
            s.strokeClick(static_cast<int>(events.next() % 5) + 1);
            require(!s.Image8Visible, "a stroke button closes the keyboard");
        }
        fuzz::requireValidReply(s, codec);
    }
    return 0;
}
