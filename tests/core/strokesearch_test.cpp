#include "core/lookup/lookupstate.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

using namespace tovrin;
using namespace tovrin::testdata;

namespace {

// Writes the rows as a stroke dictionary, sorted by their padded strokes (a stable sort, so rows
// with equal strokes keep the order given).
std::string sortedStrokeBytes(std::vector<StrokeRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const StrokeRow& a, const StrokeRow& b) {
        return (a.strokes + std::string(12 - a.strokes.size(), ' ')) <
               (b.strokes + std::string(12 - b.strokes.size(), ' '));
    });
    return strokeBytes(rows);
}

class StrokeSearch : public ::testing::Test {
protected:
    // The rows as the stroke dictionary (and the words as the phrase dictionary), handed to the
    // state as bytes.
    void open(const std::vector<StrokeRow>& rows, int showAll = 0, int size = 0,
              LookupState::StrokeIndexing indexing = LookupState::StrokeIndexing::Build,
              const std::vector<const char*>& words = {}) {
        LookupFiles files;
        files.strokes = FileBytes::of(sortedStrokeBytes(rows));
        if (!words.empty())
            files.phrases = FileBytes::of(phraseBytes(words));
        start(std::move(files), showAll, size, indexing);
    }
    void start(LookupFiles files, int showAll = 0, int size = 0,
               LookupState::StrokeIndexing indexing = LookupState::StrokeIndexing::Build) {
        s = std::make_unique<LookupState>(codec());
        problems = s->start(std::move(files), indexing);
        s->applyOptions({static_cast<std::uint8_t>(showAll), 0, static_cast<std::uint8_t>(size)});
    }
    const LookupView& v() const { return s->view(); }
    void type(std::string_view digits) {
        for (char d : digits)
            s->strokeClick(d - '0');
    }
    gbk::Text cell(std::size_t i) const { return LookupView::captionOf(v().Label11[i]); }
    // The grid's captions in cell order; an empty cell is "_".
    std::string grid(std::size_t cells = 51) const {
        std::string out;
        for (std::size_t i = 0; i < cells; ++i)
            out += v().Label11[i] == LookupView::kNoCaption ? "_" : utf8(cell(i));
        return out;
    }
    std::size_t filledCells() const {
        return static_cast<std::size_t>(
            std::count_if(v().Label11.begin(), v().Label11.end(),
                          [](gbk::Char c) { return c != LookupView::kNoCaption; }));
    }
    bool linkParked() const { return v().Label10.visible && v().Label10.left == 8090; }

    std::unique_ptr<LookupState> s;
    std::vector<LookupState::Problem> problems;
};

const gbk::Text A = hz(0), B = hz(1), C = hz(2), D = hz(3), E = hz(4), F = hz(5);

} // namespace

TEST_F(StrokeSearch, ExactMatchesComeFirstAndEqualKeysKeepFileOrder) {
    // "14" has no preset list, so it is searched.
    open({{A, "14", 5000}, {B, "141", 5}, {C, "142", 2999}, {D, "14", 100}, {E, "2", 1}});
    type("14");
    EXPECT_EQ(v().Label1, text("一丶"));
    EXPECT_EQ(v().Label6, u"14");
    EXPECT_EQ(v().Label2, u"14");
    EXPECT_EQ(grid(5), utf8(A + D + B + C) + "_");
    // Nothing is held back, so the more link is parked out of sight.
    EXPECT_TRUE(linkParked());
}

TEST_F(StrokeSearch, RankKeysAreTheLastFourDigits) {
    open({{A, "14", 100}, {B, "14", 7000}, {C, "14", 12345}, {D, "141", 250}, {E, "142", 2400}});
    type("14");
    // Keys: A 0000, B 7000, C 2345, D 0250, E 2400.
    EXPECT_EQ(grid(6), utf8(A + D + C + E + B) + "_");
}

