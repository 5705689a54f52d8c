#include "core/practice/deck.h"

#include "core/dict/textcut.h"
#include "core/practice/keyroots.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace tovrin::practice {

namespace {

constexpr Millis kSecond = 1000;
constexpr Millis kMinute = 60 * kSecond;
constexpr Millis kDay = 24 * 60 * kMinute;

Millis floorDiv(Millis a, Millis b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
Millis daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<Millis>(era) * 146097 + doe - 719468;
}

void civilFromDays(Millis z, int& y, int& m, int& d) {
    z += 719468;
    const Millis era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400) + (m <= 2);
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

Millis localDay(Millis at, int offsetMinutes) {
    return floorDiv(at + offsetMinutes * kMinute, kDay);
}

// The first moment of local day `day`.
Millis startOfDay(Millis day, int offsetMinutes) {
    return day * kDay - offsetMinutes * kMinute;
}

} // namespace

bool isItem(std::string_view utf8, const gbk::Codec& codec) {
    const auto text = codec.fromUtf8(utf8);
    return text && !text->empty() && text->size() <= kLongestItem &&
           std::all_of(text->begin(), text->end(), [](gbk::Char c) { return textcut::looksUp(c); });
}

Card lookedUpAgain(const Card& card, Millis at) {
    if (card.state == CardState::Review)
        return review(card, Rating::Again, at);
    Card next = card;
    next.due = std::min(card.due, at);
    return next;
}

Card apply(const Card& card, const DeckEvent& event) {
    return event.kind == DeckEvent::Kind::Review ? review(card, event.rating, event.at)
                                                 : lookedUpAgain(card, event.at);
}

Card replay(Millis added, std::span<const DeckEvent> log) {
    Card card = newCard(added);
    for (const DeckEvent& event : log)
        card = apply(card, event);
    return card;
}

std::string formatTime(Millis at) {
    at = std::clamp(at, kEarliest, kLatest);
    const Millis day = floorDiv(at, kDay);
    const Millis secondOfDay = floorDiv(at - day * kDay, kSecond);
    int y = 0, m = 0, d = 0;
    civilFromDays(day, y, m, d);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", y, m, d,
                  static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60));
    return text;
}

std::optional<Millis> parseTime(std::string_view text) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kShape.size())
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i])
            return std::nullopt;
    }
    auto number = [text](std::size_t at, std::size_t width) {
        int n = 0;
        for (std::size_t i = at; i < at + width; ++i)
            n = n * 10 + (text[i] - '0');
        return n;
    };
    const int y = number(0, 4), mo = number(5, 2), d = number(8, 2);
    const int h = number(11, 2), mi = number(14, 2), s = number(17, 2);
    if (mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return (daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s) * kSecond;
}

Millis progressStart(Millis now, int localOffsetMinutes) {
    return startOfDay(localDay(now, localOffsetMinutes) - 29, localOffsetMinutes);
}

Millis progressDueEnd(Millis now, int localOffsetMinutes) {
    return startOfDay(localDay(now, localOffsetMinutes) + 8, localOffsetMinutes);
}

Millis dayStart(Millis at, int localOffsetMinutes) {
    return startOfDay(localDay(at, localOffsetMinutes), localOffsetMinutes);
}

Rating scheduledRating(Rating answered, const Card& card) {
    return card.state == CardState::New ? std::min(answered, Rating::Good) : answered;
}

std::vector<Item> withinNewLimit(std::vector<Item> due, int newAllowed) {
    std::vector<Item> out;
    out.reserve(due.size());
    NewItemPlaces places(newAllowed);
    for (Item& item : due)
        if (places.take(item.card.state == CardState::New))
            out.push_back(std::move(item));
    return out;
}

Progress summarize(const DeckSnapshot& deck, Millis now, int localOffsetMinutes,
                   const ItemFacts& facts) {
    Progress p;
    const Millis today = localDay(now, localOffsetMinutes);
    NewItemPlaces places(deck.newPerDay - deck.newToday);
    for (const DeckEntry& e : deck.items) {
        const Millis day = std::max<Millis>(localDay(e.due, localOffsetMinutes) - today, 0);
        if (e.due <= now) {
            if (!places.take(e.fresh)) {
                ++p.newWaiting;
                continue;
            }
            ++p.dueNow;
        } else if (day == 0) {
            ++p.laterToday;
            p.nextToday = std::min(p.nextToday.value_or(e.due), e.due);
        }
        if (day < static_cast<Millis>(p.dueByDay.size()))
            ++p.dueByDay[static_cast<std::size_t>(day)];
        else
            ++p.dueLater;
        if (!e.fresh && facts.levelOf) {
            if (const std::optional<Level> level = facts.levelOf(e.text)) {
                Progress::Mastery& m = p.mastery[static_cast<std::size_t>(*level)];
                ++(e.stability > kKnownStability ? m.known : m.learning);
            }
        }
    }
    std::array<std::vector<int>, 30> times;
    std::vector<int> all;
    for (const AnswerRecord& a : deck.answers) {
        if (a.retry)
            continue;
        const Millis back = today - localDay(a.at, localOffsetMinutes);
        if (back < 0 || back >= 30)
            continue;
        const auto i = static_cast<std::size_t>(29 - back);
        ++p.days[i].reviews;
        p.days[i].rightFirstTry += a.firstTry ? 1 : 0;
        // A review rated in a terminal typed nothing and took no time.
        if (!a.typed.empty()) {
            times[i].push_back(a.millis);
            all.push_back(a.millis);
        }
        if (a.firstTry || a.typed.empty())
            continue;
        // Codes are written in capitals or small letters alike.
        std::string typed, expected;
        for (const char c : a.typed)
            typed += keyRoots(c) ? keyRoots(c)->letter : c;
        for (const char c : a.expected)
            expected += keyRoots(c) ? keyRoots(c)->letter : c;
        std::optional<ItemCodes> item;
        if (facts.codesOf && !a.text.empty())
            item = facts.codesOf(a.text);
        const Miss miss =
            item ? missOf(*item, typed, expected) : missOf(ItemCodes{}, typed, expected);
        if (miss.rule)
            ++p.missedRules[static_cast<std::size_t>(*miss.rule)];
        for (const char k : miss.keys)
            ++p.missedKeys[static_cast<std::size_t>(k - 'a')];
    }
    // The lower median of an even count: a time some answer really took.
    auto median = [](std::vector<int>& t) {
        if (t.empty())
            return 0;
        const auto mid = t.begin() + static_cast<std::ptrdiff_t>((t.size() - 1) / 2);
        std::nth_element(t.begin(), mid, t.end());
        return *mid;
    };
    for (std::size_t i = 0; i < times.size(); ++i)
        p.days[i].medianMillis = median(times[i]);
    p.medianMillis = median(all);
    return p;
}

} // namespace tovrin::practice
