#include "core/dict/codelookup.h"
#include "core/dict/records.h"
#include "core/dict/wordcode.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace tovrin;

namespace {

// A code dictionary from (GBK character, code) pairs, written in the order given.
RecordFile codeFile(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string bytes;
    for (const auto& [ch, code] : rows) {
        CodeRecord r;
        writeField(r.character.data(), r.character.size(), ch);
        writeField(r.code.data(), r.code.size(), code);
        const auto b = r.bytes();
        bytes.append(b.data(), b.size());
    }
    return RecordFile::fromBytes(bytes, CodeRecord::kLength);
}

const gbk::Codec& codec() {
    static const gbk::Codec c;
    return c;
}

std::string gbkOf(const char* utf8) {
    return gbk::encode(*codec().fromUtf8(utf8));
}
gbk::Char charOf(const char* utf8) {
    return (*codec().fromUtf8(utf8))[0];
}

// The summary line for a character, or "-" when it is not found.
std::string lookUp(const RecordFile& f, const char* utf8) {
    const gbk::Char c = charOf(utf8);
    const Bisection s = bisectFirstChar(f, c);
    if (!s.found)
        return "-";
    return codec().toUtf8(collectCodes(f, s.pos, c).summary);
}

// 丂 (8140) < 啊 (B0A1) < 八 (B0CB) < 经 (BEAD) < 我 (CED2) < 齄 (F7FE) in signed code order.
RecordFile sample() {
    return codeFile({{gbkOf("丂"), "GHN"},
                     {gbkOf("丂"), "GHNV"},
                     {gbkOf("啊"), "KB"},
                     {gbkOf("啊"), "KBSK"},
                     {gbkOf("八"), "WTY"},
                     {gbkOf("经"), "X"},
                     {gbkOf("经"), "XC"},
                     {gbkOf("经"), "XCA"},
                     {gbkOf("经"), "XCAG"},
                     {gbkOf("我"), "Q"},
                     {gbkOf("我"), "TRN"},
                     {gbkOf("我"), "TRNT"},
                     {gbkOf("齄"), "THLG"}});
}

} // namespace

TEST(CodeLookup, SummaryLinesListOneCodePerLengthInOrder) {
    const RecordFile f = sample();
    EXPECT_EQ(lookUp(f, "我"), "我 Q TRN TRNT");
    EXPECT_EQ(lookUp(f, "经"), "经 X XC XCA XCAG");
    EXPECT_EQ(lookUp(f, "八"), "八 WTY");
    EXPECT_EQ(lookUp(f, "啊"), "啊 KB KBSK");
}

TEST(CodeLookup, FirstAndLastRecordsOfTheFile) {
    const RecordFile f = sample();
    // The window starts at record 1, not before it.
    const Bisection first = bisectFirstChar(f, charOf("丂"));
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.pos, 1);
    EXPECT_EQ(lookUp(f, "丂"), "丂 GHN GHNV");
    // The scan stops after the last record.
    const Bisection last = bisectFirstChar(f, charOf("齄"));
    ASSERT_TRUE(last.found);
    EXPECT_EQ(last.pos, f.count());
    const CodeLine line = collectCodes(f, last.pos, charOf("齄"));
    EXPECT_EQ(codec().toUtf8(line.summary), "齄 THLG");
    EXPECT_EQ(codec().toUtf8(line.byLength[3]), " THLG");
    EXPECT_TRUE(line.byLength[0].empty());
}

TEST(CodeLookup, AbsentCharactersAreNotFound) {
    const RecordFile f = sample();
    EXPECT_EQ(lookUp(f, "好"), "-");           // between two characters of the file
    EXPECT_EQ(lookUp(f, "A"), "-");            // one-byte: above every two-byte code
    EXPECT_EQ(lookUp(f, "亍"), "-");           // 8141: between the first two groups
    EXPECT_EQ(lookUp(f, "\xE3\x80\x80"), "-"); // the ideographic space A1A1, below 啊
    EXPECT_FALSE(bisectFirstChar(RecordFile(), charOf("我")).found);
    EXPECT_FALSE(bisectFirstChar(codeFile({}), charOf("我")).found);
}

