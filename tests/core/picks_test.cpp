#include "core/lookupstate.h"
#include "core/numeric.h"
#include "core/quwei.h"
#include "platform/files.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <memory>

using namespace tovrin;
using namespace tovrin::testdata;

namespace {

class Picks : public ::testing::Test {
protected:
    // A program folder with the given phrase and code dictionaries and a small stroke one.
    void open(const std::vector<const char*>& phrases,
              const std::vector<std::pair<const char*, const char*>>& codes = {}) {
        writeFile(dir / "vezaricz.dat", phraseBytes(phrases));
        writeFile(dir / "单字GBK.dat", codeBytes(codes));
        writeFile(dir / "vezari.dat", strokeBytes({{text("我"), "3121534", 6}}));
        s = std::make_unique<LookupState>(codec());
        s->start(folderFiles(dir.str(), {}));
    }
    // Puts a character into cell 0 of the character grid and picks it.
    void pick(const char* ch) {
        s->Label11[0] = text(ch);
        s->Label11_MouseDown(0);
    }
    std::string assoc() const { return utf8(gbk::trimRight(s->assocHz)); }

    TempDir dir;
    std::unique_ptr<LookupState> s;
};

// Words sorted by the signed code of their first character: 华 BBAA < 民 C3F1 < 人 C8CB < 我 CED2
// < 中 D6D0.
const std::vector<const char*> kWords = {
    "华人", "华北",       "民主", "民族", "民主党", "人民", "人民币", "人民日报", "人大",
    "人们", "人民大会堂", "我们", "我的", "我们的", "我国", "中华",   "中华人民", "中国"};

} // namespace

TEST_F(Picks, AFirstPickAssociatesTheSecondCharactersOfItsWords) {
    open(kWords, {{"我", "Q"}, {"我", "TRN"}, {"我", "TRNT"}});
    pick("我");
    EXPECT_EQ(utf8(s->Label19), "我");
    EXPECT_EQ(utf8(s->Label25), "我");
    // In file order and without repeats, then 51 spaces.
    EXPECT_EQ(assoc(), "们的国");
    EXPECT_EQ(s->assocHz.size(), 3u + 51u);
    EXPECT_EQ(utf8(s->Label11[0]), "们");
    EXPECT_EQ(utf8(s->Label11[2]), "国");
    EXPECT_EQ(s->Label11[3], u" "); // the character grid keeps blank cells as a space
    EXPECT_EQ(utf8(s->Text1.front()), "我 Q TRN TRNT");
    EXPECT_EQ(utf8(s->Label22), "找到");
    EXPECT_TRUE(s->Label1.empty() && s->Label6.empty());
}

TEST_F(Picks, LongerContextsComeFirst) {
    open(kWords);
    pick("人");
    pick("民");
    // Pass 1 (人民): the third characters of 人民…, the two-character 人民 itself adds nothing;
    // pass 4 (民): the second characters of 民…, those not listed yet.
    EXPECT_EQ(utf8(s->Label19), "人民");
    EXPECT_EQ(assoc(), "币日大主族");

    s->Label19 = text("中华人");
    pick("民");
    EXPECT_EQ(utf8(s->Label19), "中华人民");
    // 中华人民 has no continuation; 华人民 none; 人民 → 币日大; 民 → 主族.
    EXPECT_EQ(assoc(), "币日大主族");

    pick("共"); // the history keeps the last three and the new one
    EXPECT_EQ(utf8(s->Label19), "华人民共");
    EXPECT_EQ(assoc(), "");
    EXPECT_EQ(s->Label11[0], u" ");
}

TEST_F(Picks, AWordLongerThanThePickHistoryGetsItsCode) {
    // Codes in GBK order: 共 B9B2, 国 B9FA, 和 BACD, 华 BBAA, 民 C3F1, 人 C8CB, 中 D6D0.
    open({"中华人民共和国"}, {{"共", "AWU"},
                              {"国", "LGYI"},
                              {"和", "TKG"},
                              {"华", "WXFJ"},
                              {"民", "NAV"},
                              {"人", "WWWW"},
                              {"中", "KHK"}});
    for (const char* c : {"中", "华", "人", "民", "共", "和", "国"})
        pick(c);
    EXPECT_EQ(utf8(s->Label19), "民共和国"); // the history keeps four, for the association
    EXPECT_EQ(utf8(s->pickedWord), "中华人民共和国");
    EXPECT_EQ(s->pickedWordCode, "KWWL");
}

TEST_F(Picks, TheOneCharacterPassKeepsBlanks) {
    // A one-character "word" (a damaged record) yields a blank in the last pass only.
    open({"人", "人们", "我们"});
    pick("我");
    pick("人");
    EXPECT_EQ(utf8(s->assocHz.substr(0, 2)), " 们");
}

TEST_F(Picks, ScansReadAFixedNumberOfRecords) {
    std::vector<std::string> words;
    std::vector<const char*> ptrs;
    // 300 words beginning with 啊 (the first character of GB 2312): only the first 201 count.
    for (int i = 0; i < 300; ++i)
        words.push_back(utf8(text("啊") + hz(100 + i)));
    for (const auto& w : words)
        ptrs.push_back(w.c_str());
    open(ptrs);
    pick("啊");
    EXPECT_EQ(gbk::trimRight(s->assocHz).size(), 201u);
    EXPECT_EQ(s->pos2, 1 + 201); // the group starts at record 1, found by the walk back
}

