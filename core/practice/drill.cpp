#include "core/practice/drill.h"

#include <utility>

namespace tovrin::practice {

void Drill::show(ItemCodes item, Millis now) {
    item_ = std::move(item);
    showing_ = true;
    shownAt_ = now;
    typed_.clear();
    last_.reset();
    wrongTried_ = false;
}

std::optional<Drill::Answer> Drill::letter(char c, Millis now) {
    if (!showing_)
        return std::nullopt;
    const KeyRoots* key = keyRoots(c); // a-y of either case
    if (!key)
        return std::nullopt;
    typed_.push_back(key->letter);
    if (typed_.size() < kLongestCode)
        return std::nullopt;
    return give(now);
}

void Drill::back() {
    if (!typed_.empty())
        typed_.pop_back();
}

std::optional<Drill::Answer> Drill::submit(Millis now) {
    if (!showing_ || typed_.empty())
        return std::nullopt;
    return give(now);
}

std::optional<Drill::Answer> Drill::answer(std::string_view letters, Millis now) {
    if (!showing_ || letters.empty())
        return std::nullopt;
    typed_.assign(letters);
    return give(now);
}

std::optional<Drill::Answer> Drill::give(Millis now) {
    Answer a;
    a.millis = now > shownAt_ ? now - shownAt_ : 0;
    a.firstTry = !last_.has_value();
    a.feedback = grade(item_, typed_, a.millis, wrongTried_);
    wrongTried_ = wrongTried_ || !a.feedback.right;
    typed_.clear();
    last_ = a;
    return a;
}

std::optional<std::pair<std::string, ItemCodes>> DrillQueue::next() {
    for (bool refilled = false;; refilled = true) {
        while (!texts_.empty()) {
            std::string text = std::move(texts_.front());
            texts_.pop_front();
            if (std::optional<ItemCodes> codes = deck_.codesOf(text))
                return std::pair{std::move(text), std::move(*codes)};
        }
        if (missed_ || refilled) {
            missed_ = false;
            return std::nullopt;
        }
        for (std::string& text : deck_.due())
            texts_.push_back(std::move(text));
    }
}

void DrillQueue::missedMost() {
    texts_.clear();
    for (std::string& text : deck_.mostMissed(kMostMissed))
        texts_.push_back(std::move(text));
    missed_ = true;
}

void DrillQueue::restart() {
    texts_.clear();
    missed_ = false;
}

} // namespace tovrin::practice
