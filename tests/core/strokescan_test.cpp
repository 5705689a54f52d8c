// The stroke search's shortcuts against the plain scan of every matching record, on the real
// stroke dictionary: whatever the grid, the more link and "更多" show must not change.
#include "core/lookupstate.h"
#include "core/strokeindex.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

using namespace tovrin;

namespace {

struct Shown {
    std::array<gbk::Text, 51> grid;
    std::array<std::int32_t, 51> keys;
    bool linkVisible;
    int linkLeft;
    int linkTop;
    std::array<gbk::Text, 51> more; // the grid after "更多"
    bool operator==(const Shown&) const = default;
};

class StrokeScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        codec_ = new gbk::Codec;
        state_ = new LookupState(*codec_);
        ASSERT_TRUE(state_->start(folderFiles(TOVRIN_BIN_DIR, {})).empty());
        file_ = new RecordFile(RecordFile::fromFile(
            readWholeFile(std::string(TOVRIN_BIN_DIR) + "/vezari.dat"), StrokeRecord::kLength));
        ASSERT_GT(file_->count(), 20000);
        // The real dictionary takes the index, so display() below is the jumping search.
        ASSERT_TRUE(StrokeIndex::build(*file_).usable());
    }
    static void TearDownTestSuite() {
        delete state_;
        delete codec_;
        delete file_;
    }

    // The search of `digits` without the preset lists, shown by display() or displayWalk().
    static Shown run(const std::string& digits, bool plain) {
        LookupState& s = *state_;
        s.Label6.assign(digits.begin(), digits.end());
        s.Label2 = s.Label6;
        s.Label10 = {};
        s.cccc(); // bisection, then display()
        if (plain)
            s.displayWalk();
        Shown out;
        out.grid = s.Label11;
        for (std::size_t i = 0; i < 51; ++i)
            out.keys[i] = s.cand[i].key;
        out.linkVisible = s.Label10.visible;
        out.linkLeft = s.Label10.left;
        out.linkTop = s.Label10.top;
        s.Label10_Click();
        out.more = s.Label11;
        return out;
    }

    static void compare(const std::string& digits) {
        const Shown fast = run(digits, false);
        const Shown plain = run(digits, true);
        EXPECT_TRUE(fast == plain) << "strokes " << digits << " showAll " << int(state_->showAll)
                                   << " size " << int(state_->sizeMode);
    }

    static std::vector<std::string> strings(int length) {
        std::vector<std::string> out{""};
        for (int i = 0; i < length; ++i) {
            std::vector<std::string> next;
            for (const auto& s : out)
                for (char d = '1'; d <= '5'; ++d)
                    next.push_back(s + d);
            out = next;
        }
        return out;
    }

    static gbk::Codec* codec_;
    static LookupState* state_;
    static RecordFile* file_; // the stroke dictionary the state reads
};

gbk::Codec* StrokeScan::codec_ = nullptr;
LookupState* StrokeScan::state_ = nullptr;
RecordFile* StrokeScan::file_ = nullptr;

} // namespace

TEST_F(StrokeScan, EveryStringOfOneToFiveStrokes) {
    for (int showAll : {0, 1}) {
        state_->showAll = static_cast<std::uint8_t>(showAll);
        state_->assocHz.clear();
        for (int length = 1; length <= 5; ++length)
            for (const auto& digits : strings(length))
                compare(digits);
    }
    state_->showAll = 0;
}

TEST_F(StrokeScan, AssociationBoostAndOtherSizes) {
    // An association list from a real pick, so boosted keys take part.
    state_->Label11[0] = codec_->fromUtf8("我").value();
    state_->Label11_MouseDown(0);
    ASSERT_GT(gbk::trimRight(state_->assocHz).size(), 10u);
    for (std::uint8_t size : {std::uint8_t(1), std::uint8_t(4)}) {
        state_->sizeMode = size;
        state_->layOutGrid();
        for (int length = 1; length <= 3; ++length)
            for (const auto& digits : strings(length))
                compare(digits);
    }
    state_->sizeMode = 0;
    state_->layOutGrid();
    state_->assocHz.clear();
}

TEST_F(StrokeScan, ASampleOfLongerStrings) {
    // Prefixes of real characters' sequences, so most of them match something, and random ones.
    std::mt19937 rng(7);
    const RecordFile& file = *file_;
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
    ASSERT_TRUE(s.start(folderFiles(TOVRIN_BIN_DIR, {})).empty());
    s.Command1_Click();
    ASSERT_TRUE(s.takeProblems().empty());
    const RecordFile file = RecordFile::fromFile(
        readWholeFile(std::string(TOVRIN_BIN_DIR) + "/vezariPY.dat"), PinyinRecord::kLength);
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
            EXPECT_EQ(s.Label69, u"-1") << prefix;
            continue;
        }
        const std::size_t first = it->second;
        ++matched;
        EXPECT_EQ(s.posPY, static_cast<std::int32_t>(first) + 1) << prefix;
        EXPECT_EQ(s.Label69, u"36") << prefix;
        for (std::size_t i = 0; i < s.Label66.size(); ++i) {
            const std::size_t k = first + i;
            const bool shown =
                k < readings.size() && readings[k].compare(0, prefix.size(), prefix) == 0;
            const gbk::Text want =
                shown ? gbk::Text(1, gbk::firstChar(file.record(static_cast<std::int64_t>(k) + 1)))
                      : gbk::Text();
            ASSERT_EQ(s.Label66[i], want) << prefix << " cell " << i;
        }
    }
    EXPECT_GT(matched, 300);
}
