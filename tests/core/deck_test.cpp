// What the practice window draws, from the deck and answers handed in, and the ratings a review
// gives the scheduler.
#include "core/practice/deck.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tovrin::practice;

// Days are the learner's local days: with China's offset, 2026-12-08T16:00Z begins the 9th.
TEST(DeckSummary, CountsByLocalDayAndKey) {
    const Millis now = *parseTime("2026-12-08T15:00:00Z"); // 23:00 on the 8th in China
    const Millis hour = 3600 * 1000;
    DeckSnapshot deck;
    deck.items = {{"a", now - 100 * hour, false, 30},  {"b", now - hour, true, 0},
                  {"c", now - hour, true, 0},          {"d", now + 30 * 60 * 1000, false, 2},
                  {"e", now + 2 * hour, false, 2},     {"f", now + 7 * 24 * hour, false, 2},
                  {"g", now + 8 * 24 * hour, false, 2}};
    deck.newPerDay = 3;
    deck.newToday = 2; // one more new item today: c waits
    deck.answers = {
        {now, 3000, true, false, "trnt", "TRNT", "我"},
        {now - hour, 1000, false, false, "tr", "trnt", "我"},       // too short: no key
        {now - 2 * hour, 2000, false, false, "xrnt", "trnt", "我"}, // t missed
        {now - 2 * hour, 2500, false, true, "xrnt", "trnt", "我"},  // tried again: not counted
        {now - 2 * hour, 9000, true, false, "wu", "wu", "们"},
        {now - 2 * hour, 0, true, false, "", "", "们"}, // rated in a terminal: no time
        {now - 3 * hour, 0, true, false, "", "", "我"},
        {now - 24 * hour, 500, true, false, "q", "q", "我"},      // the 7th
        {now - 30 * 24 * hour, 700, false, false, "a", "ab", ""}, // too long ago
    };
    const Progress p = summarize(deck, now, 480);
    EXPECT_EQ(p.dueNow, 2);
    EXPECT_EQ(p.newWaiting, 1);
    EXPECT_EQ(p.laterToday, 1); // e's day is tomorrow in China
    EXPECT_EQ(p.nextToday, now + 30 * 60 * 1000);
    EXPECT_EQ(p.dueByDay, (std::array<int, 8>{3, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(p.dueLater, 1);
    EXPECT_EQ(p.days[29].reviews, 6);
    EXPECT_EQ(p.days[29].rightFirstTry, 4);
    EXPECT_EQ(p.days[29].medianMillis, 2000);
    EXPECT_EQ(p.days[28].reviews, 1);
    EXPECT_EQ(p.days[28].medianMillis, 500);
    EXPECT_EQ(p.medianMillis, 2000);
    EXPECT_EQ(p.days[0].reviews, 0);
    EXPECT_EQ(p.missedKeys['t' - 'a'], 1);
    EXPECT_EQ(p.missedKeys['n' - 'a'], 0);
    EXPECT_EQ(p.missedRules[static_cast<std::size_t>(Rule::ShortCode)], 1);
    EXPECT_EQ(progressStart(now, 480), *parseTime("2026-11-08T16:00:00Z"));
    // Mastery by the level of each item's shortest code: known past 21 days of stability.
    ItemFacts facts;
    facts.levelOf = [](const std::string& t) -> std::optional<Level> {
        return t == "a" ? Level::Short1 : t == "g" ? std::nullopt : std::optional(Level::Full);
    };
    const Progress m = summarize(deck, now, 480, facts);
    EXPECT_EQ(m.mastery[0].known, 1);
    EXPECT_EQ(m.mastery[3].learning, 3);
    EXPECT_EQ(m.mastery[3].known + m.mastery[1].learning, 0);
    EXPECT_EQ(withinNewLimit({{"x", 0, newCard(0)}, {"y", 0, newCard(0)}}, 1).size(), 1u);
}

// Looking an item up again is forgetting it, once; an answer minutes after the first look-up
// holds no long-term memory. Neither may lengthen the interval as a plain answer would.
TEST(DeckRatings, LookUpsAndFirstAnswersHoldNoLongTermMemory) {
    const Millis day = 24 * 3600 * 1000LL;
    Card he = newCard(0);
    for (const Millis at : {Millis(0), day, 3 * day, 9 * day})
        he = review(he, Rating::Good, at);
    ASSERT_EQ(he.state, CardState::Review);
    const Millis lookUp = he.due - 8 * day;
    const Card looked = lookedUpAgain(he, lookUp);
    EXPECT_EQ(looked, review(he, Rating::Again, lookUp));
    // Relearning: due at once, not forgotten twice.
    const Card twice = lookedUpAgain(looked, lookUp + 1000);
    EXPECT_EQ(twice.due, lookUp + 1000);
    EXPECT_EQ(twice.stability, looked.stability);
    EXPECT_EQ(twice.lapses, looked.lapses);
    const Card after = review(looked, Rating::Easy, lookUp + 60'000);
    EXPECT_LT(after.due, he.due);
    EXPECT_EQ(lookedUpAgain(newCard(0), day).due, 0);
    EXPECT_EQ(scheduledRating(Rating::Easy, newCard(0)), Rating::Good);
    EXPECT_EQ(scheduledRating(Rating::Again, newCard(0)), Rating::Again);
    EXPECT_EQ(scheduledRating(Rating::Easy, he), Rating::Easy);
}
