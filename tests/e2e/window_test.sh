#!/usr/bin/env bash
# The windows under a real window manager (openbox), as a learner meets them: the title strip's
# collapse and close spots work after any number of collapses; after the collapsed bar showed
# the desktop, the hot key, the tray's "查询界面" and the chart's "编码查询" each bring the lookup
# window back in its compact layout; and without a tray ESC leaves the chart window minimised
# on the taskbar rather than withdrawn; with a panel at the bottom of the screen the lookup window
# is placed above it.
# Usage: window_test.sh BIN_DIR PANEL (tests/e2e/panel.cpp)
set -u
bin=$(cd "$1" && pwd)
panel=$2
source "$(dirname "$0")/lib.sh"

for tool in Xvfb openbox xdotool xwininfo xprop wmdocker; do
    command -v "$tool" >/dev/null || { echo "FAIL $tool is missing: run ./dev.sh"; exit 1; }
done

make_program_folder
settle_start_page
start_x
HOME=$tmp openbox --sm-disable >/dev/null 2>"$tmp/openbox.log" &
pids+=($!)
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
check until_true 10 wm_up

# start_program: the program, with its chart window shown.
start_program() {
    "$prog/tovrin" >>"$tmp/tovrin.log" 2>&1 &
    app=$!
    pids+=("$app")
    wait_for shown "$CHART" && chart=$(xdotool search --onlyvisible --name "$CHART" | head -1)
}
size_is() { [[ $(xwininfo -id "$lookup" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}') == "$1" ]]; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
hidden() { ! viewable "$1"; }
# spot X Y: a click at that pixel of the lookup window.
spot() { xdotool mousemove --window "$lookup" "$1" "$2" click 1; }
readonly COMPACT=478x213 BAR=104x25
collapse() { spot 444 10 && until_true 30 size_is "$BAR"; } # Label23 at 6540, 60 twips
open_lookup() {
    press F2 named_shown "$LOOKUP" &&
        lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)
}

# --- With a tray ---------------------------------------------------------------------------
check start_tray
check start_program
check until_true 30 icon_embedded

# Collapse, restore from the bar, collapse again, restore by the hot key, then close.
check open_lookup
check collapse
spot 71 12 # Label97, the bar's restore spot, at 660, 60 twips
check until_true 30 size_is "$COMPACT"
check collapse # the spot still takes the press after a restore
check press F2 size_is "$COMPACT"
spot 462 10 # Label13, the close spot, at 6810, 60 twips
check wait_for gone "$LOOKUP"

# Each way back after the bar showed the desktop.
by_hot_key() { press F2 viewable "$lookup"; }
# 查询界面 from the tray's menu.
by_tray() { menu_item 35 && until_true 10 viewable "$lookup"; }
by_chart_link() {
    press F1 viewable "$chart" || return 1 # the chart window comes back first
    xdotool mousemove --window "$chart" 300 426 click 1 # 编码查询 at 4230, 6270 twips
}
for way in by_hot_key by_tray by_chart_link; do
    check open_lookup
    check collapse
    spot 12 12 # Label95, the bar's show-desktop spot, at 60, 60 twips
    if ! until_true 30 hidden "$lookup"; then
        bad "$way: the shown desktop left the lookup window on screen"
        continue
    fi
    check "$way"
    check until_true 30 viewable "$lookup"
    check until_true 30 size_is "$COMPACT"
done
# Mapped again and again, the lookup window stays a normal window without a taskbar button (a
# utility window is hidden by some window managers while its program is inactive).
normal_type() { xprop -id "$lookup" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_NORMAL$'; }
no_button_on_top() { xprop -id "$lookup" _NET_WM_STATE | grep -q 'SKIP_TASKBAR.*ABOVE'; }
check normal_type
check no_button_on_top

# After ESC the chart window comes back and stays: by a tap of F1 far shorter than a tick, by
# the tray icon's left click, by `tovrin --chart`. (Qt maps a minimised window before it clears
# its iconic hint; a window manager that read the hint in between minimised it again, 2-3 ms
# after it was mapped, in about one try of three.)
comes_back() {
    press Escape named_gone "$CHART" || return 1
    "$@"
    until_true 10 viewable "$chart" && stays_true 0.5 viewable "$chart"
}
tap_f1() { xdotool keydown F1 sleep 0.01 keyup F1; }
tray_click() { xdotool mousemove 13 13 click 1; }
for try in $(seq 20); do check comes_back tap_f1; done
for try in $(seq 5); do
    check comes_back tray_click
    check comes_back "$prog/tovrin" --chart
done

check menu_item 88 # 退出
check ended_ok "$app"

# --- Without a tray ------------------------------------------------------------------------
kill "$tray"
check until_true 30 eval '! docker_up'
check start_program
wm_state() { xprop -id "$chart" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
check press Escape eval '[[ $(wm_state) == Iconic ]]'
check press F1 viewable "$chart"
check alive "$app"

# --- A panel at the bottom ---------------------------------------------------------------------
# Places are taken in the screen without its panels: 48 pixels less, the lookup window opens
# 48 pixels higher (529,521 without the panel), and no part of it lies under the panel.
"$panel" 48 &
pids+=($!)
work_height() { xprop -root _NET_WORKAREA 2>/dev/null | awk -F', ' '{ print $4 }'; }
check until_true 10 eval '[[ $(work_height) == 720 ]]'
check open_lookup
at_place() { xdotool getwindowgeometry "$lookup" | grep -q 'Position: 529,47[34]'; }
check at_place
check alive "$app"

finish
