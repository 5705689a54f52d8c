// A drill's answer graded against a tiny character-code dictionary.
#include "core/practice/grading.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace tovrin;
using namespace tovrin::practice;
using testdata::text;

namespace {

// The dictionary sorted as the real one is, by each character's signed code.
RecordFile dictionary() {
    std::vector<std::pair<const char*, const char*>> rows = {
        {"八", "WTY"}, {"啊", "KB"},   {"啊", "KBSK"}, {"经", "X"},    {"经", "XC"},
        {"经", "XCA"}, {"经", "XCAG"}, {"我", "Q"},    {"我", "TRN"},  {"我", "TRNT"},
        {"们", "WU"},  {"们", "WUN"},  {"计", "YF"},   {"计", "YFH"},  {"算", "THAJ"},
        {"机", "SM"},  {"机", "SMN"},  {"中", "K"},    {"中", "KHK"},  {"华", "WXF"},
        {"人", "W"},   {"人", "WWWW"}, {"民", "NAV"},  {"共", "AWU"},  {"和", "TKG"},
        {"国", "L"},   {"国", "LGYI"}, {"丂", "GHN"},  {"丂", "GHNV"}, {"我", "TRNT"},
        {"有", "E"},   {"有", "DEF"},  {"天", "GD"},   {"天", "GDI"},  {"土", "FFFF"},
        {"十", "FGH"}, {"子", "BBBB"}};
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return gbk::code(text(a.first)[0]) < gbk::code(text(b.first)[0]);
    });
    return RecordFile::fromBytes(testdata::codeBytes(rows), CodeRecord::kLength);
}

// Last strokes: 有 and 天 as written, 子's two orders disagreeing, 十 a root character.
const LastStrokes& lastStrokes() {
    static const RecordFile strokes =
        RecordFile::fromBytes(testdata::strokeBytes({{text("有"), "132511", 1},
                                                     {text("天"), "1134", 2},
                                                     {text("子"), "521", 3},
                                                     {text("子"), "523", 3},
                                                     {text("十"), "12", 4},
                                                     {text("我"), "312531534312", 5}}),
                              StrokeRecord::kLength);
    static const LastStrokes last(strokes);
    return last;
}

ItemCodes item(const char* utf8) {
    static const RecordFile codes = dictionary();
    return codesOf(text(utf8), codes, &lastStrokes()).value();
}

std::vector<std::pair<std::string, Level>> codesOf(const ItemCodes& it) {
    std::vector<std::pair<std::string, Level>> out;
    for (const Code& c : it.codes)
        out.emplace_back(c.letters, c.level);
    return out;
}

} // namespace

TEST(Grading, RatingsByAnswerTime) {
    const ItemCodes wo = item("我");
    EXPECT_EQ(grade(wo, "TRNT", kEasyWithin, false).rating, Rating::Easy);
    EXPECT_EQ(grade(wo, "q", kEasyWithin + 1, false).rating, Rating::Good);
    EXPECT_EQ(grade(wo, "trn", kGoodWithin, false).rating, Rating::Good);
    EXPECT_EQ(grade(wo, "trn", kGoodWithin + 1, false).rating, Rating::Hard);
    EXPECT_EQ(grade(wo, "Q", 100, true).rating, Rating::Hard);
    EXPECT_EQ(grade(wo, "tr", 100, false).rating, Rating::Again);
    EXPECT_FALSE(grade(wo, "tr", 100, false).right);
}

TEST(Grading, LevelsAndTheShorterCode) {
    using enum Level;
    EXPECT_EQ(codesOf(item("经")),
              (std::vector<std::pair<std::string, Level>>{
                  {"x", Short1}, {"xc", Short2}, {"xca", Short3}, {"xcag", Full}}));
    EXPECT_EQ(codesOf(item("我")), (std::vector<std::pair<std::string, Level>>{
                                       {"q", Short1}, {"trn", Short3}, {"trnt", Full}}));
    EXPECT_EQ(codesOf(item("八")), (std::vector<std::pair<std::string, Level>>{{"wty", Full}}));
    EXPECT_EQ(grade(item("经"), "xca", 0, false).shorterCode, "x");
    EXPECT_EQ(grade(item("经"), "x", 0, false).shorterCode, "");
    EXPECT_EQ(grade(item("经"), "xcb", 0, false).shorterCode, "");
    EXPECT_FALSE(codesOf(text("的"), dictionary()));
}

TEST(Grading, NearestCodeAndMarks) {
    using enum Mark;
    const Feedback wrongLast = grade(item("我"), "trnq", 0, false);
    EXPECT_EQ(wrongLast.nearest, "trnt");
    EXPECT_EQ(wrongLast.marks, (std::vector<Mark>{Right, Right, Right, Wrong}));
    const Feedback shortOne = grade(item("我"), "tr", 0, false);
    EXPECT_EQ(shortOne.nearest, "trn");
    EXPECT_EQ(shortOne.marks, (std::vector<Mark>{Right, Right, Missing}));
    const Feedback longOne = grade(item("我"), "qa", 0, false);
    EXPECT_EQ(longOne.nearest, "q");
    EXPECT_EQ(longOne.marks, (std::vector<Mark>{Right, Extra}));
    // Ties: x and xc are one off, and xc is as long as the typed letters; kb and kbsk are one
    // off, neither as long, and kbsk is the full code.
    EXPECT_EQ(grade(item("经"), "xb", 0, false).nearest, "xc");
    EXPECT_EQ(grade(item("啊"), "kbs", 0, false).nearest, "kbsk");
}

