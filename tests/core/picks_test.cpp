#include "core/dict/quwei.h"
#include "core/dict/textcut.h"
#include "core/lookup/lookupstate.h"
#include "core/text/numeric.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <memory>

using namespace tovrin;
using namespace tovrin::testdata;

namespace {

// The characters the tests pick: each has a stroke string of its own, "55" and two more.
const gbk::Text kPickable = text("我人民中华共和国啊丂");

std::string strokesOf(gbk::Char c) {
    const auto i = kPickable.find(c);
    return "55" + std::string(1, static_cast<char>('1' + i / 5)) + static_cast<char>('1' + i % 5);
}

class Picks : public ::testing::Test {
protected:
    // The given phrase, code and pinyin dictionaries, and a stroke one of the pickable
    // characters.
    void open(const std::vector<const char*>& phrases,
              const std::vector<std::pair<const char*, const char*>>& codes = {},
              const std::vector<std::pair<const char*, const char*>>& readings = {}) {
        std::vector<StrokeRow> rows;
        for (gbk::Char c : kPickable)
            rows.push_back({gbk::Text(1, c), strokesOf(c), 1});
        LookupFiles files;
        files.strokes = FileBytes::of(strokeBytes(rows));
        files.phrases = FileBytes::of(phraseBytes(phrases) + phraseTail);
        files.codes = FileBytes::of(codeBytes(codes));
        files.pinyin = FileBytes::of(pinyinBytes(readings));
        s = std::make_unique<LookupState>(codec());
        s->start(std::move(files));
    }
    const LookupView& v() const { return s->view(); }
    // Brings a character into cell 0 of the character grid by its strokes, and picks it.
    void pick(const char* ch) {
        for (char d : strokesOf(text(ch)[0]))
            s->strokeClick(d - '0');
        ASSERT_EQ(LookupView::captionOf(v().Label11[0]), text(ch));
        s->Label11_MouseDown(0);
    }
    std::string assoc() const { return utf8(gbk::trimRight(v().assocHz)); }