TEST_F(StrokeSearch, AssociationCharactersRankAsIfThreeTimesMoreFrequent) {
    const std::vector<StrokeRow> rows = {{A, "14", 9000},  {B, "141", 2400}, {C, "142", 900},
                                         {D, "143", 3500}, {E, "144", 8000}, {F, "2222", 1}};
    open(rows);
    type("14");
    EXPECT_EQ(grid(5), utf8(C + B + D + A + E)); // unboosted: 0900 2400 3500 9000 9999

    // F's words put A, B, D and E into the association list.
    const std::string a = utf8(A), b = utf8(B), d = utf8(D), e = utf8(E), f = utf8(F);
    const std::string fa = f + a, fb = f + b, fd = f + d, fe = f + e;
    open(rows, 0, 0, LookupState::StrokeIndexing::Build,
         {fa.c_str(), fb.c_str(), fd.c_str(), fe.c_str()});
    type("2222");
    s->Label11_MouseDown(0);
    ASSERT_EQ(gbk::trimRight(v().assocHz), A + B + D + E);
    type("14");
    // B 2400/3 = 0800, C 0900, D 3500/3 = 1166, exact A 9000/3 = 3000; a rare prefix match
    // keeps 9999.
    EXPECT_EQ(grid(5), utf8(B + C + D + A + E));
}

TEST_F(StrokeSearch, OnlyTheFirst51InBucketAndFileOrderAreRanked) {
    std::vector<StrokeRow> rows;
    for (int i = 0; i < 60; ++i)
        rows.push_back({hz(i), "141", 2000 - 10 * i}); // later rows are more frequent
    rows.push_back({hz(70), "14", 6000});
    open(rows);
    type("14");
    EXPECT_EQ(cell(0), hz(70)); // the exact match, though its rank is the worst
    EXPECT_EQ(cell(1), hz(49)); // the best of the 50 prefix matches that fit
    EXPECT_EQ(cell(50), hz(0));
    for (int i = 50; i < 60; ++i)
        EXPECT_EQ(std::find(v().Label11.begin(), v().Label11.end(), hz(i)[0]), v().Label11.end())
            << i;
}

TEST_F(StrokeSearch, RareCharactersWaitBehindTheMoreLink) {
    std::vector<StrokeRow> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back({hz(i), "1412", 100 + i});
    for (int i = 10; i < 15; ++i)
        rows.push_back({hz(i), "1413", 7000 + i});
    open(rows);
    type("14");
    EXPECT_EQ(filledCells(), 10u);
    // At size 0 the link stands 66 left of and 22 below the first empty cell.
    EXPECT_TRUE(v().Label10.visible);
    EXPECT_EQ(v().Label10.left, 195 + 407 * 10 - 66);
    EXPECT_EQ(v().Label10.top, 990 + 22);

    s->Label10_Click();
    EXPECT_FALSE(v().Label10.visible);
    EXPECT_EQ(filledCells(), 15u);
    EXPECT_EQ(cell(14), hz(14)); // the rare ones last, in file order
    EXPECT_EQ(cell(10), hz(10));

    // The next collection starts with the link hidden and places it again.
    s->Command7_Click();
    EXPECT_EQ(v().Label10.left, 8060); // "←" moves it out of sight and keeps it hidden
    EXPECT_FALSE(v().Label10.visible);
    type("4");
    EXPECT_TRUE(v().Label10.visible);
    EXPECT_EQ(v().Label10.left, 195 + 407 * 10 - 66);
    EXPECT_EQ(filledCells(), 10u);
}

TEST_F(StrokeSearch, TheMoreLinkFollowsTheCellSize) {
    struct Case {
        int size;
        int left;
        int top;
    };
    // Cell 10 of the first row.
    const Case cases[] = {{0, 195 + 4070 - 66, 990 + 22},
                          {1, 150 + 4050, 980 + 55},
                          {2, 150 + 4050, 980 + 55},
                          {3, 150 + 4050, 980 + 55},
                          {4, 150 + 4050, 940 + 88}};
    std::vector<StrokeRow> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back({hz(i), "1412", 100 + i});
    rows.push_back({hz(10), "1413", 9000});
    for (const Case& c : cases) {
        open(rows, 0, c.size);
        type("14");
        EXPECT_TRUE(v().Label10.visible) << c.size;
        EXPECT_EQ(v().Label10.left, c.left) << c.size;
        EXPECT_EQ(v().Label10.top, c.top) << c.size;
    }
    // An unknown size leaves the link where it was, but shows it.
    open(rows, 0, 7);
    type("14");
    EXPECT_TRUE(v().Label10.visible);
    EXPECT_EQ(v().Label10.left, 8090);
    EXPECT_EQ(v().Label10.top, 1020);
}

