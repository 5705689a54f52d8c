#include "core/lookup/placement.h"

#include <gtest/gtest.h>

using namespace tovrin::placement;

namespace {
// 1024 x 768 pixels at 15 twips to a pixel.
constexpr Size kScreen{15360, 11520};
constexpr Size kWindow{7170, 3200};
} // namespace

TEST(Placement, StartPlacesByTheWindowOrItsClientArea) {
    EXPECT_EQ(startPlace(0, kScreen, kWindow, kWindow), (Point{7940, 7820}));
    EXPECT_EQ(startPlace(1, kScreen, kWindow, kWindow), (Point{(15360 - 7170 - 100) / 2, 7820}));
    EXPECT_EQ(startPlace(2, kScreen, kWindow, kWindow), (Point{4095, 4160}));
    // The centred places halve the screen less the client area; the corner uses the window.
    const Size framed{7200, 3230};
    EXPECT_EQ(startPlace(2, kScreen, framed, kWindow), (Point{4095, 4160}));
    EXPECT_EQ(startPlace(0, kScreen, framed, kWindow),
              (Point{15360 - 7200 - 250, 11520 - 3230 - 500}));
    EXPECT_FALSE(startPlace(3, kScreen, kWindow, kWindow));
    EXPECT_FALSE(startPlace(9, kScreen, kWindow, kWindow));
}

TEST(Placement, ResetAndCollapsedBar) {
    EXPECT_EQ(resetPlace(0, kScreen, kWindow), (Point{7940, 7820}));
    EXPECT_EQ(resetPlace(1, kScreen, kWindow), (Point{4045, 7820}));
    EXPECT_EQ(resetPlace(2, kScreen, kWindow), (Point{4095, 4160}));
    EXPECT_FALSE(resetPlace(-1, kScreen, kWindow));
    // Integer halving truncates toward zero, also on a screen smaller than the window.
    EXPECT_EQ(resetPlace(2, Size{7171, 3201}, kWindow), (Point{0, 0}));
    EXPECT_EQ(resetPlace(2, Size{7169, 3199}, kWindow), (Point{0, 0}));
    EXPECT_EQ(barPlace(kScreen, Size{1560, 370}), (Point{15360 - 1560 - 250, 11520 - 370 - 540}));
}