    std::unique_ptr<LookupState> s;
    std::string phraseTail; // bytes after the phrase dictionary's records
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
    EXPECT_EQ(utf8(v().Label19), "我");
    EXPECT_EQ(utf8(v().Label25), "我");
    // In file order and without repeats, then 51 spaces.
    EXPECT_EQ(assoc(), "们的国");
    EXPECT_EQ(v().assocHz.size(), 3u + 51u);
    EXPECT_EQ(utf8(LookupView::captionOf(v().Label11[0])), "们");
    EXPECT_EQ(utf8(LookupView::captionOf(v().Label11[2])), "国");
    EXPECT_EQ(v().Label11[3], u' '); // the character grid keeps blank cells as a space
    EXPECT_EQ(utf8(v().Text1.front()), "我 Q TRN TRNT");
    EXPECT_EQ(utf8(v().Label22), "找到");
    EXPECT_TRUE(v().Label1.empty() && v().Label6.empty());
}

TEST_F(Picks, LongerContextsComeFirst) {
    open(kWords);
    pick("人");
    pick("民");
    // Pass 1 (人民): the third characters of 人民…, the two-character 人民 itself adds nothing;
    // pass 4 (民): the second characters of 民…, those not listed yet.
    EXPECT_EQ(utf8(v().Label19), "人民");
    EXPECT_EQ(assoc(), "币日大主族");

    pick("中");
    pick("华");
    pick("人");
    pick("民");
    EXPECT_EQ(utf8(v().Label19), "中华人民");
    // 中华人民 has no continuation; 华人民 none; 人民 → 币日大; 民 → 主族.
    EXPECT_EQ(assoc(), "币日大主族");

    pick("共"); // the history keeps the last three and the new one
    EXPECT_EQ(utf8(v().Label19), "华人民共");
    EXPECT_EQ(assoc(), "");
    EXPECT_EQ(v().Label11[0], u' ');
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
    EXPECT_EQ(utf8(v().Label19), "民共和国"); // the history keeps four, for the association
    EXPECT_EQ(utf8(v().pickedWord), "中华人民共和国");
    EXPECT_EQ(v().pickedWordCode, "KWWL");
}

TEST_F(Picks, TheOneCharacterPassKeepsBlanks) {
    // A one-character "word" (a damaged record) yields a blank in the last pass only.
    open({"人", "人们", "我们"});
    pick("我");
    pick("人");
    EXPECT_EQ(utf8(v().assocHz.substr(0, 2)), " 们");
}

TEST_F(Picks, WholeAndCutWordsAddTheSameWay) {
    // Whole words of two-byte characters are compared in place; a word cut short at the end of
    // the file is read padded. Both add their next character.
    phraseTail = gbkBytes("我是") + "      "; // 10 of its 16 bytes
    open({"我们", "我的"});
    pick("我");
    EXPECT_EQ(assoc(), "们的是");
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
    EXPECT_EQ(gbk::trimRight(v().assocHz).size(), 201u);
}

TEST_F(Picks, BlankCellsAndEmptyDictionaries) {
    open(kWords);
    int promotions = 0;
    s->promotionTrigger = [&promotions] { ++promotions; };
    pick("我");
    EXPECT_EQ(promotions, 1);
    ASSERT_EQ(v().Label11[5], u' ');
    const auto before = v().Label11;
    s->Label11_MouseDown(5);
    EXPECT_EQ(promotions, 2); // the trigger runs even for a blank cell
    EXPECT_EQ(v().Label11, before);
    EXPECT_EQ(utf8(v().Label19), "我");

    // No phrase or code dictionary: no association, no code, nothing crashes.
    open({});
    pick("我");
    EXPECT_EQ(assoc(), "");
    EXPECT_EQ(utf8(v().Label22), "没有找到");
    EXPECT_TRUE(v().Text1.empty());
    EXPECT_FALSE(v().Picture1.visible);
}

TEST_F(Picks, PinyinGridPicksLookUpBeforeAssociating) {
    open(kWords, {{"人", "W"}, {"人", "WWWW"}},
         {{"仁", "ren"}, {"任", "ren"}, {"忍", "ren"}, {"人", "ren"}});
    s->Command1_Click();
    for (char c : std::string("ren"))
        s->Command18_Click(c);
    ASSERT_EQ(LookupView::captionOf(v().Label66[3]), text("人"));
    s->Label66_MouseDown(3);
    EXPECT_EQ(utf8(v().Text1.front()), "人 W WWWW");
    EXPECT_TRUE(v().Label63.empty());
    EXPECT_EQ(assoc(), "民大们");
    EXPECT_EQ(utf8(LookupView::captionOf(v().Label66[0])), "民");
    EXPECT_EQ(v().Label66[3], LookupView::kNoCaption); // blank cells of the pinyin grid are empty
    s->Label66_MouseDown(3);                           // and an empty cell is no pick
    EXPECT_EQ(utf8(v().Label19), "人");
}

TEST_F(Picks, CodeLookupsLogNewestFirstAndSetTheLinkBox) {
    open(kWords, {{"丂", "GHNV"}, {"啊", "KB"}, {"啊", "KBSK"}, {"我", "TRNT"}});
    pick("我");
    pick("啊");
    ASSERT_EQ(v().Text1.size(), 2u);
    EXPECT_EQ(utf8(v().Text1[0]), "啊 KB KBSK");
    EXPECT_EQ(utf8(v().Text1[1]), "我 TRNT");
    EXPECT_EQ(utf8(v().Label45), " KB");
    EXPECT_TRUE(v().Label38.empty());
    // A GB 2312 hanzi: the search link, narrow.
    EXPECT_TRUE(v().Picture1.visible);
    EXPECT_EQ(v().Picture1.image, LookupView::LinkBox::Image::Search);
    EXPECT_EQ(v().Picture1.left, 5310);
    EXPECT_EQ(v().Picture1.width, 795);
    // A GBK character outside GB 2312: the article link, wide.
    pick("丂");
    EXPECT_EQ(v().Picture1.image, LookupView::LinkBox::Image::Article);
    EXPECT_EQ(v().Picture1.left, 4050);
    EXPECT_EQ(v().Picture1.width, 2595);
    // An absent character changes nothing visible.
    pick("中");
    EXPECT_EQ(utf8(v().Label22), "没有找到");
    EXPECT_EQ(v().Text1.size(), 3u);
    EXPECT_EQ(utf8(v().Label8), "丂 GHNV");
}

TEST_F(Picks, TheHistoryBoxKeepsTheNewestThousandLines) {
    open({}, {{"我", "Q"}});
    for (int i = 0; i < 1005; ++i)
        pick("我");
    EXPECT_EQ(v().Text1.size(), LookupView::kText1Lines);
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

TEST_F(Picks, ATextIsCutIntoItsLongestWordsAndLoggedInItsOrder) {
    // Sorted by signed code: 华 BBAA < 们 C3C7 < 民 C3F1 < 人 C8CB < 我 CED2 < 中 D6D0.
    open(kWords, {{"华", "WXF"},
                  {"们", "WU"},
                  {"民", "NAV"},
                  {"人", "W"},
                  {"人", "WWWW"},
                  {"我", "Q"},
                  {"我", "TRN"},
                  {"我", "TRNT"},
                  {"中", "K"},
                  {"中", "KHK"}});
    pick("我");
    const LookupView::Cells grid = v().Label11;
    const std::uint64_t added = v().text1Added;
    // A word at the start (中华人民 over 中华), a word inside it not cut out again (人民币 after
    // 中华人民 took 人民), the longest of two (我们的 over 我们), a word at the end.
    const auto pieces = s->lookUpText(U"中华人民币，我们的 x 人民");
    std::vector<std::string> cut;
    for (const auto& p : pieces)
        cut.push_back(utf8(p.text) + (p.word ? "+" : ""));
    EXPECT_EQ(cut, (std::vector<std::string>{"中华人民+", "币", "我们的+", "人民+"}));
    const std::vector<std::string> lines = {
        "中华人民 KWWN", "  中 K KHK",      "  华 WXF",        "  人 W WWWW", "  民 NAV",
        "币 没有找到",   "我们的 没有找到", "  我 Q TRN TRNT", "  们 WU",     "  的 没有找到",
        "人民 WWNA",     "  人 W WWWW",     "  民 NAV"};
    ASSERT_EQ(v().text1Added, added + lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(utf8(v().Text1[i]), lines[i]) << i;
    EXPECT_EQ(utf8(v().Text1[lines.size()]), "我 Q TRN TRNT"); // the pick's line, under them
    // The first character is the current one, its line the one in view beside the link box;
    // the grid and the pick history stay.
    EXPECT_EQ(utf8(v().Label25), "中");
    EXPECT_EQ(utf8(v().Label8), "中 K KHK");
    EXPECT_EQ(utf8(v().Label22), "找到");
    EXPECT_EQ(v().Label11, grid);
    EXPECT_EQ(utf8(v().Label19), "我");
    // Nothing to look up changes nothing.
    EXPECT_TRUE(s->lookUpText(U"abc 123，").empty());
    EXPECT_EQ(v().text1Added, added + lines.size());
    // A text cut short says so at the end of the line in view.
    ASSERT_EQ(s->lookUpText(U"我" + std::u32string(199, U'a') + U"们").size(), 1u);
    EXPECT_EQ(utf8(v().Text1[0]), "我 Q TRN TRNT（只查了前200个字）");
}

TEST(TextCut, PassesOverAllButHanziAndTakesTheFirstTwoHundredCharacters) {
    const RecordFile phrases =
        RecordFile::fromBytes(phraseBytes({"我们", "我们的"}), PhraseRecord::kLength);
    auto cut = [&](std::u32string_view t) {
        std::string out;
        for (const auto& p : textcut::cut(t, phrases, codec()))
            out += utf8(p.text) + (p.word ? "+ " : " ");
        return out;
    };
    // Latin letters, digits, blanks, punctuation and characters GBK lacks are no part of a word.
    for (std::u32string_view between : {U"a", U"1", U" ", U"，", U"😀", U"\u0300"})
        EXPECT_EQ(cut(U"我" + std::u32string(between) + U"们"), "我 们 ")
            << utf8(std::u16string(between.begin(), between.end()));
    EXPECT_EQ(cut(U"😀我们的，"), "我们的+ ");
    EXPECT_EQ(cut(U"abc 123 …"), "");
    // The 200th character ends the text: a word across it is cut short.
    EXPECT_EQ(cut(std::u32string(198, U'a') + U"我们的"), "我们+ ");
    EXPECT_EQ(cut(std::u32string(199, U'a') + U"我们"), "我 ");
}
