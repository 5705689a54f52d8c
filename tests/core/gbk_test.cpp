#include "core/text/gbk.h"

#include <gtest/gtest.h>

using namespace tovrin;

TEST(Gbk, CodesAreSignedSoTwoByteCharactersSortFirst) {
    // 啊 B0A1, 丂 8140 (the lowest two-byte code), 齄 F7FE, and one-byte characters.
    EXPECT_EQ(gbk::code(0xB0A1), 0xB0A1 - 65536);
    EXPECT_EQ(gbk::code(0x8140), -32448);
    EXPECT_EQ(gbk::code(0xFEFE), -258);
    EXPECT_EQ(gbk::code(u'A'), 65);
    EXPECT_EQ(gbk::code(0x00FF), 255);
    EXPECT_LT(gbk::code(0xFEFE), gbk::code(u' '));
    EXPECT_LT(gbk::code(0x8140), gbk::code(0xB0A1));
}

TEST(Gbk, Gb2312HanziAtTheEdgesOfTheRange) {
    EXPECT_TRUE(gbk::isGb2312Hanzi(0xB0A1));  // 啊, first
    EXPECT_TRUE(gbk::isGb2312Hanzi(0xF7FE));  // 齄, last
    EXPECT_TRUE(gbk::isGb2312Hanzi(0xD7F9));  // 座, last of area 55
    EXPECT_FALSE(gbk::isGb2312Hanzi(0xD7FA)); // empty places of area 55
    EXPECT_FALSE(gbk::isGb2312Hanzi(0xAFFE)); // area 15: not hanzi
    EXPECT_FALSE(gbk::isGb2312Hanzi(0xF8A1)); // user-defined area
    EXPECT_FALSE(gbk::isGb2312Hanzi(0xB040)); // GBK extension with a GB 2312 lead byte
    EXPECT_FALSE(gbk::isGb2312Hanzi(0xB0A0));
    EXPECT_FALSE(gbk::isGb2312Hanzi(0xA1A1)); // a symbol
    EXPECT_FALSE(gbk::isGb2312Hanzi(u'a'));
}

TEST(Gbk, DecodeSplitsMixedWidthText) {
    // "我a" then a lone lead byte at the end, kept as a character of its own.
    const gbk::Text t = gbk::decode("\xCE\xD2"
                                    "a\x81");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], 0xCED2);
    EXPECT_EQ(t[1], u'a');
    EXPECT_EQ(t[2], 0x81);
    // 0x80 is no lead byte.
    EXPECT_EQ(gbk::decode("\x80\x41").size(), 2u);
    EXPECT_EQ(gbk::encode(gbk::decode("\xCE\xD2 x\xB0\xA1")), "\xCE\xD2 x\xB0\xA1");
}

TEST(Gbk, TrimRemovesOnlyAsciiSpaces) {
    EXPECT_EQ(gbk::trim(u"  a b  "), u"a b");
    EXPECT_EQ(gbk::trimRight(u" a "), u" a");
    EXPECT_EQ(gbk::trim(u"   "), u"");
    EXPECT_EQ(gbk::trim(gbk::Text{0xA1A1}), (gbk::Text{0xA1A1})); // the ideographic space stays
}

TEST(Gbk, CodecConvertsBothWays) {
    const gbk::Codec codec;
    EXPECT_EQ(codec.toUnicode(0xCED2), U'我');
    EXPECT_EQ(codec.toUnicode(0xB0A1), U'啊');
    EXPECT_EQ(codec.toUnicode(0x8140), U'丂');
    EXPECT_EQ(codec.toUnicode(0xA1F0), U'○');
    EXPECT_EQ(codec.toUnicode(u'z'), U'z');
    EXPECT_EQ(codec.toUnicode(0x00FF), U'\uFFFD');
    EXPECT_EQ(codec.toUnicode(0x8120), U'\uFFFD'); // trail byte below 0x40
    EXPECT_EQ(codec.toUnicode(0x817F), U'\uFFFD');

    EXPECT_EQ(codec.fromUnicode(U'我'), gbk::Char(0xCED2));
    EXPECT_EQ(codec.fromUnicode(U'〇'), gbk::Char(0xA996));
    EXPECT_FALSE(codec.fromUnicode(U'😀'));
    EXPECT_FALSE(codec.fromUnicode(U'\uAC00')); // a Hangul syllable

    EXPECT_EQ(codec.toUtf8(gbk::decode("\xCE\xD2\xBE\xAD\xB0\xCB")), "我经八");
    const auto back = codec.fromUtf8("我经八 a");
    ASSERT_TRUE(back);
    EXPECT_EQ(gbk::encode(*back), "\xCE\xD2\xBE\xAD\xB0\xCB a");
    EXPECT_FALSE(codec.fromUtf8("\xE6\x88"));     // cut off in the middle of a character
    EXPECT_FALSE(codec.fromUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(codec.fromUtf8("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(codec.fromUtf8("한"));
}

TEST(Gbk, EveryHanziOfTheGbkRangeRoundTrips) {
    const gbk::Codec codec;
    int hanzi = 0;
    for (char32_t cp = 0x4E00; cp <= 0x9FA5; ++cp) {
        const auto c = codec.fromUnicode(cp);
        ASSERT_TRUE(c) << std::hex << static_cast<unsigned>(cp);
        EXPECT_EQ(codec.toUnicode(*c), cp);
        hanzi += gbk::isGb2312Hanzi(*c);
    }
    EXPECT_EQ(hanzi, 6763);
}