TEST_F(StrokeSearch, FewMatchesShowTheRareOnesAtOnce) {
    std::vector<StrokeRow> rows;
    for (int i = 0; i < 4; ++i)
        rows.push_back({hz(i), "1412", 100 + i});
    for (int i = 4; i < 9; ++i)
        rows.push_back({hz(i), "1413", 7000 + i});
    open(rows);
    type("14");
    EXPECT_EQ(filledCells(), 9u); // 4 common (at most 6): everything at once
    EXPECT_TRUE(linkParked());

    // With "all GBK characters" nothing is held back and the link stays hidden.
    rows.push_back({hz(20), "1414", 50});
    rows.push_back({hz(21), "1414", 51});
    rows.push_back({hz(22), "1414", 52});
    open(rows, 1);
    type("14");
    EXPECT_EQ(filledCells(), 12u);
    EXPECT_FALSE(v().Label10.visible);
    EXPECT_EQ(cell(0), hz(20));
}

TEST_F(StrokeSearch, TwelveStrokesAtMostAndMoreLeaveTheGrid) {
    std::vector<StrokeRow> rows;
    for (int i = 0; i < 18; ++i)
        rows.push_back({hz(i), "141414141414", i < 8 ? 100 + i : 7000 + i});
    rows.push_back({hz(30), "14141414141", 10});
    open(rows);
    type("14141414141");
    // Nine in the first three buckets (more than 6): the ten rare ones wait behind the link.
    EXPECT_EQ(filledCells(), 9u);
    EXPECT_TRUE(v().Label10.visible);
    EXPECT_EQ(v().Label10.left, 195 + 407 * 9 - 66);
    type("4");
    // Twelve strokes only match exactly; rare exact matches rank by their rank key.
    EXPECT_EQ(filledCells(), 18u);
    EXPECT_EQ(cell(7), hz(7));
    EXPECT_EQ(cell(8), hz(8));
    EXPECT_TRUE(linkParked());
    const std::string twelve = grid();
    type("1");
    EXPECT_EQ(v().Label6.size(), 13u);
    EXPECT_EQ(v().Label1.size(), 13u);
    EXPECT_EQ(grid(), twelve);
    s->Command7_Click();
    EXPECT_EQ(grid(), twelve);
    EXPECT_EQ(v().Label6.size(), 12u);
}

TEST_F(StrokeSearch, BackAndClear) {
    open({{A, "14", 100}, {B, "141", 200}, {C, "2", 1}, {D, "2222", 1}, {E, "2223", 1}});
    type("2222");
    s->Label11_MouseDown(0);
    type("2223");
    s->Label11_MouseDown(0);
    ASSERT_EQ(v().Label19, D + E);
    type("1");
    const std::string preset = grid();
    EXPECT_EQ(utf8(cell(0)), "一");
    s->Command7_Click(); // removes the only stroke; the grid keeps the one-stroke list
    EXPECT_TRUE(v().Label1.empty());
    EXPECT_TRUE(v().Label6.empty());
    EXPECT_EQ(grid(), preset);
    EXPECT_EQ(v().Label19, D + E);
    s->Command7_Click(); // on an empty entry: the default list, one history character less
    EXPECT_EQ(utf8(cell(0)), "拜");
    EXPECT_EQ(utf8(cell(50)), "饿");
    EXPECT_EQ(v().Label19, D);

    type("14");
    ASSERT_FALSE(v().Label18.empty() || v().assocHz.empty());
    s->Command8_Click();
    EXPECT_TRUE(v().Label1.empty() && v().Label6.empty() && v().Label18.empty() &&
                v().Label19.empty() && v().assocHz.empty());
    EXPECT_FALSE(v().Label10.visible);
    EXPECT_EQ(utf8(cell(0)), "拜");
}

