// What the practice window draws, from the due times and answers handed in.
#include "core/practice/deck.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tovrin::practice;

// Days are the learner's local days: with China's offset, 2026-12-08T16:00Z begins the 9th.
TEST(DeckSummary, CountsByLocalDayAndKey) {
    const Millis now = *parseTime("2026-12-08T15:00:00Z"); // 23:00 on the 8th in China
    const Millis hour = 3600 * 1000;
    const std::vector<Millis> dues = {now - 100 * hour, now + 30 * 60 * 1000, now + 2 * hour,
                                      now + 7 * 24 * hour, now + 8 * 24 * hour};
    const std::vector<AnswerRecord> answers = {
        {now, 3000, true, false, "trnt", "TRNT"},
        {now - hour, 1000, false, false, "tr", "trnt"},       // n and t missed
        {now - 2 * hour, 2000, false, false, "xrnt", "trnt"}, // t missed
        {now - 2 * hour, 2500, false, true, "xrnt", "trnt"},  // tried again: not counted
        {now - 2 * hour, 9000, true, false, "wu", "wu"},
        {now - 24 * hour, 500, true, false, "q", "q"},       // the 7th
        {now - 30 * 24 * hour, 700, false, false, "", "ab"}, // too long ago
    };
    const Progress p = summarize(dues, answers, now, 480);
    EXPECT_EQ(p.dueByDay, (std::array<int, 8>{2, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(p.days[29].reviews, 4);
    EXPECT_EQ(p.days[29].rightFirstTry, 2);
    EXPECT_EQ(p.days[29].medianMillis, 2000);
    EXPECT_EQ(p.days[28].reviews, 1);
    EXPECT_EQ(p.days[28].medianMillis, 500);
    EXPECT_EQ(p.medianMillis, 2000);
    EXPECT_EQ(p.days[0].reviews, 0);
    EXPECT_EQ(p.missedKeys['t' - 'a'], 2);
    EXPECT_EQ(p.missedKeys['n' - 'a'], 1);
    EXPECT_EQ(p.missedKeys['a' - 'a'], 0);
    EXPECT_EQ(progressStart(now, 480), *parseTime("2026-11-08T16:00:00Z"));
}
