// One drill: an item shown, the letters typed for it, and the answers given to it. The practice
// window and the terminal's drill both drive it with the keys and lines they read, each handing
// in the moment; what is answered goes to the deck, which is theirs to keep.
#pragma once

#include "core/practice/fsrs.h"
#include "core/practice/grading.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovrin::practice {

class Drill {
public:
    // A code has at most four letters: the fourth submits the answer by itself.
    static constexpr std::size_t kLongestCode = 4;

    // An answer given to the item shown.
    struct Answer {
        Feedback feedback;
        Millis millis = 0;     // from the item shown to this answer
        bool firstTry = false; // the first answer given to this showing
    };

    // Shows an item; the time for its answer runs from `now`. The letters typed and the last
    // answer are forgotten.
    void show(ItemCodes item, Millis now);
    bool showing() const { return showing_; }
    const ItemCodes& item() const { return item_; }

    // The letters typed for the next answer, lowercase.
    const std::string& typed() const { return typed_; }
    // The last answer given to the item shown, if any.
    const std::optional<Answer>& last() const { return last_; }
    // Whether the item shown was answered wrongly at least once.
    bool wrongTried() const { return wrongTried_; }

    // A letter a-y of either case is typed (the fourth gives the answer); anything else is
    // passed over. Returns the answer when it gave one.
    std::optional<Answer> letter(char c, Millis now);
    // Backspace: takes the last letter back.
    void back();
    // Space or Enter: gives the letters typed as the answer; nothing when none are typed.
    std::optional<Answer> submit(Millis now);
    // A whole answer at once (a line typed in a terminal), graded as it stands.
    std::optional<Answer> answer(std::string_view letters, Millis now);

private:
    std::optional<Answer> give(Millis now);

    ItemCodes item_;
    bool showing_ = false;
    Millis shownAt_ = 0;
    std::string typed_;
    std::optional<Answer> last_;
    bool wrongTried_ = false;
};

// The items a drill goes through: those due, taken from the deck again once they are used up;
// or, when the learner asks for them with nothing due, those missed most, once through. An item
// without codes is passed over.
class DrillQueue {
public:
    // The deck as the caller keeps it: the texts due now, those missed most, an item's codes.
    struct Deck {
        std::function<std::vector<std::string>()> due;
        std::function<std::vector<std::string>(std::size_t count)> mostMissed;
        std::function<std::optional<ItemCodes>(const std::string& text)> codesOf;
    };
    static constexpr std::size_t kMostMissed = 20;

    explicit DrillQueue(Deck deck) : deck_(std::move(deck)) {}

    // The next item and its codes; nothing when none is due (or the missed ones are through).
    std::optional<std::pair<std::string, ItemCodes>> next();
    // The items missed most, next.
    void missedMost();
    // Due items only, taken from the deck afresh.
    void restart();

private:
    Deck deck_;
    std::deque<std::string> texts_;
    bool missed_ = false; // going through the missed items
};

} // namespace tovrin::practice
