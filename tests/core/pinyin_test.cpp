#include "core/lookupstate.h"
#include "platform/files.h"
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
        writeFile(dir / "vezariPY.dat", bytes);
        s = std::make_unique<LookupState>(codec());
        s->start(folderFiles(dir.str(), {}));
        s->Command1_Click();
    }
    void type(std::string_view letters) {
        for (char c : letters)
            s->Command18_Click(c);
    }
    std::string cells() const {
        std::string out;
        for (const auto& c : s->Label66)
            out += c.empty() ? "_" : utf8(c);
        return out;
    }
    std::string slot() const { return utf8(s->Label69); }

    TempDir dir;
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
    EXPECT_TRUE(s->Image8Visible);
    EXPECT_EQ(utf8(s->Label70), "打开");
    EXPECT_EQ(slot(), "0");
    EXPECT_EQ(s->Label66[0], u" ");
    EXPECT_FALSE(s->Label67Active || s->Label68Active);
    // The cells move to the table's places for the current size.
    EXPECT_EQ(s->Label66Rect[11].left, 2200 + 408 * 11);
    EXPECT_EQ(s->Label66Rect[35].top, 1800);
}

TEST_F(Pinyin, ExactReadingsWalkBackToTheirFirstRecord) {
    // 40 characters read "a": the bisection lands somewhere inside them.
    open(concat(readings("a", 0, 40), readings("ai", 40, 3), readings("ba", 50, 2)));
    type("a");
    EXPECT_EQ(s->posPY, 1);
    EXPECT_EQ(cells(), run(0, 36));
    EXPECT_EQ(slot(), "36");
    EXPECT_FALSE(s->Label67Active);
    EXPECT_TRUE(s->Label68Active); // the last cell still matched
    EXPECT_EQ(utf8(s->Label2), "a     ");

    s->Label68_Click(); // the rest of "a", then "ai", which also begins with a
    EXPECT_EQ(cells(), run(36, 7) + std::string(29, '_'));
    EXPECT_EQ(slot(), "72");
    EXPECT_TRUE(s->Label67Active);
    EXPECT_FALSE(s->Label68Active);
    s->Label68_Click(); // inactive: nothing happens
    EXPECT_EQ(slot(), "72");

    s->Label67_Click();
    EXPECT_EQ(cells(), run(0, 36));
    EXPECT_EQ(slot(), "36");
    EXPECT_FALSE(s->Label67Active);
    EXPECT_TRUE(s->Label68Active);
}

TEST_F(Pinyin, PrefixesShowEveryLongerReading) {
    open(concat(readings("za", 0, 2), readings("zha", 2, 2), readings("zhang", 4, 3),
                readings("zhe", 7, 1), readings("zi", 8, 1)));
    type("zh");
    EXPECT_EQ(cells(), run(2, 6) + std::string(30, '_'));
    EXPECT_EQ(slot(), "36");
    EXPECT_FALSE(s->Label68Active);
    type("ang");
    EXPECT_EQ(cells(), run(4, 3) + std::string(33, '_'));
    EXPECT_EQ(utf8(s->Label63), "zhang");
}

TEST_F(Pinyin, LueAndNueFindTheReadingsWrittenWithV) {
    open(concat(readings("lu", 0, 2), readings("luan", 2, 1), readings("lve", 3, 2),
                readings("nve", 5, 1)));
    type("lu");
    EXPECT_EQ(cells(), run(0, 3) + std::string(33, '_'));
    type("e");
    EXPECT_EQ(cells(), run(3, 2) + std::string(34, '_'));
    EXPECT_EQ(utf8(s->Label63), "lue"); // shown as typed
    s->Command8_Click();
    type("nue");
    EXPECT_EQ(cells(), run(5, 1) + std::string(35, '_'));
}

TEST_F(Pinyin, NoMatchAndTooManyLetters) {
    open(concat(readings("ba", 0, 2), readings("zhuang", 2, 2)));
    type("q");
    EXPECT_EQ(slot(), "-1");
    EXPECT_EQ(cells(), std::string(36, '_'));
    EXPECT_FALSE(s->Label67Active || s->Label68Active);
    s->Command8_Click(); // "清" resets the pinyin input only
    EXPECT_EQ(slot(), "Label69");
    EXPECT_TRUE(s->Label63.empty());

    type("zhuang");
    EXPECT_EQ(cells(), run(2, 2) + std::string(34, '_'));
    type("x"); // a seventh letter shows but starts no search
    EXPECT_EQ(utf8(s->Label63), "zhuangx");
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
    s->Label19 = text("我们");
    type("bai");
    s->Command7_Click();
    EXPECT_EQ(utf8(s->Label63), "ba");
    EXPECT_EQ(cells(), run(0, 4) + std::string(32, '_'));
    s->Command7_Click();
    s->Command7_Click(); // removes the last letter: blank cells, the history kept
    EXPECT_TRUE(s->Label63.empty());
    EXPECT_EQ(s->Label66[0], u" ");
    EXPECT_EQ(utf8(s->Label19), "我们");
    s->Command7_Click(); // on nothing typed: one history character less
    EXPECT_EQ(utf8(s->Label19), "我");
    EXPECT_FALSE(s->Label67Active || s->Label68Active);
}

TEST_F(Pinyin, AStrokeClickClosesTheKeyboardAfterSearching) {
    open(readings("a", 0, 2));
    s->strokeClick(1);
    EXPECT_FALSE(s->Image8Visible);
    EXPECT_EQ(utf8(s->Label11[0]), "一");
}

TEST_F(Pinyin, MissingDictionaryIsToldOnceAndMatchesNothing) {
    s = std::make_unique<LookupState>(codec());
    s->start(folderFiles(dir.str(), {}));
    s->takeProblems();
    s->Command1_Click();
    const auto problems = s->takeProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, "vezariPY.dat");
    type("a");
    EXPECT_EQ(slot(), "-1");
    s->Command1_Click(); // already opened: not told again
    EXPECT_TRUE(s->takeProblems().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "vezariPY.dat"));

    // Closing the window and opening it again opens the dictionary afresh.
    writeFile(dir / "vezariPY.dat", std::string("\xB0\xA1"
                                                "a     ",
                                                8));
    s = std::make_unique<LookupState>(codec());
    s->start(folderFiles(dir.str(), {}));
    s->Command1_Click();
    type("a");
    EXPECT_EQ(utf8(s->Label66[0]), "啊");
}
