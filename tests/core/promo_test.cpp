// When the promotion is offered: the day, the draw and the start page, with the clock and the
// random source chosen by each test.
#include "core/promo/trigger.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tovrin;
using namespace std::chrono;

namespace {

constexpr const char* kPortal = "http://nav.tovrin.example/?542";
constexpr const char* kOtherPage = "http://www.tovrin.example/";

// A clock stopped on one day and a random source that hands out the given numbers, recording
// what the trigger asked of them.
class World {
public:
    explicit World(year_month_day day, std::vector<double> draws = {})
        : day_(day), draws_(std::move(draws)) {}

    promo::Sources sources() {
        promo::Sources s;
        s.today = [this] { return day_; };
        s.reseed = [this] { calls += 's'; };
        s.uniform = [this] {
            calls += 'u';
            return next_ < draws_.size() ? draws_[next_++] : 0.0;
        };
        return s;
    }

    // 's' for each re-seeding, 'u' for each number drawn, in order.
    std::string calls;

private:
    year_month_day day_;
    std::vector<double> draws_;
    std::size_t next_ = 0;
};

constexpr year_month_day june2011(unsigned d) {
    return year{2011} / June / day{d};
}

} // namespace

TEST(PromotionTrigger, DrawsNothingBeforeEleventhJune2011) {
    for (const year_month_day d : {june2011(10), june2011(9), june2011(1), year{2010} / 12 / 31}) {
        SCOPED_TRACE(static_cast<int>(unsigned(d.day())));
        World world(d, {2.0 / 11});
        EXPECT_EQ(promo::draw(world.sources()), std::nullopt);
        EXPECT_FALSE(promo::offerOnPress(world.sources(), kOtherPage, kPortal));
        // Not even re-seeded: the random source is left alone.
        EXPECT_EQ(world.calls, "");
    }
}

TEST(PromotionTrigger, DrawsOutOfElevenFromEleventhUpToTwentySecondJune2011) {
    for (const unsigned d : {11u, 15u, 22u}) {
        for (int k = 0; k < 11; ++k) {
            SCOPED_TRACE(testing::Message() << "day " << d << ", value " << k);
            // The lowest and a middle number of each eleventh give the same r.
            World world(june2011(d), {k / 11.0, (k + 0.5) / 11.0});
            EXPECT_EQ(promo::draw(world.sources()), k);
            EXPECT_EQ(promo::offerOnPress(world.sources(), kOtherPage, kPortal), k == 2);
            EXPECT_EQ(world.calls, "susu");
        }
    }
}

TEST(PromotionTrigger, OpensOnFifteenthJuneWhenTheDrawGivesTwo) {
    World world(june2011(15), {2.0 / 11, 1.0 / 11});
    EXPECT_TRUE(promo::offerOnPress(world.sources(), kOtherPage, kPortal));
    EXPECT_FALSE(promo::offerOnPress(world.sources(), kOtherPage, kPortal));
}

TEST(PromotionTrigger, DrawsOutOfThreeFromTwentyThirdJune2011On) {
    for (const year_month_day d : {june2011(23), year{2012} / 1 / 1, year{2026} / 3 / 14}) {
        SCOPED_TRACE(static_cast<int>(d.year()));
        const std::vector<std::pair<double, int>> rows = {
            {0.0, 0}, {0.2, 0}, {1.0 / 3, 1}, {0.5, 1}, {2.0 / 3, 2}, {0.9, 2}, {0.999999, 2}};
        for (const auto& [u, r] : rows) {
            SCOPED_TRACE(u);
            World world(d, {u, u});
            EXPECT_EQ(promo::draw(world.sources()), r);
            EXPECT_EQ(promo::offerOnPress(world.sources(), kOtherPage, kPortal), r == 2);
        }
    }
}

TEST(PromotionTrigger, ReseedsBeforeEveryDraw) {
    for (const year_month_day d : {june2011(11), june2011(22), june2011(23), year{2026} / 1 / 1}) {
        World world(d, std::vector<double>(5, 0.0));
        for (int press = 0; press < 5; ++press)
            promo::offerOnPress(world.sources(), kOtherPage, kPortal);
        EXPECT_EQ(world.calls, "sususususu");
    }
}

TEST(PromotionTrigger, NeverOpensWhenTheStartPageIsThePortal) {
    for (const year_month_day d : {june2011(15), year{2026} / 6 / 1}) {
        for (int k = 0; k < 11; ++k) {
            World world(d, {k / 11.0, k / 11.0});
            EXPECT_FALSE(promo::offerOnPress(world.sources(), kPortal, kPortal));
            // A start page stored without its scheme gets it before the comparison.
            EXPECT_FALSE(promo::offerOnPress(
                world.sources(), promo::withHttpScheme("nav.tovrin.example/?542"), kPortal));
        }
    }
}

TEST(PromotionTrigger, ComparesTheStartPageAsExactText) {
    // Pages that a browser would treat as the portal still differ as text: the offer stands.
    for (const char* page :
         {"http://nav.tovrin.example/?542/", "HTTP://nav.tovrin.example/?542",
          "http://NAV.tovrin.example/?542", "http://nav.tovrin.example/?542 ", "http://"}) {
        SCOPED_TRACE(page);
        World world(year{2026} / 6 / 1, {0.9});
        EXPECT_TRUE(promo::offerOnPress(world.sources(), promo::withHttpScheme(page), kPortal));
    }
}

TEST(StartPageScheme, PutsHttpInFrontUnlessTheFirstSevenCharactersAreIt) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"http://nav.tovrin.example/?542", "http://nav.tovrin.example/?542"},
        {"nav.tovrin.example/?542", "http://nav.tovrin.example/?542"},
        {"", "http://"},
        {"http:/x.example", "http://http:/x.example"},
        {"HTTP://x.example", "http://HTTP://x.example"},
        {"https://x.example", "http://https://x.example"},
        {"about:blank", "http://about:blank"},
    };
    for (const auto& [stored, compared] : rows)
        EXPECT_EQ(promo::withHttpScheme(stored), compared) << stored;
}
