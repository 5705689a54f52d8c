// The searches' shortcuts against plain scans of every matching record, on the real
// dictionaries.
#include "core/dict/strokeindex.h"
#include "core/lookup/lookupstate.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>

using namespace tovrin;
using namespace tovrin::testdata;

namespace {

// The real dictionaries' bytes, as the program reads them.
LookupFiles realFiles() {
    LookupFiles files;
    const std::string bin = TOVRIN_BIN_DIR;
    files.strokes = FileBytes::of(readAll(bin + "/vezari.dat"));
    files.phrases = FileBytes::of(readAll(bin + "/vezaricz.dat"));
    files.codes = FileBytes::of(readAll(bin + "/" + std::string(CodeRecord::kFileName)));
    files.pinyin = FileBytes::of(readAll(bin + "/vezariPY.dat"));
    return files;
}

// Two lookup states on the same dictionaries, one searching over the stroke index and one
// reading every matching record, given the same events: whatever the grid, the more link and
// "更多" show must not differ.
class StrokeScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        codec_ = new gbk::Codec;
        fast_ = new LookupState(*codec_);
        plain_ = new LookupState(*codec_);
        ASSERT_TRUE(fast_->start(realFiles(), LookupState::StrokeIndexing::Build).empty());
        ASSERT_TRUE(plain_->start(realFiles(), LookupState::StrokeIndexing::Skip).empty());
        const RecordFile file = RecordFile::fromBytes(
            readAll(std::string(TOVRIN_BIN_DIR) + "/vezari.dat"), StrokeRecord::kLength);
        ASSERT_GT(file.count(), 20000);
        // The real dictionary takes the index, so the two states search differently.
        ASSERT_TRUE(StrokeIndex::build(file).usable());
    }
    static void TearDownTestSuite() {
        delete fast_;
        delete plain_;
        delete codec_;
    }

    template <class Event> static void both(Event event) {
        event(*fast_);
        event(*plain_);
    }
    static void compareShown(const std::string& what) {
        const LookupView& f = fast_->view();
        const LookupView& p = plain_->view();
        ASSERT_EQ(f.Label11, p.Label11) << what;
        ASSERT_EQ(f.Label10.visible, p.Label10.visible) << what;
        ASSERT_EQ(f.Label10.left, p.Label10.left) << what;
        ASSERT_EQ(f.Label10.top, p.Label10.top) << what;
    }
    // Types `digits` on a cleared entry and compares, then what "更多" shows.
    static void compare(const std::string& digits) {
        both([](LookupState& s) { s.Command8_Click(); });
        type(digits);
    }
    static void type(const std::string& digits) {
        for (char d : digits)
            both([d](LookupState& s) { s.strokeClick(d - '0'); });
        const std::string what = "strokes " + digits + " options " +
                                 std::to_string(fast_->view().showAll) +
                                 std::to_string(fast_->view().sizeMode);
        compareShown(what);
        both([](LookupState& s) { s.Label10_Click(); });
        compareShown(what + " more");
    }
    // Every string of up to `length` strokes after what is typed already, each one stroke
    // typed after its parent and taken back with "←".
    static void everyString(int length) {
        if (length == 0)
            return;
        for (char d = '1'; d <= '5'; ++d) {
            type(std::string(1, d));
            everyString(length - 1);
            both([](LookupState& s) { s.Command7_Click(); });
        }
    }
    static void options(std::uint8_t showAll, std::uint8_t size) {
        both([&](LookupState& s) { s.applyOptions({showAll, 0, size}); });
    }

    static gbk::Codec* codec_;
    static LookupState* fast_;
    static LookupState* plain_;
};

gbk::Codec* StrokeScan::codec_ = nullptr;
LookupState* StrokeScan::fast_ = nullptr;
LookupState* StrokeScan::plain_ = nullptr;

} // namespace

TEST_F(StrokeScan, EveryStringOfOneToFiveStrokes) {
    for (std::uint8_t showAll : {0, 1}) {
        options(showAll, 0);
        both([](LookupState& s) { s.Command8_Click(); });
        everyString(5);
    }
    options(0, 0);
}

