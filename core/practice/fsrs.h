// The practice deck's scheduler: FSRS-6 as ts-fsrs 5.4.2 schedules with its default parameters
// (the 21 default weights, a requested retention of 0.9, intervals of at most 36500 days, no
// fuzz, short-term stability on, learning steps of 1 and 10 minutes, one relearning step of 10
// minutes). It computes what ts-fsrs computes, rounded where ts-fsrs rounds:
// tests/core/data/fsrs_cases.tsv holds ts-fsrs's own results to compare with.
//
// Nothing here reads a clock: each call is handed the moment it is made, in milliseconds since
// 1970-01-01 00:00 UTC. Days are counted as ts-fsrs counts them, between UTC calendar dates.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tovrin::practice {

// A moment: milliseconds since 1970-01-01 00:00 UTC.
using Millis = std::int64_t;

// How well the learner recalled the card. Only these four values are valid.
enum class Rating { Again = 1, Hard, Good, Easy };

enum class CardState { New, Learning, Review, Relearning };

// One card's schedule and memory state, with ts-fsrs's fields.
struct Card {
    Millis due = 0;        // when the card is next to be shown
    double stability = 0;  // days until recall falls to 90%; 0 while new
    double difficulty = 0; // 1 to 10; 0 while new
    int elapsedDays = 0;   // UTC days from the review before the last one to the last one
    int scheduledDays = 0; // whole days from the last review to due; 0 within a day
    int learningSteps = 0; // the (re)learning step the card stands at
    int reps = 0;          // reviews so far
    int lapses = 0;        // times a card in review was forgotten (rated Again)
    CardState state = CardState::New;
    std::optional<Millis> lastReview; // none before the first review

    bool operator==(const Card&) const = default;
};

// One entry of a card's review log.
struct LoggedReview {
    Rating rating;
    Millis at;
};

// The ranges the scheduler keeps a card in: moments from year 0000 to 9999, stability up to
// a million days, difficulty 0 (new) to 10, day counts and review counts under a billion.
inline constexpr Millis kEarliest = -62167219200000; // 0000-01-01T00:00:00Z
inline constexpr Millis kLatest = 253402300799999;   // 9999-12-31T23:59:59.999Z
inline constexpr double kMostStability = 1e6;
inline constexpr int kMostCount = 999'999'999;

// Whether every value of the card lies in those ranges; one that does not was not made by the
// scheduler, and reviewing it could overflow.
bool plausible(const Card& card);

// A card that has never been reviewed, due at once.
Card newCard(Millis now);

// The card after being rated at the moment given. A review dated on an earlier UTC day than the
// card's last review (ts-fsrs refuses those) counts as one made on the same day as it.
Card review(const Card& card, Rating rating, Millis now);

// The card a review log leads to: a new card made at `created`, reviewed by each entry in turn.
Card replay(Millis created, std::span<const LoggedReview> log);

// "new", "learning", "review" or "relearning".
const char* stateName(CardState state);

} // namespace tovrin::practice
