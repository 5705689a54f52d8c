// The chart window's state, without any window: the set.txt line and the hot keys it chooses,
// the exit marker, the state the tray brings the window back to, what each tick of the key poll
// does and the steps of putting everything away. The widget Form1 and its tests drive it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin {

class ChartState {
public:
    std::string Label2 = "Label2"; // the set.txt line last read
    std::string Label8 = "Label8"; // the exit marker: kExitMarker once an exit is confirmed
    int LastState = 0;             // 0 normal, 2 maximised: where the tray returns the window
    int chartKey = 0;              // the hot keys' virtual-key codes, 0 for none
    int lookupKey = 0;

    static constexpr std::string_view kExitMarker = "真退";

    // Takes a set.txt line: the keys it names replace the held ones (a key that is no F-key
    // leaves its key as it was). Returns the chart to show, 1 to 3, or 0 for none named.
    int readSetLine(std::string line);

    // What one tick of the key poll does, with no edge detection (a key held through several
    // ticks acts on each): the chart key shows the chart window, the lookup key the lookup
    // window (not while a dialog of the chart window is up), and ESC puts everything away and
    // wins: with ESC down the hot keys show nothing, as what they showed would be put away in
    // the same tick (each tick would map a window and unmap it again, and build a new lookup
    // window to throw away).
    struct Tick {
        bool showChart = false;
        bool showLookup = false;
        bool putAway = false;
        bool any() const { return showChart || showLookup || putAway; }
    };
    Tick tick(const std::function<bool(int virtualKey)>& keyDown, bool dialogShown) const;
    // Whether a key the tick tests is down: while one is, the ticks go on.
    bool keyHeld(const std::function<bool(int virtualKey)>& keyDown) const;

    // Putting everything away (ESC), step by step, in this order. Without a tray the chart
    // window ends minimised and keeps its taskbar entry; with one it is hidden into the tray.
    enum class Step {
        HideChart,
        MinimiseChart,
        CloseAbout,
        CloseLookup,
        CloseSettings,
        ShowMinimised
    };
    // Where the program cannot bring a minimised window back (natively on Wayland), the chart is
    // hidden instead, with or without a tray: its key, its command and the tray show it again.
    static std::vector<Step> putAwaySteps(bool trayAvailable, bool canRestoreMinimised = true);

    // The window's state changed: a normal or maximised window is where the tray returns it.
    void windowStateChanged(bool minimised, bool maximised);

    void confirmExit() { Label8 = kExitMarker; }
    bool exitConfirmed() const { return Label8 == kExitMarker; }
};

} // namespace tovrin
