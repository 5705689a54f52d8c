// The dictionaries the build compiled from the real sources: their counts, the order each file
// is searched in, and entries a learner would look up.
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/lookup/lookupstate.h"
#include "platform/files.h"
#include "platform/programfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace tovrin;

namespace {

const gbk::Codec& codec() {
    static const gbk::Codec c;
    return c;
}

gbk::Char gbkChar(const char* utf8Character) {
    return codec().fromUtf8(utf8Character).value().at(0);
}

std::string utf8(std::string_view gbkBytes) {
    return codec().toUtf8(gbk::trimRight(gbk::decode(gbkBytes)));
}

std::string trimmed(std::string_view ascii) {
    const auto end = ascii.find_last_not_of(' ');
    return std::string(ascii.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

// Fields compare as unsigned bytes, as the readers' binary searches do.
template <std::size_t N>
int compareBytes(const std::array<char, N>& a, const std::array<char, N>& b) {
    for (std::size_t i = 0; i < N; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

template <typename Record> std::vector<Record> load() {
    const std::string path =
        std::string(TOVRIN_DICTIONARY_DIR) + "/" + std::string(Record::kFileName);
    const auto file = RecordFile::fromFile(platform::readWholeFile(path), Record::kLength);
    EXPECT_EQ(file.status(), RecordFile::Status::Ok) << path << ": " << file.reason();
    // A whole number of records: no partial record at the end.
    EXPECT_EQ(file.byteSize(), static_cast<std::size_t>(file.count()) * Record::kLength) << path;
    std::vector<Record> records;
    for (std::int32_t n = 1; n <= file.count(); ++n)
        records.push_back(Record::read(file.record(n)));
    return records;
}

class Dictionaries : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        strokes_ = new std::vector<StrokeRecord>(load<StrokeRecord>());
        codes_ = new std::vector<CodeRecord>(load<CodeRecord>());
        phrases_ = new std::vector<PhraseRecord>(load<PhraseRecord>());
        pinyin_ = new std::vector<PinyinRecord>(load<PinyinRecord>());
    }
    static void TearDownTestSuite() {
        delete strokes_;
        delete codes_;
        delete phrases_;
        delete pinyin_;
    }

    static const std::vector<StrokeRecord>& strokes() { return *strokes_; }
    static const std::vector<CodeRecord>& codes() { return *codes_; }
    static const std::vector<PhraseRecord>& phrases() { return *phrases_; }
    static const std::vector<PinyinRecord>& pinyin() { return *pinyin_; }

private:
    static inline std::vector<StrokeRecord>* strokes_ = nullptr;
    static inline std::vector<CodeRecord>* codes_ = nullptr;
    static inline std::vector<PhraseRecord>* phrases_ = nullptr;
    static inline std::vector<PinyinRecord>* pinyin_ = nullptr;
};

// What the pinned sources give; a few records either way are a changed source, more a fault.
constexpr std::size_t kSlack = 5;

TEST_F(Dictionaries, CountsAreThoseOfThePinnedSources) {
    EXPECT_NEAR(static_cast<double>(strokes().size()), 20'924, kSlack);
    EXPECT_NEAR(static_cast<double>(codes().size()), 25'564, kSlack);
    EXPECT_NEAR(static_cast<double>(phrases().size()), 63'548, kSlack);
    EXPECT_NEAR(static_cast<double>(pinyin().size()), 21'470, kSlack);
}

TEST_F(Dictionaries, StrokeFileIsSortedByStrokesThenRankAndRanksEveryCharacterOnce) {
    const auto& s = strokes();
    ASSERT_FALSE(s.empty());
    for (std::size_t i = 1; i < s.size(); ++i) {
        const int c = compareBytes(s[i - 1].strokes, s[i].strokes);
        ASSERT_LE(c, 0) << "record " << i + 1 << " sorts before the one above it";
        if (c == 0) {
            ASSERT_LT(s[i - 1].rank, s[i].rank) << "record " << i + 1;
        }
    }

    // Each character once, ranks 1..n each once, and ranks 1..6763 exactly GB 2312.
    std::set<gbk::Char> characters;
    std::vector<bool> rankSeen(s.size() + 1, false);
    for (const auto& r : s) {
        const gbk::Char c = firstChar(r.character);
        ASSERT_TRUE(characters.insert(c).second) << utf8(view(r.character)) << " twice";
        ASSERT_GE(r.rank, 1);
        ASSERT_LE(static_cast<std::size_t>(r.rank), s.size());
        ASSERT_FALSE(rankSeen[static_cast<std::size_t>(r.rank)]) << "rank " << r.rank << " twice";
        rankSeen[static_cast<std::size_t>(r.rank)] = true;
        EXPECT_EQ(r.rank <= 6763, gbk::isGb2312Hanzi(c)) << utf8(view(r.character));
        // Digits 1-5, then spaces only.
        const std::string field(view(r.strokes));
        const auto digits = trimmed(field);
        ASSERT_FALSE(digits.empty()) << utf8(view(r.character));
        ASSERT_EQ(digits.find_first_not_of("12345"), std::string::npos) << field;
    }
}

TEST_F(Dictionaries, StrokeFileHoldsKnownSequencesAndRanks) {
    std::map<std::string, std::pair<std::string, int>> byCharacter;
    std::map<int, std::string> byRank;
    for (const auto& r : strokes()) {
        const std::string c = utf8(view(r.character));
        byCharacter[c] = {trimmed(view(r.strokes)), r.rank};
        byRank[r.rank] = c;
    }
    const std::map<std::string, std::string> sequences = {
        {"我", "3121534"}, {"必", "45434"}, {"乃", "53"},           {"万", "153"},
        {"北", "21135"},   {"出", "52252"}, {"德", "332122522114"},
    };
    for (const auto& [c, seq] : sequences)
        EXPECT_EQ(byCharacter[c].first, seq) << c;
    // Longer sequences keep their first 12 strokes.
    EXPECT_EQ(byCharacter["齉"].first.size(), StrokeRecord::kStrokesWidth);

    std::string head;
    for (int rank = 1; rank <= 20; ++rank)
        head += byRank[rank];
    EXPECT_EQ(head, "的一不是了我他人在有这来个你上道她大中说");
}

// The grid answers the shortest stroke strings from fixed lists of frequent characters: each of
// them must be a character of the stroke dictionary, so that a pick finds its codes (a symbol
// that only looks like a character, as ○ for 〇, blanked the grid and showed nothing).
TEST_F(Dictionaries, EveryFixedListCharacterIsInTheStrokeDictionary) {
    std::set<gbk::Char> characters;
    for (const auto& r : strokes())
        characters.insert(firstChar(r.character));
    for (const std::string keys :
         {"1",  "2",  "3",  "4",  "5",  "11", "12", "13", "25", "31", "32",
          "35", "41", "43", "44", "45", "51", "52", "53", "54", "55", "251"}) {
        LookupState state(codec());
        state.start(platform::ProgramFiles(TOVRIN_DICTIONARY_DIR, {}).lookupFiles());
        for (char d : keys)
            state.strokeClick(d - '0');
        for (const gbk::Char cell : state.view().Label11)
            EXPECT_TRUE(!LookupView::shows(cell) || characters.count(cell))
                << keys << ": " << codec().toUtf8(gbk::Text(1, cell));
    }
}

TEST_F(Dictionaries, CodeFileIsSortedByCharacterCodeLengthAndCode) {
    const auto& c = codes();
    ASSERT_FALSE(c.empty());
    auto key = [](const CodeRecord& r) {
        const std::string code = trimmed(view(r.code));
        return std::make_tuple(gbk::code(firstChar(r.character)), code.size(), code);
    };
    for (std::size_t i = 1; i < c.size(); ++i)
        ASSERT_LT(key(c[i - 1]), key(c[i])) << "record " << i + 1;
    for (const auto& r : c) {
        const std::string code = trimmed(view(r.code));
        ASSERT_TRUE(!code.empty() &&
                    code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXY") == std::string::npos)
            << utf8(view(r.character)) << " " << code;
    }
}

TEST_F(Dictionaries, EveryCharacterHasACodeAndEveryCommonOneItsFullCode) {
    std::map<gbk::Char, std::vector<std::string>> byCharacter;
    for (const auto& r : codes())
        byCharacter[firstChar(r.character)].push_back(trimmed(view(r.code)));
    for (const auto& r : strokes())
        EXPECT_TRUE(byCharacter.count(firstChar(r.character))) << utf8(view(r.character));
    EXPECT_EQ(byCharacter.size(), strokes().size());

    // A full code is four letters, or three for a short character (with its check letter).
    std::size_t threeLetterFull = 0;
    for (const auto& r : strokes()) {
        const gbk::Char c = firstChar(r.character);
        if (!gbk::isGb2312Hanzi(c))
            continue;
        std::size_t longest = 0;
        for (const auto& code : byCharacter[c])
            longest = std::max(longest, code.size());
        EXPECT_GE(longest, 3u) << utf8(view(r.character));
        threeLetterFull += longest == 3;
    }
    EXPECT_EQ(threeLetterFull, 832u);

    auto codesOf = [&](const char* character) { return byCharacter[gbkChar(character)]; };
    using Codes = std::vector<std::string>;
    EXPECT_EQ(codesOf("我"), (Codes{"Q", "TRN", "TRNT"}));
    EXPECT_EQ(codesOf("工"), (Codes{"A", "AAA", "AAAA"}));
    EXPECT_EQ(codesOf("经"), (Codes{"X", "XC", "XCA", "XCAG"}));
    EXPECT_EQ(codesOf("八"), (Codes{"WTY"}));
}

TEST_F(Dictionaries, PhraseFileIsGroupedByFirstCharacterMostFrequentFirst) {
    const auto& p = phrases();
    ASSERT_FALSE(p.empty());
    std::set<gbk::Char> hanzi;
    for (const auto& r : strokes())
        hanzi.insert(firstChar(r.character));

    std::map<std::string, std::vector<std::string>> groups;
    std::size_t inGroup = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const gbk::Char first = firstChar(p[i].text);
        if (i > 0) {
            const gbk::Char before = firstChar(p[i - 1].text);
            ASSERT_LE(gbk::code(before), gbk::code(first)) << "record " << i + 1;
            inGroup = before == first ? inGroup + 1 : 0;
        }
        ASSERT_LT(inGroup, 201u) << "record " << i + 1;
        const gbk::Text text = gbk::trimRight(gbk::decode(view(p[i].text)));
        ASSERT_GE(text.size(), 2u) << utf8(view(p[i].text));
        for (gbk::Char c : text)
            ASSERT_TRUE(hanzi.count(c)) << utf8(view(p[i].text));
        auto& g = groups[codec().toUtf8(gbk::Text(1, first))];
        if (g.size() < 3)
            g.push_back(utf8(view(p[i].text)));
    }
    using Words = std::vector<std::string>;
    EXPECT_EQ(groups["我"], (Words{"我们", "我的", "我国"}));
    EXPECT_EQ(groups["中"], (Words{"中国", "中华", "中心"}));
    EXPECT_EQ(groups["一"], (Words{"一个", "一些", "一定"}));
}

TEST_F(Dictionaries, PinyinFileIsSortedByReadingAndCoversTheCommonCharacters) {
    const auto& p = pinyin();
    ASSERT_FALSE(p.empty());
    std::map<gbk::Char, int> rank;
    for (const auto& r : strokes())
        rank[firstChar(r.character)] = r.rank;

    std::set<gbk::Char> covered;
    std::set<std::string> readings;
    std::string zhang;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (i > 0) {
            const int c = compareBytes(p[i - 1].pinyin, p[i].pinyin);
            ASSERT_LE(c, 0) << "record " << i + 1;
            // Within a reading the common characters come first.
            if (c == 0) {
                ASSERT_GE(gbk::isGb2312Hanzi(firstChar(p[i - 1].character)),
                          gbk::isGb2312Hanzi(firstChar(p[i].character)))
                    << "record " << i + 1;
            }
        }
        const std::string reading = trimmed(view(p[i].pinyin));
        ASSERT_TRUE(!reading.empty() &&
                    reading.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos)
            << reading;
        ASSERT_TRUE(rank.count(firstChar(p[i].character))) << utf8(view(p[i].character));
        covered.insert(firstChar(p[i].character));
        readings.insert(reading);
        if (reading == "zhang" && zhang.size() < 6 * 3)
            zhang += utf8(view(p[i].character));
    }
    for (const auto& [c, r] : rank) {
        if (gbk::isGb2312Hanzi(c)) {
            EXPECT_TRUE(covered.count(c)) << codec().toUtf8(gbk::Text(1, c)) << " has no reading";
        }
    }
    EXPECT_EQ(zhang, "张涨长章帐掌");
    // ü is written v everywhere: lv, lve, nv, nve, and no lue or nue.
    for (const char* r : {"lv", "lve", "nv", "nve"})
        EXPECT_TRUE(readings.count(r)) << r;
    for (const char* r : {"lue", "nue"})
        EXPECT_FALSE(readings.count(r)) << r;
}

} // namespace