TEST(CodeLookup, OneRecordAndTwoRecordFiles) {
    EXPECT_EQ(lookUp(codeFile({{gbkOf("我"), "Q"}}), "我"), "我 Q");
    EXPECT_EQ(lookUp(codeFile({{gbkOf("我"), "Q"}}), "经"), "-");
    const RecordFile two = codeFile({{gbkOf("八"), "WTY"}, {gbkOf("我"), "TRNT"}});
    EXPECT_EQ(lookUp(two, "我"), "我 TRNT");
    EXPECT_EQ(lookUp(two, "八"), "八 WTY");
    EXPECT_EQ(lookUp(two, "经"), "-");
}

TEST(CodeLookup, LongGroupsAndDamagedRecords) {
    // Many characters, so the hit lands inside a group and the window has to reach around it.
    std::vector<std::pair<std::string, std::string>> rows;
    const char* chars[] = {"啊", "八", "经", "我", "齄"};
    for (const char* c : chars)
        for (const char* code : {"A", "AB", "ABC", "ABCD"})
            rows.emplace_back(gbkOf(c), code);
    const RecordFile f = codeFile(rows);
    for (const char* c : chars)
        EXPECT_EQ(lookUp(f, c), std::string(c) + " A AB ABC ABCD") << c;

    // A later code of the same length replaces an earlier one; a blank code shows nothing.
    const RecordFile g =
        codeFile({{gbkOf("我"), "TRNT"}, {gbkOf("我"), "    "}, {gbkOf("我"), "TRNY"}});
    EXPECT_EQ(lookUp(g, "我"), "我 TRNY");

    // An unsorted file finds nothing it cannot reach, and never loops.
    const RecordFile u = codeFile({{gbkOf("我"), "Q"}, {gbkOf("八"), "WTY"}});
    EXPECT_EQ(lookUp(u, "经"), "-");
    // A trailing partial record reads as blanks.
    RecordFile cut = RecordFile::fromBytes(gbkOf("八") + "WTY " + gbkOf("我") + "TR", 6);
    EXPECT_EQ(cut.count(), 2);
    EXPECT_EQ(lookUp(cut, "我"), "我 TR");
}

TEST(Bisection, FindsEveryKeyAndStopsBesideAMissingOne) {
    // Sorted files of random keys over a small alphabet (so keys repeat), some with bytes above
    // 0x7F and a cut last record; searched for keys in and out of them.
    std::mt19937 rng(11);
    const std::string alphabet = " 125a\x81\xfe";
    for (std::size_t width : {std::size_t(4), std::size_t(6), std::size_t(9), std::size_t(12)}) {
        const std::size_t offset = 2;
        const std::size_t length = offset + width + 2;
        for (int round = 0; round < 40; ++round) {
            // Most keys share a stem and differ in their last few bytes, so the comparison of
            // a key's tail decides the search as often as its head.
            std::string stem(width, ' ');
            for (char& c : stem)
                c = alphabet[rng() % alphabet.size()];
            auto randomKey = [&] {
                std::string k = stem;
                const std::size_t from = rng() % 5 == 0 ? 0 : width - 1 - rng() % 4;
                for (std::size_t i = from; i < width; ++i)
                    k[i] = alphabet[rng() % alphabet.size()];
                return k;
            };
            std::vector<std::string> keys(1 + rng() % 60);
            for (auto& k : keys)
                k = randomKey();
            std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
                return std::lexicographical_compare(
                    a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                    });
            });
            std::string bytes;
            for (const auto& k : keys)
                bytes += "XX" + k + "YY";
            if (round % 4 == 0)
                bytes.resize(bytes.size() - length / 3); // a cut last record
            const RecordFile file = RecordFile::fromBytes(bytes, length);
            // Record n's key as the search reads it: a cut record padded with blanks.
            auto keyOf = [&](std::int32_t n) {
                std::string k(file.record(n).substr(offset, width));
                k.resize(width, ' ');
                return k;
            };
            auto below = [](const std::string& a, const std::string& b) {
                return std::lexicographical_compare(
                    a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                    });
            };
            // A cut last record may read as sorting before the one ahead of it.
            bool sorted = true;
            for (std::int32_t n = 2; n <= file.count(); ++n)
                sorted = sorted && !below(keyOf(n), keyOf(n - 1));
            for (int probe = 0; probe < 40; ++probe) {
                const std::string key = probe % 2 ? keys[rng() % keys.size()] : randomKey();
                const Bisection got = bisectField(file, offset, key);
                ASSERT_GE(got.pos, 1);
                ASSERT_LE(got.pos, file.count());
                if (got.found) {
                    EXPECT_EQ(keyOf(got.pos), key) << width;
                }
                if (!sorted)
                    continue;
                bool held = false;
                for (std::int32_t n = 1; n <= file.count(); ++n)
                    held = held || keyOf(n) == key;
                ASSERT_EQ(got.found, held) << width << " " << key;
                if (!held) { // where the key would stand, or at the end it passes
                    EXPECT_TRUE(got.pos == 1 || below(keyOf(got.pos - 1), key))
                        << width << " " << key;
                    EXPECT_TRUE(got.pos == file.count() || below(key, keyOf(got.pos + 1)))
                        << width << " " << key;
                }
            }
        }
    }
}

