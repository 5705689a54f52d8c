// The practice deck's rules: what may join it, what looking an item up again does to its card,
// how a card follows from its log, the order due items are drilled in, and the summaries the
// practice window draws. The store (platform/practicestore.h) keeps the deck; nothing here reads
// a clock or a file: every moment is handed in.
#pragma once

#include "core/practice/fsrs.h"
#include "core/text/gbk.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::practice {

// An item of the deck: a GBK character or a word of two characters or more, in UTF-8.
struct Item {
    std::string text;
    Millis added = 0; // when it joined
    Card card;

    bool operator==(const Item&) const = default;
};

// Whether `utf8` may join the deck: one or more characters, each a hanzi of GBK (no letters,
// digits, blanks, punctuation or other symbols).
bool isItem(std::string_view utf8, const gbk::Codec& codec);

// An entry of an item's log: a review, or the learner looking the item up again.
struct DeckEvent {
    enum class Kind { Review, LookedUp };
    Kind kind = Kind::Review;
    Millis at = 0;
    Rating rating = Rating::Good; // of a review
};

// The card after the item was looked up again at `at`: due then (it was needed again), unless it
// was due even earlier; nothing else changes.
Card lookedUpAgain(const Card& card, Millis at);

// The card after one entry of the log.
Card apply(const Card& card, const DeckEvent& event);

// The card an item's log leads to: new when it joined at `added`, then each entry in the order
// it was made.
Card replay(Millis added, std::span<const DeckEvent> log);

// A moment as ISO 8601 in UTC, to the second ("2026-12-08T10:00:00Z"); milliseconds are dropped.
std::string formatTime(Millis at);
// "YYYY-MM-DDTHH:MM:SSZ" (years 0000 to 9999) read back; nothing for anything else.
std::optional<Millis> parseTime(std::string_view text);

// One review as the practice window's pictures count it.
struct AnswerRecord {
    Millis at = 0;
    int millis = 0;        // how long the answer took
    bool firstTry = false; // the right code at the first try
    bool retry = false;    // a later answer at the same showing: not counted
    std::string typed;     // the letters typed
    std::string expected;  // the code that was asked for
};

// What the practice window draws.
struct Progress {
    // [0]: items due by the end of today (the overdue among them), [i]: due on the i-th day after.
    std::array<int, 8> dueByDay{};
    struct Day {
        int reviews = 0;
        int rightFirstTry = 0;
        int medianMillis = 0; // 0 without reviews
    };
    // The last 30 days, [29] today.
    std::array<Day, 30> days{};
    int medianMillis = 0; // over the 30 days; 0 without reviews
    // Over those 30 days, how often each key a to y was the one missed: the letter asked for at
    // a position where another (or none) was typed.
    std::array<int, 25> missedKeys{};
};

// Days are the learner's: UTC moved by `localOffsetMinutes` (480 for China).
Progress summarize(std::span<const Millis> dues, std::span<const AnswerRecord> answers, Millis now,
                   int localOffsetMinutes);

// The first moment of the local day 29 days before the one holding `now`: the answers
// summarize() counts are those from then on.
Millis progressStart(Millis now, int localOffsetMinutes);
// The first moment after the last day dueByDay counts.
Millis progressDueEnd(Millis now, int localOffsetMinutes);

} // namespace tovrin::practice
