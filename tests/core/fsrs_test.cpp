// The practice scheduler against ts-fsrs's own schedules: the review sequences of
// tests/core/data/fsrs_cases.tsv (written by tools/fsrs-cases/generate.js), or of the file named
// by TOVRIN_FSRS_CASES when the live check hands it a freshly generated one.
#include "core/practice/fsrs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace tovrin::practice;

namespace {

// One line of the cases: a review and the card ts-fsrs made of it.
struct Case {
    int seq = 0;
    LoggedReview review{};
    Card card;
    std::string state;
    int line = 0;
};

std::map<int, std::vector<Case>> readCases(const std::string& path) {
    std::map<int, std::vector<Case>> sequences;
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (text.empty() || text[0] == '#') {
            continue;
        }
        std::istringstream fields(text);
        Case c;
        int rating = 0;
        Millis lastReview = 0;
        fields >> c.seq >> c.review.at >> rating >> c.card.due >> c.card.stability >>
            c.card.difficulty >> c.card.elapsedDays >> c.card.scheduledDays >>
            c.card.learningSteps >> c.card.reps >> c.card.lapses >> c.state >> lastReview;
        EXPECT_TRUE(fields && rating >= 1 && rating <= 4) << path << ":" << line << ": " << text;
        c.review.rating = static_cast<Rating>(rating);
        c.card.lastReview = lastReview;
        c.line = line;
        sequences[c.seq].push_back(c);
    }
    return sequences;
}

std::string casesPath() {
    const char* given = std::getenv("TOVRIN_FSRS_CASES");
    return given && *given ? given : TOVRIN_FSRS_CASES;
}

} // namespace

// Every review of every sequence, step by step from a new card, gives ts-fsrs's card: the due time
// to the millisecond, stability and difficulty within 1e-6, the counts and the state. A replay of
// each whole log ends at the card the steps ended at.
TEST(FsrsCases, EachReviewGivesTsFsrsCard) {
    const std::string path = casesPath();
    const auto sequences = readCases(path);
    ASSERT_GE(sequences.size(), 100u) << path;
    std::size_t reviews = 0;
    double worstStability = 0;
    double worstDifficulty = 0;
    for (const auto& [seq, cases] : sequences) {
        Card card = newCard(cases.front().review.at);
        std::vector<LoggedReview> log;
        for (const Case& c : cases) {
            SCOPED_TRACE(path + ":" + std::to_string(c.line));
            card = review(card, c.review.rating, c.review.at);
            log.push_back(c.review);
            ++reviews;
            EXPECT_EQ(card.due, c.card.due);
            EXPECT_NEAR(card.stability, c.card.stability, 1e-6);
            EXPECT_NEAR(card.difficulty, c.card.difficulty, 1e-6);
            EXPECT_EQ(card.elapsedDays, c.card.elapsedDays);
            EXPECT_EQ(card.scheduledDays, c.card.scheduledDays);
            EXPECT_EQ(card.learningSteps, c.card.learningSteps);
            EXPECT_EQ(card.reps, c.card.reps);
            EXPECT_EQ(card.lapses, c.card.lapses);
            EXPECT_STREQ(stateName(card.state), c.state.c_str());
            EXPECT_EQ(card.lastReview, c.card.lastReview);
            worstStability = std::max(worstStability, std::abs(card.stability - c.card.stability));
            worstDifficulty =
                std::max(worstDifficulty, std::abs(card.difficulty - c.card.difficulty));
            if (HasFailure()) {
                return; // one sequence gone wrong goes wrong at every later review too
            }
        }
        EXPECT_EQ(replay(cases.front().review.at, log), card) << "sequence " << seq;
    }
    std::cout << "compared " << sequences.size() << " sequences, " << reviews
              << " reviews; largest difference in stability " << worstStability
              << ", in difficulty " << worstDifficulty << "\n";
}

// A clock set back to an earlier day must not give a negative elapsed time (the forgetting curve
// is undefined there): the review counts as one made on the day of the last.
TEST(FsrsCases, ReviewDatedBeforeTheLastCountsAsTheSameDay) {
    constexpr Millis kDay = 86'400'000;
    const Millis start = 20'000 * kDay;
    Card card = review(newCard(start), Rating::Easy, start);
    card = review(card, Rating::Good, start + 10 * kDay);
    const Card sameDay = review(card, Rating::Good, start + 10 * kDay + 1000);
    const Card earlier = review(card, Rating::Good, start + 3 * kDay);
    EXPECT_EQ(earlier.elapsedDays, 0);
    EXPECT_TRUE(std::isfinite(earlier.stability) && earlier.stability > 0);
    EXPECT_EQ(earlier.stability, sameDay.stability);
    EXPECT_EQ(earlier.difficulty, sameDay.difficulty);
    EXPECT_EQ(earlier.scheduledDays, sameDay.scheduledDays);
}
