# Shared by the end-to-end tests: counting checks, a program folder of the test's own, an X
# server on a free display, and waiting for windows by name (never by sleeping a fixed time).
# Source it after setting `bin` to the built program's folder.

pass=0
fail=0
tmp=$(mktemp -d)
pids=()
# A helper that has ended already (a tray that aborted as it started) is no failure of the
# script that sourced this, even under `set -e`.
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

# In a sanitizer build the D-Bus library's own connection is reported as a leak at exit, which
# makes the exit status 1; it is not the programs', and their status must tell their own faults.
echo 'leak:libdbus-1.so' >"$tmp/lsan.supp"
export LSAN_OPTIONS=suppressions=$tmp/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}

# The programs' Qt messages carry the time, to be lined up with a failure's.
export QT_MESSAGE_PATTERN='%{time hh:mm:ss.zzz} %{if-category}%{category}: %{endif}%{message}'

ok() { pass=$((pass + 1)); }
# A failed check says when it failed, what the screen showed then (each visible window that has
# a name, with its geometry) and the last lines of every log.
bad() {
    fail=$((fail + 1))
    echo "FAIL $*"
    echo "  at $(date +%T.%3N) the visible windows were:"
    local w name X Y WIDTH HEIGHT SCREEN WINDOW log
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        name=$(xdotool getwindowname "$w" 2>/dev/null) || continue
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        echo "    $w \"$name\" ${WIDTH}x$HEIGHT+$X+$Y"
    done
    for log in "$tmp"/*.log; do
        [[ -s $log ]] || continue
        echo "  the last lines of ${log##*/}:"
        tail -n 5 "$log" | sed 's/^/    /'
    done
}
# Microseconds since the epoch (the locale's decimal sign dropped).
now_us() { echo "${EPOCHREALTIME//[!0-9]/}"; }
# check COMMAND...: a check that fails says how long it waited.
check() {
    local start
    start=$(now_us)
    "$@" && { ok; return; }
    local us=$(($(now_us) - start))
    bad "$* (gave up after $((us / 1000000)).$(printf %03d $((us / 1000 % 1000))) s)"
}
# On a failure the programs' own logs are shown: their last words say more than the checks.
finish() {
    echo "$pass passed, $fail failed"
    if ((fail)); then
        local log
        for log in "$tmp"/*.log; do
            [[ -s $log ]] || continue
            echo "--- ${log##*/}"
            tail -n 40 "$log"
        done
    fi
    [[ $fail == 0 ]]
}

readonly CHART='^ Tovrin$'
readonly LOOKUP='^Mirel鼠标打字笔画输入法$'

