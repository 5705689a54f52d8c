#!/usr/bin/env bash
# The real program in a real X server: the global hot keys and ESC pressed with xdotool, the
# windows found by name, a second copy refused, and "关闭" ending the process.
# Usage: hotkeys_test.sh BIN_DIR events|poll
#   events: the keys come as XInput2 raw events (XTEST makes them): a tap shorter than a tick
#           acts, and the idle program is not woken.
#   poll:   the keymap poll the program falls back to without XInput2 (forced by
#           TOVRIN_KEY_EVENTS=0, as Xvfb cannot leave the extension out).
set -u
bin=$(cd "$1" && pwd)
mode=$2
source "$(dirname "$0")/lib.sh"
[[ $mode == poll ]] && export TOVRIN_KEY_EVENTS=0

make_program_folder
start_x
# A desktop with a tray, where ESC puts the chart window away into it.
check start_tray

"$prog/tovrin" >"$tmp/first.log" 2>&1 &
first=$!
pids+=("$first")
check wait_for shown "$CHART"

# Context switches of all the program's threads: each wake-up counts.
switches() { cat /proc/"$first"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
# Idle, the polling program wakes 15 times a second; with key events it sleeps. Idle means done
# with the start (the lookup window is built half a second after it; later on a loaded machine).
check until_true 30 quiet "$first"
before=$(switches)
sleep 2
woken=$(($(switches) - before))
if [[ $mode == poll ]]; then
    check test "$woken" -ge 15
else
    check test "$woken" -le 6
fi
echo "woken $woken times in 2 idle seconds ($mode)"

# The shipped set.txt: F1 the chart, F2 the lookup window.
check press F2 named_shown "$LOOKUP"

all_away() { named_gone "$LOOKUP" && named_gone "$CHART"; }
check press Escape all_away
check alive "$first"

if [[ $mode == events ]]; then
    # A tap far shorter than the 66 ms tick still acts.
    xdotool keydown F2 sleep 0.01 keyup F2
    check wait_for shown "$LOOKUP"
    check press Escape all_away
fi

check press F1 named_shown "$CHART"
check wait_for gone "$LOOKUP" 1

# The lookup key on a shown lookup window puts it back at its place (bottom right on
# 1024 x 768: 7940 x 7820 twips, that is 529 x 521 pixels).
check press F2 named_shown "$LOOKUP"
lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)
xdotool windowmove "$lookup" 10 10
sleep 0.2
back_home() { xdotool getwindowgeometry "$lookup" | grep -q 'Position: 529,52[12]'; }
check press F2 back_home

# A held key acts on every tick: moved away while F2 is still down, the window comes back.
xdotool keydown F2
check until_true 10 back_home
xdotool windowmove "$lookup" 10 10
check until_true 10 back_home
# ESC held with it wins, tick after tick: the windows go and stay away. (When the hot keys still
# showed their windows in ESC's tick, a poll here now and then caught one between its map and
# its unmap on a loaded machine.)
xdotool keydown Escape
check until_true 10 all_away
check stays_true 1 all_away
xdotool keyup Escape keyup F2
check press F2 named_shown "$LOOKUP"
lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)

# A second copy runs with its chart window until its lookup window would open; then it says
# the program already runs and ends.
"$prog/tovrin" >"$tmp/second.log" 2>&1 &
second=$!
pids+=("$second")
deadline=$((SECONDS + 10))
until [[ $(xdotool search --onlyvisible --name "$CHART" 2>/dev/null | wc -l) -ge 2 ]] ||
    ((SECONDS > deadline)); do sleep 0.05; done
check press F2 named_shown '^提示！$'
# No window manager runs here: the message box is given the focus directly.
box=$(xdotool search --onlyvisible --name '^提示！$' | head -1)
xdotool windowfocus --sync "$box" key Return
check ended_ok "$second"
check alive "$first"

# ESC in the practice window closes that window alone.
check "$prog/tovrin" --practice
practice_focused() { [[ $(xdotool getwindowfocus) == "$(xdotool search --name '^五笔练习$')" ]]; }
check until_true 10 practice_focused
check press Escape named_gone '^五笔练习$'
check stays_true 0.5 named_shown "$LOOKUP"

# "关闭" on the chart window ends the first copy. ESC and the chart key first, so that the
# always-on-top lookup window does not lie over the label.
check press Escape named_gone "$LOOKUP"
check press F1 named_shown "$CHART"
chart=$(xdotool search --onlyvisible --name "$CHART" | head -1)
# The label's place in the window: 8910 + a little, 6270 + a little twips.
xdotool mousemove --window "$chart" 600 425 click 1
check ended_ok "$first"

finish
