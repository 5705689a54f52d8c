#include "core/settings/chartstate.h"

#include "core/settings/setline.h"

namespace tovrin {

namespace {

// A key is down when it names one (a code above 0) and the reading says so.
bool isDown(const std::function<bool(int virtualKey)>& keyDown, int virtualKey) {
    return virtualKey > 0 && keyDown && keyDown(virtualKey);
}

} // namespace

int ChartState::readSetLine(std::string line) {
    const settings::SetLine s = settings::parseSetLine(line);
    Label2 = std::move(line);
    if (s.chartKey)
        chartKey = s.chartKey;
    if (s.lookupKey)
        lookupKey = s.lookupKey;
    return s.chart;
}

ChartState::Tick ChartState::tick(const std::function<bool(int virtualKey)>& keyDown,
                                  bool dialogShown) const {
    auto down = [&keyDown](int vk) { return isDown(keyDown, vk); };
    Tick t;
    t.putAway = down(settings::kEscape);
    t.showChart = !t.putAway && down(chartKey);
    t.showLookup = !t.putAway && down(lookupKey) && !dialogShown;
    return t;
}

bool ChartState::keyHeld(const std::function<bool(int virtualKey)>& keyDown) const {
    return isDown(keyDown, chartKey) || isDown(keyDown, lookupKey) ||
           isDown(keyDown, settings::kEscape);
}

std::vector<ChartState::Step> ChartState::putAwaySteps(bool trayAvailable,
                                                       bool canRestoreMinimised) {
    std::vector<Step> steps;
    if (trayAvailable || !canRestoreMinimised)
        steps.push_back(Step::HideChart);
    if (canRestoreMinimised)
        steps.push_back(Step::MinimiseChart);
    for (const Step close : {Step::CloseAbout, Step::CloseLookup, Step::CloseSettings})
        steps.push_back(close);
    // Hidden again at the end, as the window may have come back while the others closed;
    // without a tray a hidden window could be found again only by its hot key, so it stays on
    // the taskbar where it can be brought back from there.
    steps.push_back(trayAvailable || !canRestoreMinimised ? Step::HideChart : Step::ShowMinimised);
    return steps;
}

void ChartState::windowStateChanged(bool minimised, bool maximised) {
    if (!minimised)
        LastState = maximised ? 2 : 0;
}

} // namespace tovrin