namespace {

// A phrase dictionary from words, written in the order given.
RecordFile phraseFile(const std::vector<const char*>& words) {
    std::string bytes;
    for (const char* w : words) {
        PhraseRecord r;
        writeField(r.text.data(), r.text.size(), gbkOf(w));
        const auto b = r.bytes();
        bytes.append(b.data(), b.size());
    }
    return RecordFile::fromBytes(bytes, PhraseRecord::kLength);
}

std::string wordCode(const RecordFile& f, const char* utf8, std::string* missing = nullptr) {
    gbk::Char absent = 0;
    const std::string code = wordcode::ofWord(f, *codec().fromUtf8(utf8), &absent);
    if (missing)
        *missing = absent ? codec().toUtf8(gbk::Text(1, absent)) : "";
    return code;
}

} // namespace

// 我 TRNT, 经 XCAG (XCAH ties it later), 啊 KBSK, 八 WTY, 齄 THLG, 吖 only K.
TEST(WordCode, TheRulesTakeLettersFromEachFullCode) {
    const RecordFile f = codeFile({{gbkOf("啊"), "KB"},
                                   {gbkOf("啊"), "KBSK"},
                                   {gbkOf("八"), "WTY"},
                                   {gbkOf("经"), "XC"},
                                   {gbkOf("经"), "XCAG"},
                                   {gbkOf("经"), "XCAH"},
                                   {gbkOf("我"), "TRN"},
                                   {gbkOf("我"), "TRNT"},
                                   {gbkOf("吖"), "K"},
                                   {gbkOf("齄"), "THLG"}});
    EXPECT_EQ(wordcode::fullCode(f, charOf("经")), "XCAG"); // the first of the longest
    EXPECT_EQ(wordcode::fullCode(f, charOf("八")), "WTY");
    EXPECT_EQ(wordCode(f, "我经"), "TRXC");       // two letters of each
    EXPECT_EQ(wordCode(f, "我经啊"), "TXKB");     // one, one, two
    EXPECT_EQ(wordCode(f, "我经啊八"), "TXKW");   // the first of each of four
    EXPECT_EQ(wordCode(f, "我经啊八齄"), "TXKT"); // the first three and the last
    EXPECT_EQ(wordCode(f, "八我"), "WTTR");
    // A full code shorter than the rule takes gives the letters it has.
    EXPECT_EQ(wordCode(f, "吖我"), "KTR");
    // A character without a code: no word code, and it is named.
    std::string missing;
    EXPECT_EQ(wordCode(f, "我阿", &missing), "");
    EXPECT_EQ(missing, "阿");
    EXPECT_EQ(wordcode::fromFullCodes({"TRNT"}), "");
}

TEST(WordCode, AWordIsWholeInItsGroup) {
    const RecordFile f = phraseFile({"八个", "我们", "我们的", "我国", "齄鼻"});
    EXPECT_TRUE(wordcode::isWord(f, *codec().fromUtf8("我们")));
    EXPECT_TRUE(wordcode::isWord(f, *codec().fromUtf8("我们的")));
    EXPECT_TRUE(wordcode::isWord(f, *codec().fromUtf8("齄鼻")));
    EXPECT_FALSE(wordcode::isWord(f, *codec().fromUtf8("我")));     // a part of a word
    EXPECT_FALSE(wordcode::isWord(f, *codec().fromUtf8("们的")));   // another word's ending
    EXPECT_FALSE(wordcode::isWord(f, *codec().fromUtf8("我国人"))); // longer than the word
    EXPECT_FALSE(wordcode::isWord(f, *codec().fromUtf8("一二三四五六七八九"))); // too long
}