# A program folder: the program copied (it finds its files beside itself), the dictionaries
# and pictures linked, the shipped set.txt copied; XDG folders of its own.
make_program_folder() {
    prog=$tmp/program
    mkdir -p "$prog" "$tmp/config/tovrin" "$tmp/runtime"
    chmod 700 "$tmp/runtime"
    cp "$bin/tovrin" "$prog/"
    for f in "$bin"/*.dat "$bin"/*.bmp "$bin"/*@*x.png; do ln -s "$f" "$prog/"; done
    cp "$bin/set.txt" "$prog/set.txt"
    export XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime XDG_DATA_HOME=$tmp/data
}

# The start page already the portal, so that no promotion interrupts a pick.
settle_start_page() {
    printf 'start-page=http://nav.tovrin.example/?542\n' >"$tmp/config/tovrin/startpage.txt"
}

# An X server on a free display (its screen 1024x768x24 unless given); it says its number once
# it is ready, which on a loaded machine may take seconds: waited for, 30 s at most, and then
# for its answer to a client.
# -noreset: a server that resets when its last client leaves refuses the clients that come
# during the reset, and Qt aborts a program that cannot reach its display.
start_x() {
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset 3>"$tmp/display" \
        2>"$tmp/xvfb.log" &
    pids+=($!)
    until_true 30 test -s "$tmp/display" || echo "FAIL the X server did not start within 30 s"
    export DISPLAY=:$(head -1 "$tmp/display")
    until_true 30 xdpyinfo >/dev/null 2>&1 || echo "FAIL the X server on $DISPLAY does not answer"
}

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

# Whether a window of that name is shown, or none is.
named_shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
named_gone() { ! named_shown "$1"; }

# press KEY [CONDITION...]: holds the key until CONDITION holds (at most 30 s), so that a program
# polling its keys late (a cold font cache, a loaded machine) still sees it; the status is the
# condition's. Without a condition the key is held longer than one 66 ms poll.
press() {
    local key=$1 status=0
    shift
    xdotool keydown "$key"
    if (($#)); then
        until_true 30 "$@" || status=1
    else
        sleep 0.25
    fi
    xdotool keyup "$key"
    return $status
}

# stays_true SECONDS COMMAND...: the condition holds throughout, polled; false at its first miss.
stays_true() {
    local deadline=$(($(now_us) + $(awk -v s="$1" 'BEGIN { printf "%d", s * 1e6 }')))
    shift
    while (($(now_us) < deadline)); do
        "$@" || return 1
        sleep 0.02
    done
}

# quiet PID: the process lives and used less than a clock tick (10 ms) of CPU time over half a
# second: it is done with its start.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; }
quiet() {
    local before
    before=$(cpu_ticks "$1")
    sleep 0.5
    alive "$1" && [[ $(cpu_ticks "$1") == "$before" ]]
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

# ended_ok PID [SECONDS]: a child of this script ends in time, with status 0 (a normal end).
ended_ok() {
    wait_exit "$@" || return 1
    local status=0
    wait "$1" || status=$?
    ((status == 0)) || echo "  process $1 ended with status $status"
    ((status == 0))
}

# until_true SECONDS COMMAND...: polls a condition.
until_true() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS > deadline)) && return 1
        sleep 0.05
    done
}

# A tray: wmdocker, a dock application. Without a window manager nobody maps it; mapped by hand
# it holds the icons like any tray. Its icons stand at (13, 13) of the screen.
docker_window() { xwininfo -root -tree 2>/dev/null | awk '/"Docker": \(\)/ {print $1; exit}'; }
docker_up() { [[ -n $(docker_window) ]]; }
# wmdocker now and then aborts as it starts: it is started again, three times at most.
start_tray() {
    local attempt
    for attempt in 1 2 3; do
        wmdocker >/dev/null 2>>"$tmp/wmdocker.log" &
        tray=$!
        pids+=("$tray")
        if until_true 10 docker_up_or_gone && alive "$tray" && docker_up; then
            xdotool windowmap "$(docker_window)"
            return 0
        fi
        kill "$tray" 2>/dev/null
    done
    return 1
}
docker_up_or_gone() { docker_up || ! alive "$tray"; }
# The program's icon is embedded in the tray.
icon_embedded() { xwininfo -tree -id "$(docker_window)" 2>/dev/null | grep -q '"tovrin"'; }

# menu_item FRACTION: a right click on the icon opens its menu; once the menu is on the screen
# a left click takes the item at that height of it. (Pressing on the icon and releasing on the
# item raced the menu's pointer grab: a release before the grab went to the icon, and the menu
# stayed open with nothing chosen.) The menu is the program's one window that no window
# manager frames (override-redirect) and that is taller than the icon.
menu_window() {
    local w info
    for w in $(xdotool search --onlyvisible --classname tovrin 2>/dev/null); do
        info=$(xwininfo -all -id "$w" 2>/dev/null)
        if grep -q 'Override Redirect State: yes' <<<"$info" &&
            grep -q 'Height: *[4-9][0-9]' <<<"$info"; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
menu_up() { [[ -n $(menu_window) ]]; }
menu_item() {
    # A click lost on a loaded machine (seen under the sanitizers with other tests beside, on
    # the old code as on the new) is clicked again, as a user would.
    local try
    for try in 1 2 3 4 5 6; do
        xdotool mousemove 13 13 click 3
        until_true 5 menu_up && break
    done
    menu_up || return 1
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$(menu_window)")"
    xdotool mousemove $((X + 40)) $((Y + HEIGHT * $1 / 100)) click 1
}

# --- The lookup window in screenshots: set `lookup` to its window id first. ---
# shot NAME: the lookup window as it is on screen now.
shot() { import -window "$lookup" "$tmp/$1.png" 2>/dev/null; }
# region NAME X Y W H: a part of a shot, in the window's pixels.
region() { convert "$tmp/$1.png" -crop "$4x$5+$2+$3" +repage "$tmp/$1-$2-$3.png"; }
# differ A B X Y W H: whether the same part of two shots differs.
differ() {
    region "$1" "$3" "$4" "$5" "$6"
    region "$2" "$3" "$4" "$5" "$6"
    local n
    n=$(compare -metric AE "$tmp/$1-$3-$4.png" "$tmp/$2-$3-$4.png" null: 2>&1)
    [[ ${n%% *} != 0 ]]
}
readonly GRID=(6 58 464 85)     # the character grid: 90, 870 .. 7050, 2145 twips
readonly TEXT1=(6 148 464 56)   # the history box: 90, 2220 .. 7050, 3060 twips
readonly STROKES=(230 28 136 22) # the strokes clicked so far, in the box beside 清
# drawn: the grid shows its characters (a window mapped but not yet painted is one colour).
drawn() {
    shot before
    region before "${GRID[@]}"
    (($(convert "$tmp/before-${GRID[0]}-${GRID[1]}.png" -format %k info:) > 2))
}
# click X Y REGION...: a click at that pixel of the window, then waits until the region shows
# what the click changed. A loaded machine may handle a click long after it is made: each click
# is seen through before the next, and a shot shows every click before it.
click() {
    local x=$1 y=$2
    shift 2
    shot last
    xdotool mousemove --window "$lookup" "$x" "$y" click 1
    until_true 10 changed "$@"
}
changed() { shot now && differ last now "$@"; }
# The stroke buttons 一 丨 丿 丶 乛 at 90 + 450 k twips, 465 wide, Top 375, 435 high; each click
# adds its stroke to the box. 清 empties the box.
stroke() { click $((($1 - 1) * 30 + 21)) 39 "${STROKES[@]}"; }