TEST(Grading, WordCodesAreMadeFromTheirCharacters) {
    const ItemCodes two = item("我们");
    EXPECT_EQ(codesOf(two), (std::vector<std::pair<std::string, Level>>{{"trwu", Level::Full}}));
    EXPECT_EQ(two.parts[1].fullCode, "wun");
    EXPECT_EQ(item("计算机").codes[0].letters, "ytsm");
    const ItemCodes seven = item("中华人民共和国");
    EXPECT_EQ(seven.codes[0].letters, "kwwl");
    EXPECT_EQ(seven.parts[3].taken, "");
    EXPECT_FALSE(codesOf(text("我的"), dictionary()));

    const gbk::Codec& codec = testdata::codec();
    const ItemCodes three = item("计算机");
    const auto lines = feedbackLines(three, grade(three, "ytsm", 0, false), codec);
    EXPECT_EQ(lines.back(), "计算机: 计 Y + 算 T + 机 SM = YTSM");
    const auto longWord = feedbackLines(seven, grade(seven, "kwwl", 0, false), codec);
    EXPECT_EQ(longWord.back(), "中华人民共和国: 中 K + 华 W + 人 W + 国 L = KWWL");
}

TEST(Grading, ConfusedKeysAndTheirRoots) {
    const Feedback f = grade(item("我"), "TRNQ", 0, false);
    ASSERT_EQ(f.confusions.size(), 1u);
    const Confusion& c = f.confusions[0];
    EXPECT_EQ(c.position, 3u);
    EXPECT_EQ(c.expectedKey->zone, 31);
    EXPECT_EQ(c.typedKey->name, "金");
    EXPECT_EQ(grade(item("我"), "trn1", 0, false).confusions[0].typedKey, nullptr);

    const auto lines =
        feedbackLines(item("我们"), grade(item("我们"), "TRW", 0, false), testdata::codec());
    EXPECT_EQ(lines, (std::vector<std::string>{"错", "TRW_", "   ^", "TRWU 全码",
                                               "我们: 我 TR + 们 WU = TRWU"}));
    const auto wrong = feedbackLines(item("我"), f, testdata::codec());
    EXPECT_EQ(wrong[1], "TRNQ");
    EXPECT_EQ(wrong[2], "   ^");
    EXPECT_EQ(wrong.back(), "应为 T 禾；打成 Q 金");
}

// A hint says only what the codes and the strokes prove: never a key's roots as the
// character's, the identification letter only where the code is two roots and it.
TEST(Grading, HintsAndMissesNameWhatTheCodeProves) {
    EXPECT_EQ(lastStrokes().of(text("有")[0]), 1);
    EXPECT_EQ(lastStrokes().of(text("子")[0]), 0); // two orders that end differently
    EXPECT_EQ(lastStrokes().of(text("我")[0]), 0); // a full field may have been cut
    const gbk::Codec& codec = testdata::codec();
    const ItemCodes you = item("有");
    ASSERT_TRUE(identificationLetter(you));
    EXPECT_EQ(feedbackLines(you, grade(you, "dee", 0, false), codec).back(),
              "应为 F 土（末笔识别码：末笔横，上下型）；打成 E 月");
    EXPECT_EQ(identificationLetter(item("天"))->shape, 3);
    EXPECT_FALSE(identificationLetter(item("十"))); // a root character: F G H are strokes
    const ItemCodes guo = item("国");
    EXPECT_EQ(feedbackLines(guo, grade(guo, "lgyl", 0, false), codec).back(),
              "应为 I 水；打成 L 田");

    auto missed = [](const char* utf8, std::string_view typed) {
        const ItemCodes it = item(utf8);
        return missOf(it, typed, grade(it, typed, 0, false).nearest);
    };
    EXPECT_EQ(missed("有", "dee").rule, Rule::IdentificationLetter);
    EXPECT_EQ(missed("有", "de").rule, Rule::IdentificationLetter);
    EXPECT_EQ(missed("土", "fgh").rule, Rule::KeyName);
    EXPECT_EQ(missed("子", "bb").rule, Rule::KeyName);
    EXPECT_EQ(missed("我们", "trwn").rule, Rule::WordCode);
    EXPECT_EQ(missed("我", "tr").rule, Rule::ShortCode);
    const Miss keys = missed("国", "lgyl");
    EXPECT_FALSE(keys.rule);
    EXPECT_EQ(keys.keys, "i");
    EXPECT_EQ(missed("有", "xef").keys, "d");
}
