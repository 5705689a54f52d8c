#include "core/lookup/lookupstate.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tovrin;
using namespace tovrin::testdata;

namespace {

class Pinyin : public ::testing::Test {
protected:
    void open(const std::vector<std::pair<std::string, std::string>>& rows) {
        std::string bytes;
        for (const auto& [ch, py] : rows) {
            PinyinRecord r;
            writeField(r.character.data(), r.character.size(), ch);
            writeField(r.pinyin.data(), r.pinyin.size(), py);
            append(bytes, r);
        }
        openBytes(std::move(bytes));
    }
    void openBytes(std::string bytes) {
        LookupFiles files;
        files.pinyin = FileBytes::of(std::move(bytes));
        s = std::make_unique<LookupState>(codec());
        s->start(std::move(files));
        s->Command1_Click();
    }
    const LookupView& v() const { return s->view(); }
    void type(std::string_view letters) {
        for (char c : letters)
            s->Command18_Click(c);
    }
    std::string cells() const {
        std::string out;
        for (const gbk::Char c : v().Label66)
            out += c == LookupView::kNoCaption ? "_" : utf8(LookupView::captionOf(c));
        return out;
    }
    std::string slot() const { return utf8(v().Label69); }

    std::unique_ptr<LookupState> s;
};

// n characters read `reading`, hz(first) onwards.
std::vector<std::pair<std::string, std::string>> readings(const std::string& reading, int first,
                                                          int n) {
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < n; ++i)
        out.emplace_back(gbk::encode(hz(first + i)), reading);
    return out;
}

std::string run(int first, int n) {
    gbk::Text t;
    for (int i = 0; i < n; ++i)
        t += hz(first + i);
    return utf8(t);
}

template <class... Parts> auto concat(Parts... parts) {
    std::vector<std::pair<std::string, std::string>> out;
    (out.insert(out.end(), parts.begin(), parts.end()), ...);
    return out;
}

} // namespace

TEST_F(Pinyin, OpeningTheKeyboard) {
    open(readings("a", 0, 3));
    EXPECT_TRUE(v().Image8Visible);
    EXPECT_EQ(slot(), "0");
    EXPECT_EQ(v().Label66[0], u' ');
    EXPECT_FALSE(v().Label67Active || v().Label68Active);
    // The cells move to the table's places for the current size.
    EXPECT_EQ(v().Label66Rect[11].left, 2200 + 408 * 11);
    EXPECT_EQ(v().Label66Rect[35].top, 1800);
}

TEST_F(Pinyin, ExactReadingsStartAtTheirFirstRecord) {
    // 40 characters read "a": the page starts at the first of them, also with a reading of a
    // control byte ahead of them.
    const auto rows = concat(readings("a", 0, 40), readings("ai", 40, 3), readings("ba", 50, 2));
    for (const bool control : {false, true}) {
        auto all = rows;
        if (control)
            all.insert(all.begin(), {gbk::encode(hz(60)), "\x01"});
        open(all);
        type("a");
        EXPECT_EQ(cells(), run(0, 36)) << control;
    }
    EXPECT_EQ(slot(), "36");
    EXPECT_FALSE(v().Label67Active);
    EXPECT_TRUE(v().Label68Active); // the last cell still matched
    EXPECT_EQ(utf8(v().Label2), "a     ");

    s->Label68_Click(); // the rest of "a", then "ai", which also begins with a
    EXPECT_EQ(cells(), run(36, 7) + std::string(29, '_'));
    EXPECT_EQ(slot(), "72");
    EXPECT_TRUE(v().Label67Active);
    EXPECT_FALSE(v().Label68Active);
    s->Label68_Click(); // inactive: nothing happens
    EXPECT_EQ(slot(), "72");

    s->Label67_Click();
    EXPECT_EQ(cells(), run(0, 36));
    EXPECT_EQ(slot(), "36");
    EXPECT_FALSE(v().Label67Active);
    EXPECT_TRUE(v().Label68Active);
}

TEST_F(Pinyin, WholeCutAndOneByteRecordsShowTheSameWay) {
    // Whole records of two-byte characters are compared in place; one of a one-byte character,
    // and one cut short at the end of the file, are read whole.
    openBytes(gbk::encode(hz(0)) + "ba    " + "x ba    " + gbk::encode(hz(1)) + "ba    " +
              gbk::encode(hz(2)) + "ba  ");
    type("ba");
    EXPECT_EQ(cells(), utf8(hz(0)) + "x" + run(1, 2) + std::string(32, '_'));
}