TEST_F(Picks, BlankCellsAndEmptyDictionaries) {
    open(kWords);
    int promotions = 0;
    s->promotionTrigger = [&promotions] { ++promotions; };
    s->Label11[5] = u" ";
    const auto before = s->Label11;
    s->Label11_MouseDown(5);
    EXPECT_EQ(promotions, 1); // the trigger runs even for a blank cell
    EXPECT_EQ(s->Label11, before);
    EXPECT_TRUE(s->Label19.empty());
    pick("我");
    EXPECT_EQ(promotions, 2);

    // No phrase or code dictionary: no association, no code, nothing crashes.
    open({});
    pick("我");
    EXPECT_EQ(assoc(), "");
    EXPECT_EQ(utf8(s->Label22), "没有找到");
    EXPECT_TRUE(s->Text1.empty());
    EXPECT_FALSE(s->Picture1.visible);
}

TEST_F(Picks, PinyinGridPicksLookUpBeforeAssociating) {
    open(kWords, {{"人", "W"}, {"人", "WWWW"}});
    s->Label66[3] = text("人");
    s->Label63 = u"ren";
    s->Label66_MouseDown(3);
    EXPECT_EQ(utf8(s->Text1.front()), "人 W WWWW");
    EXPECT_TRUE(s->Label63.empty());
    EXPECT_EQ(assoc(), "民大们");
    EXPECT_EQ(utf8(s->Label66[0]), "民");
    EXPECT_TRUE(s->Label66[3].empty()); // blank cells of the pinyin grid are empty
    s->Label66_MouseDown(3);            // and an empty cell is no pick
    EXPECT_EQ(utf8(s->Label19), "人");
}

TEST_F(Picks, CodeLookupsLogNewestFirstAndSetTheLinkBox) {
    open(kWords, {{"丂", "GHNV"}, {"啊", "KB"}, {"啊", "KBSK"}, {"我", "TRNT"}});
    pick("我");
    pick("啊");
    ASSERT_EQ(s->Text1.size(), 2u);
    EXPECT_EQ(utf8(s->Text1[0]), "啊 KB KBSK");
    EXPECT_EQ(utf8(s->Text1[1]), "我 TRNT");
    EXPECT_EQ(utf8(s->Label45), " KB");
    EXPECT_TRUE(s->Label38.empty());
    // A GB 2312 hanzi: the search link, narrow.
    EXPECT_TRUE(s->Picture1.visible);
    EXPECT_EQ(s->Picture1.image, LookupState::LinkBox::Image::Search);
    EXPECT_EQ(s->Picture1.left, 5310);
    EXPECT_EQ(s->Picture1.width, 795);
    // A GBK character outside GB 2312: the article link, wide.
    pick("丂");
    EXPECT_EQ(s->Picture1.image, LookupState::LinkBox::Image::Article);
    EXPECT_EQ(s->Picture1.left, 4050);
    EXPECT_EQ(s->Picture1.width, 2595);
    // An absent character changes nothing visible.
    pick("中");
    EXPECT_EQ(utf8(s->Label22), "没有找到");
    EXPECT_EQ(s->Text1.size(), 3u);
    EXPECT_EQ(utf8(s->Label8), "丂 GHNV");
}

TEST_F(Picks, TheHistoryBoxKeepsTheNewestThousandLines) {
    open({}, {{"我", "Q"}});
    for (int i = 0; i < 1005; ++i)
        pick("我");
    EXPECT_EQ(s->Text1.size(), LookupState::kText1Lines);
}

// The area-position code as text, written as the code is defined: the oracle of the number
// isGb2312ByQuwei computes. "" for a one-byte character and an empty text.
std::string quwei(const gbk::Text& x) {
    auto appendTwoDigits = [](std::string& out, int v) {
        char buf[16];
        std::snprintf(buf, sizeof buf, v < 0 ? "-%02d" : "%02d", v < 0 ? -v : v);
        out += buf;
    };
    if (x.empty() || gbk::code(x[0]) >= 0)
        return {};
    std::string out;
    appendTwoDigits(out, static_cast<int>(x[0] >> 8) - 160);
    appendTwoDigits(out, static_cast<int>(x[0] & 0xFF) - 160);
    return out;
}

TEST(Quwei, AreaAndPosition) {
    EXPECT_EQ(quwei(text("啊")), "1601");
    EXPECT_EQ(quwei(text("我")), "4650");
    EXPECT_EQ(quwei(text("齄")), "8794");
    EXPECT_EQ(quwei(text("丂")), "-31-96");       // 81 40: outside GB 2312
    EXPECT_EQ(quwei(gbk::Text{0xB040}), "16-96"); // a GBK extension character
    EXPECT_EQ(quwei(gbk::Text{0xF8A1}), "8801");  // the user-defined area
    EXPECT_EQ(quwei(gbk::Text{0xA1A1}), "0101");
    EXPECT_EQ(quwei(u"A"), "");
    EXPECT_EQ(quwei(u""), "");
    EXPECT_EQ(quwei(text("我们")), "4650"); // only the first character counts

    EXPECT_TRUE(isGb2312ByQuwei(text("啊")));
    EXPECT_TRUE(isGb2312ByQuwei(text("齄")));
    EXPECT_FALSE(isGb2312ByQuwei(gbk::Text{0xB040}));
    EXPECT_FALSE(isGb2312ByQuwei(gbk::Text{0xF8A1}));
    EXPECT_FALSE(isGb2312ByQuwei(gbk::Text{0xA1A1}));
    EXPECT_FALSE(isGb2312ByQuwei(u"A"));
}

TEST(Quwei, TheGb2312TestAgreesWithTheWrittenCodeForEveryUnit) {
    for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
        const gbk::Text x{static_cast<gbk::Char>(u)};
        const std::int64_t v = leadingNumber(quwei(x));
        ASSERT_EQ(isGb2312ByQuwei(x), v >= 1601 && v <= 8794) << std::hex << u;
    }
}
