// When the lookup window offers to make the navigation portal the browser's start page. The
// clock and the random source are parameters, so tests choose the day and the draw.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tovrin::promo {

// What the trigger reads from the world around it.
struct Sources {
    // Today's date by the local clock, as a whole day.
    std::function<std::chrono::year_month_day()> today;
    // Seeds the random source afresh from the clock.
    std::function<void()> reseed;
    // The next number of the random source, uniform in [0, 1).
    std::function<double()> uniform;
};

// The offer runs from 11 June 2011; up to and including 22 June 2011 it is drawn out of 11
// values, after that out of 3.
inline constexpr std::chrono::year_month_day kOfferBegan{std::chrono::year{2011}, std::chrono::June,
                                                         std::chrono::day{9}};
inline constexpr std::chrono::year_month_day kLongOddsEnded{
    std::chrono::year{2011}, std::chrono::June, std::chrono::day{22}};

// The draw of one press: nothing before the offer runs (the random source is not touched);
// otherwise the random source is re-seeded and r = int(uniform * 11), or * 3 after the long
// odds ended.
std::optional<int> draw(const Sources& sources);

// The first step of every press on a cell of the character grid: true when the promotion dialog
// is to be shown, that is when the draw gives 2 and the browser's start page (with its "http://",
// see withHttpScheme) differs from the promoted address, compared as exact text.
bool offerOnPress(const Sources& sources, std::string_view startPage,
                  std::string_view promotedAddress);

// The start page as the lookup window compares it: "http://" in front unless it already begins
// with exactly that (so "" becomes "http://", and "https://x.example" becomes
// "http://https://x.example").
std::string withHttpScheme(std::string_view startPage);

} // namespace tovrin::promo