TEST_F(StrokeScan, AssociationBoostAndOtherSizes) {
    // An association list from a real pick, so boosted keys take part.
    const gbk::Char wo = codec_->fromUtf8("我").value()[0];
    compare("3121534");
    const auto& cells = fast_->view().Label11;
    const auto at = std::find(cells.begin(), cells.end(), wo);
    ASSERT_NE(at, cells.end());
    const int cell = static_cast<int>(at - cells.begin());
    both([cell](LookupState& s) { s.Label11_MouseDown(cell); });
    ASSERT_GT(gbk::trimRight(fast_->view().assocHz).size(), 10u);
    for (std::uint8_t size : {std::uint8_t(1), std::uint8_t(4)}) {
        options(0, size);
        everyString(3);
    }
    options(0, 0);
}

TEST_F(StrokeScan, ASampleOfLongerStrings) {
    // Prefixes of real characters' sequences, so most of them match something, and random ones.
    std::mt19937 rng(7);
    const RecordFile file = RecordFile::fromBytes(
        readAll(std::string(TOVRIN_BIN_DIR) + "/vezari.dat"), StrokeRecord::kLength);
    for (int i = 0; i < 2000; ++i) {
        const auto n = static_cast<std::int64_t>(rng() % static_cast<unsigned>(file.count())) + 1;
        const StrokeRecord rec = StrokeRecord::read(file.record(n));
        std::string strokes(rec.strokes.data(), rec.strokes.size());
        strokes = strokes.substr(0, strokes.find(' '));
        if (strokes.size() < 6)
            continue;
        compare(strokes.substr(0, 6 + rng() % (strokes.size() - 5)));
    }
    for (int i = 0; i < 300; ++i) {
        std::string digits;
        const int length = 6 + static_cast<int>(rng() % 7);
        for (int k = 0; k < length; ++k)
            digits += static_cast<char>('1' + rng() % 5);
        compare(digits);
    }
}

TEST(PinyinScan, EveryPrefixOfOneToThreeLettersShowsTheFirstMatchingReadings) {
    // On the real pinyin dictionary: the keyboard's first page for a prefix is the run of
    // readings that begin with it, from its first record, as a plain scan finds them.
    gbk::Codec codec;
    LookupState s(codec);
    ASSERT_TRUE(s.start(realFiles()).empty());
    s.Command1_Click();
    ASSERT_TRUE(s.takeProblems().empty());
    const RecordFile file = RecordFile::fromBytes(
        readAll(std::string(TOVRIN_BIN_DIR) + "/vezariPY.dat"), PinyinRecord::kLength);
    ASSERT_GT(file.count(), 20000);
    std::vector<std::string> readings;
    for (std::int32_t n = 1; n <= file.count(); ++n) {
        const auto r = PinyinRecord::read(file.record(n)).pinyin;
        readings.emplace_back(r.data(), r.size());
    }
    // The first record of each prefix, in one pass in file order.
    std::map<std::string, std::size_t> firstWith;
    for (std::size_t k = 0; k < readings.size(); ++k)
        for (std::size_t length = 1; length <= 3; ++length)
            firstWith.emplace(readings[k].substr(0, length), k);
    std::vector<std::string> prefixes;
    for (char a = 'a'; a <= 'z'; ++a) {
        prefixes.push_back({a});
        for (char b = 'a'; b <= 'z'; ++b) {
            prefixes.push_back({a, b});
            for (char c = 'a'; c <= 'z'; ++c)
                prefixes.push_back({a, b, c});
        }
    }
    int matched = 0;
    for (const std::string& typed : prefixes) {
        s.Command1_Click();
        for (char letter : typed)
            s.Command18_Click(letter);
        // lue and nue are lüe and nüe, which the dictionary writes with v.
        std::string prefix = typed;
        if (prefix == "lue" || prefix == "nue")
            prefix[1] = 'v';
        const auto it = firstWith.find(prefix);
        if (it == firstWith.end()) {
            EXPECT_EQ(s.view().Label69, u"-1") << prefix;
            continue;
        }
        const std::size_t first = it->second;
        ++matched;
        EXPECT_EQ(s.view().Label69, u"36") << prefix;
        for (std::size_t i = 0; i < s.view().Label66.size(); ++i) {
            const std::size_t k = first + i;
            const bool shown =
                k < readings.size() && readings[k].compare(0, prefix.size(), prefix) == 0;
            const gbk::Char want =
                shown ? gbk::firstChar(file.record(static_cast<std::int64_t>(k) + 1))
                      : LookupView::kNoCaption;
            ASSERT_EQ(s.view().Label66[i], want) << prefix << " cell " << i;
        }
    }
    EXPECT_GT(matched, 300);
}
