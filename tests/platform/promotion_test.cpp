// The promotion's sources in the running program: the local date and a fair, re-seeded draw.
#include "platform/promotion.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

using namespace tovrin;
using namespace std::chrono;

namespace {

constexpr const char* kPortal = "http://nav.tovrin.example/?542";
constexpr const char* kOtherPage = "http://www.tovrin.example/";

} // namespace

TEST(PromotionTrigger, TheProgramsSourcesOfferToAboutOnePressInThree) {
    promo::Sources sources = platform::promotionSources();
    // The local date is the UTC date or a day either side of it.
    const sys_days utc = floor<days>(system_clock::now());
    const sys_days today{sources.today()};
    EXPECT_LE(abs((today - utc).count()), 1);
    sources.today = [] { return year{2026} / 6 / 1; };
    // Every press re-seeds from the clock; seeds that repeated would repeat the draw.
    constexpr int kPresses = 3000;
    int offers = 0;
    for (int i = 0; i < kPresses; ++i)
        offers += promo::offerOnPress(sources, kOtherPage, kPortal);
    EXPECT_GT(offers, kPresses / 3 - 200);
    EXPECT_LT(offers, kPresses / 3 + 200);
    for (int i = 0; i < 1000; ++i) {
        const double u = sources.uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}
