#include "core/settings/setline.h"

#include <gtest/gtest.h>

using namespace tovrin::settings;

TEST(SetLine, ReadsChartAndKeys) {
    EXPECT_EQ(parseSetLine("10102"), (SetLine{1, 112, 113}));
    EXPECT_EQ(parseSetLine("20312"), (SetLine{2, 114, 123}));
    EXPECT_EQ(parseSetLine("1"), (SetLine{1, 0, 0}));         // both keys unset
    EXPECT_EQ(parseSetLine("30013"), (SetLine{3, 0, 0}));     // 00 and 13 are no keys
    EXPECT_EQ(parseSetLine("1  12"), (SetLine{1, 0, 123}));   // two blanks
    EXPECT_EQ(parseSetLine("40102"), (SetLine{0, 112, 113})); // no such chart
    EXPECT_EQ(parseSetLine(""), SetLine{});
    EXPECT_EQ(parseSetLine("10"), (SetLine{1, 0, 0}));
    EXPECT_EQ(parseSetLine("1-1+2"), (SetLine{1, 0, 0}));
    EXPECT_EQ(firstLine("10102\r\n20312\r\n"), "10102");
    EXPECT_EQ(firstLine("10102"), "10102");
    EXPECT_EQ(firstLine("\n1"), "");
}

TEST(SetLine, BuildsWhatTheDialogWrites) {
    EXPECT_EQ(buildSetLine(1, "F1", "F2"), "10102");
    EXPECT_EQ(buildSetLine(3, "F12", "F9"), "31209");
    // A choice that cannot be stored gives no line, never one whose fields have moved.
    EXPECT_EQ(buildSetLine(3, "F13", "F5"), "");
    EXPECT_EQ(buildSetLine(1, "F1", "F13"), "");
    EXPECT_EQ(buildSetLine(2, "F13", "F13"), "");
    EXPECT_EQ(buildSetLine(2, "f1", "F 2"), "");
    EXPECT_EQ(buildSetLine(4, "F1", "F2"), "");
    EXPECT_EQ(keyDigits("F10"), "10");
    EXPECT_EQ(keyDigits("F0"), "");
    EXPECT_EQ(keyName(112), "F1");
    EXPECT_EQ(keyName(123), "F12");
    EXPECT_EQ(keyName(27), "");
    // What is built reads back as the same choice.
    for (int chart = 1; chart <= 3; ++chart)
        for (int a = kF1; a <= kF12; ++a)
            for (int b = kF1; b <= kF12; b += 5)
                EXPECT_EQ(parseSetLine(buildSetLine(chart, keyName(a), keyName(b))),
                          (SetLine{chart, a, b}));
}
