#!/usr/bin/env bash
# The real program in a real X server: the global hot keys and ESC pressed with xdotool, the
# windows found by name, a second copy refused, and "关闭" ending the process.
# Usage: hotkeys_test.sh BIN_DIR
set -u
bin=$(cd "$1" && pwd)
pass=0
fail=0
tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

ok() { pass=$((pass + 1)); }
bad() { fail=$((fail + 1)); echo "FAIL $*"; }
check() { if "$@"; then ok; else bad "$*"; fi; }

# A program folder of the test's own: the program copied (it finds its files beside itself),
# the dictionaries and pictures linked, the shipped set.txt copied.
prog=$tmp/program
mkdir -p "$prog" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$bin/tovrin" "$prog/"
for f in "$bin"/*.dat "$bin"/*.bmp; do ln -s "$f" "$prog/"; done
cp "$bin/set.txt" "$prog/set.txt"
export XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime

# An X server on a free display.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s $tmp/display ]] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$tmp/display")

readonly CHART='^ Tovrin$'
readonly LOOKUP='^Mirel鼠标打字笔画输入法$'

# wait_for shown|gone NAME_REGEX [SECONDS]: polls for a visible window by name.
wait_for() {
    local want=$1 name=$2 limit=${3:-10}
    local deadline=$((SECONDS + limit))
    while ((SECONDS < deadline)); do
        if xdotool search --onlyvisible --name "$name" >/dev/null 2>&1; then
            [[ $want == shown ]] && return 0
        else
            [[ $want == gone ]] && return 0
        fi
        sleep 0.05
    done
    return 1
}

# Holds a key longer than one 66 ms poll, so that a poll sees it down.
press() {
    xdotool keydown "$1"
    sleep 0.25
    xdotool keyup "$1"
}

alive() { kill -0 "$1" 2>/dev/null; }

# wait_exit PID [SECONDS]
wait_exit() {
    local deadline=$((SECONDS + ${2:-10}))
    while ((SECONDS < deadline)); do
        alive "$1" || return 0
        sleep 0.05
    done
    return 1
}

"$prog/tovrin" >"$tmp/first.log" 2>&1 &
first=$!
pids+=("$first")
check wait_for shown "$CHART"

press F2 # the shipped set.txt: F1 the chart, F2 the lookup window
check wait_for shown "$LOOKUP"

press Escape
check wait_for gone "$LOOKUP"
check wait_for gone "$CHART"
check alive "$first"

press F1
check wait_for shown "$CHART"
check wait_for gone "$LOOKUP" 1

# The lookup key on a shown lookup window puts it back at its place (bottom right on
# 1024 x 768: 7940 x 7820 twips, that is 529 x 521 pixels).
press F2
check wait_for shown "$LOOKUP"
lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)
xdotool windowmove "$lookup" 10 10
sleep 0.2
press F2
back_home() { xdotool getwindowgeometry "$lookup" | grep -q 'Position: 529,52[12]'; }
deadline=$((SECONDS + 5))
until back_home || ((SECONDS > deadline)); do sleep 0.05; done
check back_home

# A second copy runs with its chart window until its lookup window would open; then it says
# the program already runs and ends.
"$prog/tovrin" >"$tmp/second.log" 2>&1 &
second=$!
pids+=("$second")
deadline=$((SECONDS + 10))
until [[ $(xdotool search --onlyvisible --name "$CHART" 2>/dev/null | wc -l) -ge 2 ]] ||
    ((SECONDS > deadline)); do sleep 0.05; done
press F2
check wait_for shown '^提示！$'
# No window manager runs here: the message box is given the focus directly.
box=$(xdotool search --onlyvisible --name '^提示！$' | head -1)
xdotool windowfocus --sync "$box" key Return
check wait_exit "$second"
check alive "$first"

# "关闭" on the chart window ends the first copy. ESC and the chart key first, so that the
# always-on-top lookup window does not lie over the label.
press Escape
check wait_for gone "$LOOKUP"
press F1
check wait_for shown "$CHART"
chart=$(xdotool search --onlyvisible --name "$CHART" | head -1)
# The label's place in the window: 8910 + a little, 6270 + a little twips.
xdotool mousemove --window "$chart" 600 425 click 1
check wait_exit "$first"

echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
