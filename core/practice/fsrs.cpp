// FSRS-6 step by step as ts-fsrs 5.4.2 computes it: the same formulas in the same order of
// operations, rounded to 8 decimals wherever ts-fsrs rounds, so that each result is the same
// double and not merely a close one. The one way to differ left is the C library's exp and pow,
// which may round their last bit otherwise than JavaScript's: when that bit decides the eighth
// decimal, a stability comes out 1e-8 apart (about once in 150,000 reviews of random cases).
#include "core/practice/fsrs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace tovrin::practice {

namespace {

// ts-fsrs's default weights for FSRS-6, all within the bounds it clips weights to.
constexpr std::array<double, 21> kW = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                       0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                       1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
constexpr double kRequestRetention = 0.9;
constexpr int kMaximumInterval = 36500;
constexpr double kMinStability = 0.001;
constexpr double kMaxStability = 36500;
// The steps in minutes; a step of a day or more would hand the card to the review state.
constexpr std::array<int, 2> kLearningSteps = {1, 10};
constexpr std::array<int, 1> kRelearningSteps = {10};

constexpr Millis kMinute = 60 * 1000;
constexpr Millis kDay = 24 * 60 * kMinute;

// JavaScript's Math.round: the nearest integer, halves towards +infinity. x - floor(x) is exact,
// so no sum rounds a value just below a half up (as floor(x + 0.5) does with 0.49999999999999994).
double jsRound(double x) {
    const double f = std::floor(x);
    return x - f >= 0.5 ? f + 1 : f;
}

double roundTo8(double x) {
    return jsRound(x * 1e8) / 1e8;
}

double clamp(double value, double lo, double hi) {
    return std::min(std::max(value, lo), hi);
}

struct Curve {
    double decay;            // -w20
    double factor;           // 0.9^(1/decay) - 1, so that R(S, S) = 0.9
    double intervalModifier; // days per unit of stability at the requested retention
};

const Curve& curve() {
    static const Curve c = [] {
        Curve k{};
        k.decay = -kW[20];
        k.factor = roundTo8(std::exp(1 / k.decay * std::log(0.9)) - 1);
        k.intervalModifier = roundTo8((std::pow(kRequestRetention, 1 / k.decay) - 1) / k.factor);
        return k;
    }();
    return c;
}

double retrievability(int elapsedDays, double stability) {
    const Curve& c = curve();
    return roundTo8(std::pow(1 + c.factor * elapsedDays / stability, c.decay));
}

double initialStability(int g) {
    return std::max(kW[g - 1], 0.1);
}

double initialDifficulty(int g) {
    return roundTo8(kW[4] - std::exp((g - 1) * kW[5]) + 1);
}

double nextDifficulty(double d, int g) {
    const double delta = -kW[6] * (g - 3);
    const double damped = d + roundTo8(delta * (10 - d) / 9);
    const double reverted = roundTo8(kW[7] * initialDifficulty(4) + (1 - kW[7]) * damped);
    return clamp(reverted, 1, 10);
}

double recallStability(double d, double s, double r, int g) {
    const double hardPenalty = g == 2 ? kW[15] : 1;
    const double easyBonus = g == 4 ? kW[16] : 1;
    return roundTo8(clamp(s * (1 + std::exp(kW[8]) * (11 - d) * std::pow(s, -kW[9]) *
                                       (std::exp((1 - r) * kW[10]) - 1) * hardPenalty * easyBonus),
                          kMinStability, kMaxStability));
}

double forgetStability(double d, double s, double r) {
    return roundTo8(clamp(kW[11] * std::pow(d, -kW[12]) * (std::pow(s + 1, kW[13]) - 1) *
                              std::exp((1 - r) * kW[14]),
                          kMinStability, kMaxStability));
}

double shortTermStability(double s, int g) {
    const double sinc = std::pow(s, -kW[19]) * std::exp(kW[17] * (g - 3 + kW[18]));
    const double masked = g >= 2 ? std::max(sinc, 1.0) : sinc;
    return roundTo8(clamp(s * masked, kMinStability, kMaxStability));
}

struct Memory {
    double difficulty;
    double stability;
};

// The memory state after rating g, t whole days after the last review.
Memory nextMemory(const Card& card, int t, int g) {
    const double d = card.difficulty;
    const double s = card.stability;
    if (d == 0 && s == 0) {
        return {clamp(initialDifficulty(g), 1, 10), initialStability(g)};
    }
    double next = 0;
    if (t == 0) {
        next = shortTermStability(s, g);
    } else if (g == 1) {
        const double lowest = roundTo8(s / std::exp(kW[17] * kW[18]));
        next = clamp(lowest, kMinStability, forgetStability(d, s, retrievability(t, s)));
    } else {
        next = recallStability(d, s, retrievability(t, s), g);
    }
    return {nextDifficulty(d, g), next};
}

int nextInterval(double stability) {
    const double days = std::max(1.0, jsRound(stability * curve().intervalModifier));
    return static_cast<int>(std::min(days, static_cast<double>(kMaximumInterval)));
}

// What the learning steps say of rating g on a card in `state` standing at step `step`: the
// minutes to its next showing and the step it moves to, or nothing when the steps are done with
// it and the memory state decides.
struct Step {
    int minutes;
    int next;
};

std::optional<Step> learningStep(CardState state, int step, int g) {
    const bool relearning = state == CardState::Relearning || state == CardState::Review;
    const std::span<const int> steps =
        relearning ? std::span<const int>(kRelearningSteps) : std::span<const int>(kLearningSteps);
    const int count = static_cast<int>(steps.size());
    if (count == 0 || step >= count) {
        return std::nullopt;
    }
    if (state == CardState::Review) {
        if (g == 1) {
            return Step{steps[std::max(0, step)], 0};
        }
        return std::nullopt;
    }
    switch (g) {
    case 1:
        return Step{steps[0], 0};
    case 2: {
        const double minutes = count == 1 ? steps[0] * 1.5 : (steps[0] + steps[1]) / 2.0;
        return Step{static_cast<int>(jsRound(minutes)), step};
    }
    case 3:
        if (step + 1 >= 0 && step + 1 < count && steps[step + 1] != 0) {
            return Step{steps[step + 1], step + 1};
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// Schedules `next` by the learning steps of `card` (its state before the review): a step within
// the day keeps it in `within` (learning or relearning), anything else puts it in review.
void applyLearningSteps(Card& next, const Card& card, int g, CardState within, Millis now) {
    const std::optional<Step> step = learningStep(card.state, card.learningSteps, g);
    const int minutes = step ? std::max(0, step->minutes) : 0;
    const int nextStep = step ? std::max(0, step->next) : 0;
    if (minutes > 0 && minutes < 1440) {
        next.learningSteps = nextStep;
        next.scheduledDays = 0;
        next.state = within;
        next.due = now + minutes * kMinute;
        return;
    }
    next.state = CardState::Review;
    if (minutes >= 1440) {
        next.learningSteps = nextStep;
        next.due = now + minutes * kMinute;
        next.scheduledDays = minutes / 1440;
    } else {
        next.learningSteps = 0;
        next.scheduledDays = nextInterval(next.stability);
        next.due = now + next.scheduledDays * kDay;
    }
}

Millis floorDiv(Millis a, Millis b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

} // namespace

bool plausible(const Card& c) {
    auto moment = [](Millis at) { return at >= kEarliest && at <= kLatest; };
    auto count = [](int n) { return n >= 0 && n <= kMostCount; };
    return moment(c.due) && (!c.lastReview || moment(*c.lastReview)) && c.stability >= 0 &&
           c.stability <= kMostStability && c.difficulty >= 0 && c.difficulty <= 10 &&
           count(c.elapsedDays) && count(c.scheduledDays) && c.learningSteps >= 0 &&
           c.learningSteps <= 100 && count(c.reps) && count(c.lapses) &&
           static_cast<int>(c.state) >= 0 && static_cast<int>(c.state) <= 3;
}

Card newCard(Millis now) {
    Card card;
    card.due = now;
    return card;
}

Card review(const Card& card, Rating rating, Millis now) {
    const int g = static_cast<int>(rating);
    int t = 0;
    if (card.state != CardState::New && card.lastReview) {
        t = static_cast<int>(
            std::max<Millis>(0, floorDiv(now, kDay) - floorDiv(*card.lastReview, kDay)));
    }
    Card next = card;
    next.lastReview = now;
    next.elapsedDays = t;
    next.reps += 1;
    const Memory memory = nextMemory(card, t, g);
    next.difficulty = memory.difficulty;
    next.stability = memory.stability;

    switch (card.state) {
    case CardState::New:
        applyLearningSteps(next, card, g, CardState::Learning, now);
        break;
    case CardState::Learning:
    case CardState::Relearning:
        applyLearningSteps(next, card, g, card.state, now);
        break;
    case CardState::Review:
        if (rating == Rating::Again) {
            applyLearningSteps(next, card, g, CardState::Relearning, now);
            next.lapses += 1;
            break;
        }
        {
            // Hard, Good and Easy are kept a day apart at least, in that order.
            int hard = nextInterval(nextMemory(card, t, 2).stability);
            int good = nextInterval(nextMemory(card, t, 3).stability);
            hard = std::min(hard, good);
            good = std::max(good, hard + 1);
            const int easy = std::max(nextInterval(nextMemory(card, t, 4).stability), good + 1);
            next.scheduledDays = g == 2 ? hard : g == 3 ? good : easy;
            next.due = now + next.scheduledDays * kDay;
            next.state = CardState::Review;
            next.learningSteps = 0;
        }
        break;
    }
    return next;
}

Card replay(Millis created, std::span<const LoggedReview> log) {
    Card card = newCard(created);
    for (const LoggedReview& entry : log) {
        card = review(card, entry.rating, entry.at);
    }
    return card;
}

const char* stateName(CardState state) {
    switch (state) {
    case CardState::New:
        return "new";
    case CardState::Learning:
        return "learning";
    case CardState::Review:
        return "review";
    case CardState::Relearning:
        return "relearning";
    }
    return "";
}

} // namespace tovrin::practice