TEST_F(Pinyin, PrefixesShowEveryLongerReading) {
    open(concat(readings("za", 0, 2), readings("zha", 2, 2), readings("zhang", 4, 3),
                readings("zhe", 7, 1), readings("zi", 8, 1)));
    type("zh");
    EXPECT_EQ(cells(), run(2, 6) + std::string(30, '_'));
    EXPECT_EQ(slot(), "36");
    EXPECT_FALSE(v().Label68Active);
    type("ang");
    EXPECT_EQ(cells(), run(4, 3) + std::string(33, '_'));
    EXPECT_EQ(utf8(v().Label63), "zhang");
}

TEST_F(Pinyin, LueAndNueFindTheReadingsWrittenWithV) {
    open(concat(readings("lu", 0, 2), readings("luan", 2, 1), readings("lve", 3, 2),
                readings("nve", 5, 1)));
    type("lu");
    EXPECT_EQ(cells(), run(0, 3) + std::string(33, '_'));
    type("e");
    EXPECT_EQ(cells(), run(3, 2) + std::string(34, '_'));
    EXPECT_EQ(utf8(v().Label63), "lue"); // shown as typed
    s->Command8_Click();
    type("nue");
    EXPECT_EQ(cells(), run(5, 1) + std::string(35, '_'));
}

TEST_F(Pinyin, NoMatchAndTooManyLetters) {
    open(concat(readings("ba", 0, 2), readings("zhuang", 2, 2)));
    type("q");
    EXPECT_EQ(slot(), "-1");
    EXPECT_EQ(cells(), std::string(36, '_'));
    EXPECT_FALSE(v().Label67Active || v().Label68Active);
    s->Command8_Click(); // "清" resets the pinyin input only
    EXPECT_EQ(slot(), "Label69");
    EXPECT_TRUE(v().Label63.empty());

    type("zhuang");
    EXPECT_EQ(cells(), run(2, 2) + std::string(34, '_'));
    type("x"); // a seventh letter shows but starts no search
    EXPECT_EQ(utf8(v().Label63), "zhuangx");
    EXPECT_EQ(cells(), run(2, 2) + std::string(34, '_'));
    // Before the first record and after the last.
    s->Command1_Click();
    type("a");
    EXPECT_EQ(slot(), "-1");
    s->Command1_Click();
    type("zz");
    EXPECT_EQ(slot(), "-1");
}

TEST_F(Pinyin, BackSpacesLettersThenHistory) {
    open(concat(readings("ba", 0, 2), readings("bai", 2, 2)));
    for (int i : {0, 1}) { // two picks from the pinyin grid
        type("ba");
        s->Label66_MouseDown(i);
    }
    ASSERT_EQ(v().Label19, hz(0) + hz(1));
    type("bai");
    s->Command7_Click();
    EXPECT_EQ(utf8(v().Label63), "ba");
    EXPECT_EQ(cells(), run(0, 4) + std::string(32, '_'));
    s->Command7_Click();
    s->Command7_Click(); // removes the last letter: blank cells, the history kept
    EXPECT_TRUE(v().Label63.empty());
    EXPECT_EQ(v().Label66[0], u' ');
    EXPECT_EQ(v().Label19, hz(0) + hz(1));
    s->Command7_Click(); // on nothing typed: one history character less
    EXPECT_EQ(v().Label19, hz(0));
    EXPECT_FALSE(v().Label67Active || v().Label68Active);
}

TEST_F(Pinyin, AStrokeClickClosesTheKeyboardAfterSearching) {
    open(readings("a", 0, 2));
    s->strokeClick(1);
    EXPECT_FALSE(v().Image8Visible);
    EXPECT_EQ(utf8(LookupView::captionOf(v().Label11[0])), "一");
}

TEST_F(Pinyin, MissingDictionaryIsToldOnceAndMatchesNothing) {
    s = std::make_unique<LookupState>(codec());
    s->start({});
    s->takeProblems();
    s->Command1_Click();
    const auto problems = s->takeProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, "vezariPY.dat");
    type("a");
    EXPECT_EQ(slot(), "-1");
    s->Command1_Click(); // already opened: not told again
    EXPECT_TRUE(s->takeProblems().empty());

    // Closing the window and opening it again opens the dictionary afresh.
    openBytes(std::string("\xB0\xA1"
                          "a     ",
                          8));
    type("a");
    EXPECT_EQ(utf8(LookupView::captionOf(v().Label66[0])), "啊");
}
