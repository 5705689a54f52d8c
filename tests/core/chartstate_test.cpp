// The chart window's Qt-free state: which keys a tick of the poll acts on, and how ESC puts
// everything away with and without a tray.
#include "core/settings/chartstate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace tovrin;

TEST(ChartState, ATickActsOnEveryHeldKeyAndTheLookupKeyWaitsForDialogs) {
    ChartState s;
    EXPECT_EQ(s.readSetLine("20312"), 2);
    std::set<int> down;
    auto keyDown = [&down](int vk) { return down.count(vk) > 0; };

    down = {114, 123}; // both hot keys in one tick: both act
    ChartState::Tick t = s.tick(keyDown, false);
    EXPECT_TRUE(t.showChart && t.showLookup && !t.putAway);
    t = s.tick(keyDown, true); // a dialog is up: the lookup key waits, the chart key acts
    EXPECT_TRUE(t.showChart && !t.showLookup);
    down = {114, 123, 27}; // with ESC: only ESC, so no window is shown to be put away again
    t = s.tick(keyDown, false);
    EXPECT_TRUE(!t.showChart && !t.showLookup && t.putAway);

    // A line that names no F-key leaves the keys; a key never chosen is never down.
    EXPECT_EQ(s.readSetLine("30013"), 3);
    EXPECT_EQ(s.chartKey, 114);
    ChartState none;
    down = {0};
    EXPECT_FALSE(none.tick(keyDown, false).any());
}

TEST(ChartState, EscapeHidesIntoATrayAndOnlyMinimisesWithoutOne) {
    using Step = ChartState::Step;
    const auto tray = ChartState::putAwaySteps(true);
    EXPECT_EQ(tray.front(), Step::HideChart);
    EXPECT_EQ(tray.back(), Step::HideChart);
    const auto noTray = ChartState::putAwaySteps(false);
    EXPECT_EQ(std::count(noTray.begin(), noTray.end(), Step::HideChart), 0);
    EXPECT_EQ(noTray.back(), Step::ShowMinimised);
    // Natively on Wayland the program could never bring a minimised chart back: it is hidden.
    const auto wayland = ChartState::putAwaySteps(false, false);
    EXPECT_EQ(std::count(wayland.begin(), wayland.end(), Step::MinimiseChart), 0);
    EXPECT_EQ(wayland.back(), Step::HideChart);
    for (const auto& steps : {tray, noTray, wayland})
        for (Step closed : {Step::CloseAbout, Step::CloseLookup, Step::CloseSettings})
            EXPECT_EQ(std::count(steps.begin(), steps.end(), closed), 1);
}
