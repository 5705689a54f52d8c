// What the fuzzers found, each kept as the smallest input that shows it.
#include "core/dict/records.h"
#include "core/lookup/lookupstate.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <string>

using namespace tovrin;
using namespace tovrin::testdata;

// GBK's lead bytes end at FE, so a unit with lead FF is no character; but the table of two-byte
// characters was indexed with it, and FF 40 to FF FE read past the table's end.
TEST(FuzzFinds, UnitsWithLeadByteFFAreNoCharacters) {
    for (unsigned trail = 0; trail <= 0xFF; ++trail)
        EXPECT_EQ(codec().toUnicode(static_cast<gbk::Char>(0xFF00 | trail)), U'\uFFFD') << trail;
}

// The inputs as the dictionary fuzzers found them: a damaged record whose character begins with
// FF reaches the grid, and the grid is turned into text (the session's reply, the window's
// captions).
TEST(FuzzFinds, DamagedCharactersWithLeadByteFFShowAsReplacements) {
    LookupFiles files;
    // strokes_fuzzer: one stroke record cut after 9 bytes, character FF 9F, strokes "3121311";
    // the strokes 3 1 2 find it.
    files.strokes = FileBytes::of(std::string("\xFF\x9F") + "3121311");
    // pinyin_fuzzer: one pinyin record cut after 5 bytes, character FF 61, reading "n".
    files.pinyin = FileBytes::of(std::string("\xFF\x61n\xFF\xFF", 5));

    LookupState s(codec());
    s.start(std::move(files));
    for (int digit : {3, 1, 2})
        s.strokeClick(digit);
    ASSERT_EQ(s.view().Label11[0], 0xFF9F);
    EXPECT_EQ(utf8(LookupView::captionOf(s.view().Label11[0])), "\xEF\xBF\xBD");

    s.Command1_Click();
    s.Command18_Click('n');
    ASSERT_EQ(s.view().Label66[0], 0xFF61);
    EXPECT_EQ(utf8(LookupView::captionOf(s.view().Label66[0])), "\xEF\xBF\xBD");
}
