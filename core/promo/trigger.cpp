#include "core/promo/trigger.h"

namespace tovrin::promo {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

// r of the draw that shows the dialog.
constexpr int kWinningDraw = 2;

} // namespace

std::optional<int> draw(const Sources& sources) {
    const sys_days today{sources.today()};
    // Whole days: "more than 1 day after 9 June" is 11 June on, "less than 1 day after
    // 22 June" is up to and including 22 June.
    if (today - sys_days{kOfferBegan} <= days{1})
        return std::nullopt;
    sources.reseed();
    const int values = today - sys_days{kLongOddsEnded} < days{1} ? 11 : 3;
    return static_cast<int>(sources.uniform() * values);
}

bool offerOnPress(const Sources& sources, std::string_view startPage,
                  std::string_view promotedAddress) {
    const std::optional<int> r = draw(sources);
    return r == kWinningDraw && startPage != promotedAddress;
}

std::string withHttpScheme(std::string_view startPage) {
    constexpr std::string_view scheme = "http://";
    if (startPage.starts_with(scheme))
        return std::string(startPage);
    return std::string(scheme) + std::string(startPage);
}

} // namespace tovrin::promo
