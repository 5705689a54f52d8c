// The practice deck's rules: what may join it, what looking an item up again does to its card,
// how a card follows from its log, the order due items are drilled in, and the summaries the
// practice window draws. The store (platform/practicestore.h) keeps the deck; nothing here reads
// a clock or a file: every moment is handed in.
#pragma once

#include "core/practice/fsrs.h"
#include "core/practice/grading.h"
#include "core/text/gbk.h"

#include <array>
#include <functional>
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

// The longest item: as long as the longest word the phrase dictionary holds.
inline constexpr std::size_t kLongestItem = 8;

// Whether `utf8` may join the deck: one to kLongestItem characters, each a hanzi of GBK (no
// letters, digits, blanks, punctuation or other symbols).
bool isItem(std::string_view utf8, const gbk::Codec& codec);

// An entry of an item's log: a review, or the learner looking the item up again.
struct DeckEvent {
    enum class Kind { Review, LookedUp };
    Kind kind = Kind::Review;
    Millis at = 0;
    Rating rating = Rating::Good; // of a review
};

// The card after the item was looked up again at `at`. Needing to look it up is forgetting: a
// card in review is rated Again then, as a review would rate it. A card that is new or still
// being (re)learnt is only due then (it was needed again), unless it was due even earlier: it
// is not yet held, and looking it up twice is not forgetting it twice.
Card lookedUpAgain(const Card& card, Millis at);

// The rating a review gives the scheduler: at most Good for the first review of a new item. It
// was looked up moments before, and an answer from short-term memory says nothing of the long
// term. The log keeps the rating given, so the cards follow from the log as they stand.
Rating scheduledRating(Rating answered, const Card& card);

// How many new items a day brings into the drill unless the learner chose otherwise.
inline constexpr int kNewPerDay = 20;

// The card after one entry of the log.
Card apply(const Card& card, const DeckEvent& event);

// The card an item's log leads to: new when it joined at `added`, then each entry in the order
// it was made.
Card replay(Millis added, std::span<const DeckEvent> log);

// A moment as ISO 8601 in UTC, to the second ("2026-12-08T10:00:00Z"); milliseconds are dropped,
// and a moment outside the years 0000 to 9999 is shown as the nearest end of them.
std::string formatTime(Millis at);
// "YYYY-MM-DDTHH:MM:SSZ" (years 0000 to 9999) read back; nothing for anything else.
std::optional<Millis> parseTime(std::string_view text);

// One review as the practice window's pictures count it.
struct AnswerRecord {
    Millis at = 0;
    int millis = 0;        // how long the answer took
    bool firstTry = false; // the right code at the first try
    bool retry = false;    // a later answer at the same showing: not counted
    std::string typed;     // the letters typed; none for a review rated in a terminal
    std::string expected;  // the code that was asked for
    std::string text;      // the item, UTF-8; "" when it has left the deck
};

// An item of the deck as the pictures count it.
struct DeckEntry {
    std::string text; // UTF-8
    Millis due = 0;
    bool fresh = false; // never reviewed
    double stability = 0;
};

// What the pictures are drawn from: the deck and the reviews of the last 30 days.
struct DeckSnapshot {
    std::vector<DeckEntry> items;
    std::vector<AnswerRecord> answers;
    int newToday = 0; // new items first reviewed today
    int newPerDay = kNewPerDay;
};

// What the pictures ask of an item: its codes, and the level of its shortest code. Either may be
// left empty: then misses are counted by key alone, or mastery not at all.
struct ItemFacts {
    std::function<std::optional<ItemCodes>(const std::string& text)> codesOf;
    std::function<std::optional<Level>(const std::string& text)> levelOf;
};

// An item is known once its memory holds past three weeks.
inline constexpr double kKnownStability = 21;

// What the practice window draws.
struct Progress {
    int dueNow = 0;     // what can be practised now: new items as far as the day's limit allows
    int newWaiting = 0; // new items due, over the day's limit: they wait for the next days
    int laterToday = 0; // items that come due later today
    std::optional<Millis> nextToday; // when the first of them does
    // [0]: due now and later today, [i]: due on the i-th day after; then those due later.
    std::array<int, 8> dueByDay{};
    int dueLater = 0;
    struct Day {
        int reviews = 0;
        int rightFirstTry = 0;
        int medianMillis = 0; // of the answers typed in a drill; 0 without any
    };
    // The last 30 days, [29] today.
    std::array<Day, 30> days{};
    int medianMillis = 0; // over the 30 days, of the answers typed in a drill; 0 without any
    // Over those 30 days, misses at the first try: by key, how often each key a to y was asked
    // for where another key was typed; and the misses of a rule (see missOf()).
    std::array<int, 25> missedKeys{};
    std::array<int, kRules> missedRules{};
    // The items met (reviewed at least once), by the level of their shortest code.
    struct Mastery {
        int known = 0;
        int learning = 0;
    };
    std::array<Mastery, 4> mastery{};
};

// Days are the learner's: UTC moved by `localOffsetMinutes` (480 for China).
Progress summarize(const DeckSnapshot& deck, Millis now, int localOffsetMinutes,
                   const ItemFacts& facts = {});

// The first moment of the local day holding `at`.
Millis dayStart(Millis at, int localOffsetMinutes);

// The first moment of the local day 29 days before the one holding `now`: the answers
// summarize() counts are those from then on.
Millis progressStart(Millis now, int localOffsetMinutes);
// The first moment after the last day dueByDay counts.
Millis progressDueEnd(Millis now, int localOffsetMinutes);

// The places the day has left for new items, taken in drill order: an item reviewed before needs
// none, a new one takes one while any is left. The one rule for what is drilled and what counts
// as due now.
class NewItemPlaces {
public:
    explicit NewItemPlaces(int left) : left_(left) {}
    bool take(bool fresh) { return !fresh || left_-- > 0; }

private:
    int left_;
};

// The items of `due` (in drill order) that may be drilled now: every item reviewed before, and
// new ones as far as `newAllowed` goes, in their order.
std::vector<Item> withinNewLimit(std::vector<Item> due, int newAllowed);

} // namespace tovrin::practice