TEST_F(StrokeSearch, PresetStringsAreNotSearched) {
    open({{A, "12", 1}, {B, "14", 1}, {C, "141", 2}});
    type("14");
    EXPECT_EQ(cell(0), B);
    s->Command7_Click();
    type("2");
    // The preset list of "12", not the record of "12".
    EXPECT_EQ(utf8(cell(0)), "十");
    EXPECT_EQ(utf8(cell(50)), "丅");
    // "51" has 50 characters: its last cell stays empty.
    s->Command8_Click();
    type("51");
    EXPECT_EQ(filledCells(), 50u);
    EXPECT_EQ(v().Label11[50], LookupView::kNoCaption);
    EXPECT_TRUE(LookupState::hasPresetList("251"));
    EXPECT_FALSE(LookupState::hasPresetList("14"));
}

TEST_F(StrokeSearch, ACharacterWithTwoSequencesTakesTwoCells) {
    open({{A, "1412", 10}, {A, "1421", 10}, {B, "143", 20}});
    type("14");
    EXPECT_EQ(grid(4), utf8(A + A + B) + "_");
}

TEST_F(StrokeSearch, NoMatchEmptiesTheGrid) {
    open({{A, "1412", 10}, {B, "2", 20}});
    type("15");
    EXPECT_EQ(filledCells(), 0u);
    EXPECT_TRUE(linkParked());
    // Before the first and after the last record.
    open({{A, "21", 10}, {B, "22", 20}});
    type("14");
    EXPECT_EQ(filledCells(), 0u);
    s->Command8_Click();
    type("33"); // after the last record
    EXPECT_EQ(filledCells(), 0u);
}

TEST_F(StrokeSearch, MatchesAtTheVeryStartOfTheFileAreFound) {
    // The first record already sorts after the key: the matches start at record 1.
    open({{A, "141", 10}, {B, "142", 20}, {C, "2", 5}});
    type("14");
    EXPECT_EQ(grid(3), utf8(A + B) + "_");
    open({{A, "141", 10}, {B, "1421", 20}});
    type("14");
    EXPECT_EQ(grid(3), utf8(A + B) + "_");
}

TEST_F(StrokeSearch, EmptyOrMissingDictionaryGivesAnEmptyGrid) {
    start({});
    ASSERT_EQ(problems.size(), 3u); // stroke, phrase and code dictionaries
    EXPECT_EQ(problems[0].file, "vezari.dat");
    EXPECT_EQ(utf8(cell(0)), "拜"); // the default list still shows
    type("14");
    EXPECT_EQ(filledCells(), 0u);

    for (const std::string& bytes : {std::string(), std::string(7, '1')}) { // or half a record
        LookupFiles files;
        files.strokes = FileBytes::of(bytes);
        start(std::move(files));
        type("1415");
        EXPECT_EQ(filledCells(), 0u);
    }
}

TEST_F(StrokeSearch, RunsLongerThanASixteenBitCounterAreScannedWhole) {
    // 40,000 matches and one rare character after them: the scan must reach it, or the more
    // link would be parked as if nothing were held back.
    std::vector<StrokeRow> rows(40000, StrokeRow{A, "1412", 5000});
    rows.push_back({B, "1413", 9000});
    for (auto indexing : {LookupState::StrokeIndexing::Build, LookupState::StrokeIndexing::Skip}) {
        open(rows, 0, 0, indexing);
        type("14");
        EXPECT_FALSE(v().Label10.visible); // held back; the grid is full: the link has no place
        EXPECT_EQ(cell(50), A);
    }

    rows.pop_back();
    open(rows);
    type("14");
    EXPECT_TRUE(linkParked()); // nothing rare anywhere
}

TEST_F(StrokeSearch, AFullGridStillLooksForARareCharacterBehindIt) {
    // 60 common matches fill the grid; whether a rare one follows decides between a hidden
    // link (something is held back) and a parked one.
    std::vector<StrokeRow> rows;
    for (int i = 0; i < 60; ++i)
        rows.push_back({hz(i), "1412", 100 + i});
    open(rows);
    type("14");
    EXPECT_TRUE(linkParked());
    rows.push_back({hz(60), "1413", 9000});
    for (auto indexing : {LookupState::StrokeIndexing::Build, LookupState::StrokeIndexing::Skip}) {
        open(rows, 0, 0, indexing);
        type("14");
        EXPECT_FALSE(v().Label10.visible);
    }
}

// The bisection with its walk back must find exactly the records a plain scan finds, wherever
// they lie in the file, over the index and without it. Fewer than 51 rows all show with every
// character shown; the strings with a list of their own are never searched.
TEST_F(StrokeSearch, BisectionAgreesWithAPlainScan) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 300; ++round) {
        std::vector<StrokeRow> rows;
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) {
            std::string strokes;
            const int len = 1 + static_cast<int>(rng() % 4);
            for (int k = 0; k < len; ++k)
                strokes += static_cast<char>('1' + rng() % 3);
            const int rank = 1 + static_cast<int>(rng() % 9000);
            rows.push_back({hz(i), strokes, rank});
        }
        for (auto indexing :
             {LookupState::StrokeIndexing::Build, LookupState::StrokeIndexing::Skip}) {
            open(rows, 1, 0, indexing);
            for (const char* q : {"21", "22", "23", "33", "111", "123", "231", "321", "333", "1111",
                                  "3333", "2121"}) {
                gbk::Text want;
                for (const StrokeRow& r : rows)
                    if (r.strokes.rfind(q, 0) == 0)
                        want += r.character;
                s->Command8_Click();
                type(q);
                gbk::Text got;
                for (gbk::Char c : v().Label11)
                    if (c != LookupView::kNoCaption)
                        got.push_back(c);
                std::sort(want.begin(), want.end());
                std::sort(got.begin(), got.end());
                EXPECT_EQ(got, want) << "round " << round << " query " << q;
            }
        }
    }
}

TEST(StrokeIndexTest, JumpsToTheNextRecordOfEachClass) {
    const std::string bytes = strokeBytes({{hz(0), "1", 7000},
                                           {hz(1), "12", 10},
                                           {hz(2), "121", 3001},
                                           {hz(3), "13", 3000},
                                           {hz(4), "2", 6764}});
    const RecordFile file = RecordFile::fromBytes(bytes, StrokeRecord::kLength);
    const StrokeIndex index = StrokeIndex::build(file);
    ASSERT_TRUE(index.usable());
    EXPECT_EQ(index.next(StrokeIndex::Common, 1), 2);
    EXPECT_EQ(index.next(StrokeIndex::Common, 3), 4);
    EXPECT_EQ(index.next(StrokeIndex::Common, 5), 6); // none left: one past the last record
    EXPECT_EQ(index.next(StrokeIndex::Middle, 1), 3);
    EXPECT_EQ(index.next(StrokeIndex::Rare, 2), 5);
    // The end of the run of "12" from its first record, and of "1".
    EXPECT_EQ(index.after(file, 2, "12"), 4);
    EXPECT_EQ(index.after(file, 1, "1"), 5);
    EXPECT_EQ(index.after(file, 1, "2"), 6);
}

TEST(StrokeIndexTest, ADamagedDictionaryTakesNoIndex) {
    const std::vector<StrokeRow> clean = {{hz(0), "12", 10}, {hz(1), "13", 20}};
    auto usable = [](const std::string& bytes) {
        return StrokeIndex::build(RecordFile::fromBytes(bytes, StrokeRecord::kLength)).usable();
    };
    EXPECT_TRUE(usable(strokeBytes(clean)));
    EXPECT_FALSE(usable(""));
    EXPECT_FALSE(usable(strokeBytes({clean[1], clean[0]})));          // out of order
    EXPECT_FALSE(usable(strokeBytes({{u"AB", "12", 10}, clean[1]}))); // one-byte characters
    EXPECT_FALSE(usable(strokeBytes({{hz(0), "1a", 10}, clean[1]}))); // a letter
    EXPECT_FALSE(usable(strokeBytes({{hz(0), "12", -1}, clean[1]}))); // a negative rank
    EXPECT_FALSE(usable(strokeBytes(clean) + std::string(10, ' ')));  // a partial record
}
