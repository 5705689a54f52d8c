#!/usr/bin/env bash
# The program in a Wayland session: mutter, headless, with Xwayland beside it and a session bus
# of its own. By default the program runs through Xwayland (its windows X windows, so that the
# window manager keeps the lookup window in place): the chart window, the lookup window and a
# pick in it, and the commands. With QT_QPA_PLATFORM=wayland it runs natively, as the
# compositor sees it (WAYLAND_DEBUG=client): its windows made, put away by --hide and brought
# back by --chart, the desktop's app id on each, and no connection to the X server. Last, under
# weston, whose Xwayland starts only when an X client comes: the native program starts none,
# and lives on when that X server is killed under it.
# The desktop's global-shortcuts portal, where the session has one, gets the keys and its
# presses act: a portal of the tests' own on the session's bus stands in for the desktop's.
# Natively, ESC pressed in the lookup window (through mutter's RemoteDesktop) puts it away and
# the program lives on.
# Usage: wayland_test.sh BIN_DIR FAKE_PORTAL REMOTE_KEYS
set -u
bin=$(cd "$1" && pwd)
fake_portal=$2
remote_keys=$3

# A machine without the Wayland pieces cannot run this at all: said, and passed over.
qt_wayland() {
    local plugins
    plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null) &&
        compgen -G "$plugins/platforms/libqwayland-*.so" >/dev/null
}
command -v mutter >/dev/null || { echo "SKIP: mutter is missing (run ./dev.sh)"; exit 0; }
command -v Xwayland >/dev/null || { echo "SKIP: Xwayland is missing (run ./dev.sh)"; exit 0; }
qt_wayland || { echo "SKIP: Qt's Wayland platform (qt6-wayland) is missing (run ./dev.sh)"; exit 0; }

source "$(dirname "$0")/lib.sh"
for tool in dbus-run-session weston xdotool xwininfo xprop xdpyinfo import compare convert ss; do
    command -v "$tool" >/dev/null || { echo "FAIL $tool is missing: run ./dev.sh"; exit 1; }
done

make_program_folder
settle_start_page
unset QT_QPA_PLATFORM XDG_SESSION_TYPE WAYLAND_DISPLAY DISPLAY XAUTHORITY

# Each compositor runs in a process group of its own (its bus, its Xwayland, the command it
# runs), ended with the test: the compositor first, so that it leaves no lock of its displays
# behind, then whatever is left of the group.
groups=()
stop_group() {
    local group=$1 compositor
    compositor=$(pgrep -g "$group" -x "mutter|weston" | head -1)
    [[ -n $compositor ]] && kill "$compositor" 2>/dev/null
    until_true 5 group_gone "$group"
    kill -KILL -- "-$group" 2>/dev/null
}
group_gone() { [[ -z $(pgrep -g "$1" -x 'mutter|weston') ]]; }
trap 'for g in "${groups[@]}"; do stop_group "$g"; done; cleanup' EXIT

# --- mutter ----------------------------------------------------------------------------------
# It starts Xwayland, then runs the command with DISPLAY, WAYLAND_DISPLAY, XAUTHORITY and the
# bus's address set: the command writes them down and waits.
setsid dbus-run-session -- mutter --wayland --headless --virtual-monitor 1920x1080 \
    --wayland-display tovrin-mutter -- \
    sh -c 'env >"$1.part" && mv "$1.part" "$1" && exec sleep 100000' keeper "$tmp/session.env" \
    >"$tmp/mutter.log" 2>&1 &
mutter_group=$!
groups+=("$mutter_group")
if ! until_true 60 test -s "$tmp/session.env"; then
    echo "FAIL mutter did not start within 60 s"
    tail -n 20 "$tmp/mutter.log"
    exit 1
fi
while IFS= read -r line; do
    case ${line%%=*} in
    DISPLAY | WAYLAND_DISPLAY | XAUTHORITY | DBUS_SESSION_BUS_ADDRESS) export "${line?}" ;;
    esac
done <"$tmp/session.env"
check test -n "${DISPLAY:-}" -a -n "${WAYLAND_DISPLAY:-}"
compositor_up() { [[ -n $(pgrep -g "$1" -x "$2") ]]; }

# x_connections PID: how many of the process's sockets are connected to an X server (the other
# end is an X server's: its address is the server's socket, X11-unix/XN).
x_connections() {
    local f inodes=" "
    for f in /proc/"$1"/fd/*; do
        f=$(readlink "$f") && [[ $f =~ ^socket:\[([0-9]+)\]$ ]] && inodes+="${BASH_REMATCH[1]} "
    done
    ss -x | awk -v mine="$inodes" '$5 ~ /X11-unix\/X[0-9]+$/ && index(mine, " " $8 " ") { n++ }
        END { print n + 0 }'
}
x_client() { (($(x_connections "$1") > 0)); }
no_x_client() { alive "$1" && (($(x_connections "$1") == 0)); }

# x_shown NAME_REGEX: an X window of that name is on the screen: mapped (viewable) and in the
# normal state. Under mutter a minimised window stays mapped, in the iconic state.
x_shown() {
    local w
    for w in $(xdotool search --name "$1" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' &&
            xprop -id "$w" WM_STATE 2>/dev/null | grep -q 'window state: Normal' && return 0
    done
    return 1
}
x_away() { ! x_shown "$1"; }
# x_window NAME_REGEX: the id of the visible X window of that name. (Without an id xwininfo and
# xprop wait for a click on a window.)
x_window() {
    local w
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [[ -n $w ]] && echo "$w"
}
wm_class_is() {
    local w
    w=$(x_window "$1") && [[ $(xprop -id "$w" WM_CLASS 2>/dev/null) == *'= "tovrin", "tovrin"' ]]
}
geometry() {
    local w
    w=$(x_window "$1") || { echo none; return; }
    xwininfo -id "$w" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h "+" x "+" y}'
}

# --- Through Xwayland, unless told otherwise ---------------------------------------------------
# The session's portal, with global shortcuts, told through a pipe which key to press.
mkfifo "$tmp/presses"
"$fake_portal" "$DBUS_SESSION_BUS_ADDRESS" <"$tmp/presses" >"$tmp/portal.log" 2>&1 &
pids+=($!)
exec 7>"$tmp/presses"
check until_true 10 grep -q '^ready$' "$tmp/portal.log"
# Told to speak Wayland's protocol out loud: it speaks none.
WAYLAND_DEBUG=client "$prog/tovrin" >"$tmp/xwayland.log" 2>&1 &
app=$!
pids+=("$app")
check until_true 30 x_shown "$CHART"
check wm_class_is "$CHART"
check x_client "$app" # the windows are Xwayland's
no_wayland() { ! grep -q 'wl_display@' "$tmp/xwayland.log"; }
check no_wayland

check "$prog/tovrin" --lookup
check until_true 30 x_shown "$LOOKUP"
check wm_class_is "$LOOKUP"
echo "through Xwayland: the chart window at $(geometry "$CHART"), the lookup window at $(geometry "$LOOKUP")"

# A pick: the strokes of 我 clicked at the lookup window's buttons, then the first cell.
lookup=$(x_window "$LOOKUP") || bad "no lookup window to pick in"
# (Without a window import waits for a click on one.)
if [[ -n $lookup ]]; then
    check until_true 10 drawn
    for d in 3 1 2 1 5 3 4; do check stroke "$d"; done
    shot strokes
    check differ before strokes "${GRID[@]}" # the characters that begin so
    check click 22 76 "${TEXT1[@]}"        # 我, whose codes the history box shows
fi

# --hide puts both away (the chart window minimised: mutter has no tray), --chart brings the
# chart window back alone.
check "$prog/tovrin" --hide
check until_true 10 x_away "$LOOKUP"
check until_true 10 x_away "$CHART"
check "$prog/tovrin" --chart
check until_true 10 x_shown "$CHART"
check x_away "$LOOKUP"

# The keys chosen in the settings went to the portal (ESC without a key: the whole desktop
# would lose it); the desktop's press of the lookup key brings the lookup window.
bound() { grep -q '^BindShortcuts .* chart=F1 lookup=F2 escape=$' "$tmp/portal.log"; }
check until_true 10 bound
session=$(awk '/^BindShortcuts / {print $2}' "$tmp/portal.log" | tail -1)
echo "activate $session lookup" >&7
check until_true 10 x_shown "$LOOKUP"
echo "activate $session escape" >&7
check until_true 10 x_away "$LOOKUP"
check "$prog/tovrin" --quit
check ended_ok "$app"
exec 7>&-

# In a sanitizer build, the Wayland client library and a driver Qt loads for it keep some of
# their allocations at exit (reported from libwayland-client and an unloaded module), which would
# make the native program's status 1; its own leaks are checked by every other test.
native_asan=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

# --- Natively on Wayland -----------------------------------------------------------------------
# wl_log: the log the program under test writes its Wayland protocol to.
# toplevels: the program's windows as the compositor was told of them, one event a line,
# tab-separated: the log's line, the event (shown: a buffer committed to the window's surface;
# gone: the window destroyed, or its buffer taken away; minimized), its app id and its title.
toplevels() {
    awk '
    function id(key, i, s) {
        i = index($0, key)
        if (!i) return ""
        s = substr($0, i + length(key))
        match(s, /^[0-9]+/)
        return substr(s, 1, RLENGTH)
    }
    function quoted(s) { s = $0; sub(/^[^"]*"/, "", s); sub(/"[^"]*$/, "", s); return s }
    function say(t, what) { printf "%d\t%s\t%s\t%s\n", NR, what, app[t], title[t] }
    / -> xdg_wm_base@[0-9]+\.get_xdg_surface\(/ {
        surface[id("new id xdg_surface@")] = id(", wl_surface@")
    }
    / -> xdg_surface@[0-9]+\.get_toplevel\(/ {
        t = id("new id xdg_toplevel@")
        s = surface[id("-> xdg_surface@")]
        top[s] = t; surface_of[t] = s; title[t] = ""; app[t] = ""; mapped[t] = 0; buffer[s] = 0
    }
    / -> xdg_toplevel@[0-9]+\.set_title\(/ { title[id("-> xdg_toplevel@")] = quoted() }
    / -> xdg_toplevel@[0-9]+\.set_app_id\(/ { app[id("-> xdg_toplevel@")] = quoted() }
    / -> xdg_toplevel@[0-9]+\.set_minimized\(/ { say(id("-> xdg_toplevel@"), "minimized") }
    / -> wl_surface@[0-9]+\.attach\(wl_buffer@/ { buffer[id("-> wl_surface@")] = 1 }
    / -> wl_surface@[0-9]+\.attach\(nil/ { buffer[id("-> wl_surface@")] = -1 }
    / -> wl_surface@[0-9]+\.commit\(/ {
        s = id("-> wl_surface@"); t = top[s]
        if (t != "" && buffer[s] == 1 && !mapped[t]) { mapped[t] = 1; say(t, "shown") }
        if (t != "" && buffer[s] == -1 && mapped[t]) { mapped[t] = 0; say(t, "gone") }
        buffer[s] = 0
    }
    / -> xdg_toplevel@[0-9]+\.destroy\(/ {
        t = id("-> xdg_toplevel@")
        if (t in title) { say(t, "gone"); delete top[surface_of[t]]; delete title[t] }
    }' "$wl_log"
}
# happened EVENT TITLE_REGEX [AFTER_LINE]: the event came to a window of that title after that
# line of the log.
happened() {
    toplevels | awk -F'\t' -v what="$1" -v title="$2" -v from="${3:-0}" \
        '$1 > from && $2 == what && $4 ~ title { found = 1 } END { exit !found }'
}
not_happened() { ! happened "$@"; }
log_lines() { wc -l <"$wl_log"; }
# Each window shown carries the desktop's id for the program (its desktop file's name).
app_ids() { toplevels | awk -F'\t' '$2 == "shown" { print $3 }' | sort -u; }
app_id_is() { [[ $(app_ids) == "$1" ]]; }
no_x_window() { [[ -z $(xdotool search --name "$1" 2>/dev/null) ]]; }

wl_log=$tmp/native.log
ASAN_OPTIONS=$native_asan QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$prog/tovrin" >>"$wl_log" 2>&1 &
app=$!
pids+=("$app")
check until_true 30 happened shown "$CHART"
check no_x_window "$CHART" # not through Xwayland, although DISPLAY is set
check no_x_client "$app"

mark=$(log_lines)
check "$prog/tovrin" --lookup
check until_true 10 happened shown "$LOOKUP" "$mark"
check no_x_window "$LOOKUP"
check app_id_is example.tovrin.Tovrin

# --hide destroys both windows: hidden, not minimised, so that --chart can bring the chart
# window back (no Wayland program can bring back a window minimised).
mark=$(log_lines)
check "$prog/tovrin" --hide
check until_true 10 happened gone "$CHART" "$mark"
check until_true 10 happened gone "$LOOKUP" "$mark"
check not_happened minimized . "$mark"
mark=$(log_lines)
check "$prog/tovrin" --chart
check until_true 10 happened shown "$CHART" "$mark"
check not_happened shown "$LOOKUP" "$mark"
check no_x_client "$app"

# ESC pressed in the lookup window, as a user at the keyboard: the window goes, the program
# stays (it once deleted the window while the key was still being delivered to it), and the
# chart that --chart shows then stays. The session's first key is lost: Shift goes first.
mark=$(log_lines)
check "$prog/tovrin" --lookup
check until_true 10 happened shown "$LOOKUP" "$mark"
mkfifo "$tmp/keys"
"$remote_keys" <"$tmp/keys" >"$tmp/keys.out" 2>&1 &
pids+=($!)
exec 8>"$tmp/keys"
check until_true 10 grep -q ready "$tmp/keys.out"
sent() { [[ $(grep -c sent "$tmp/keys.out") -ge $1 ]]; }
echo 0xffe1 >&8
check until_true 5 sent 1
mark=$(log_lines)
echo 0xff1b >&8
check until_true 5 sent 2
check until_true 10 happened gone "$LOOKUP" "$mark"
check stays_true 1 alive "$app"
mark=$(log_lines)
check "$prog/tovrin" --chart
check until_true 10 happened shown "$CHART" "$mark"
check stays_true 1 not_happened gone "$CHART" "$mark"
check "$prog/tovrin" --quit
check ended_ok "$app"
check compositor_up "$mutter_group" mutter # alive all along: a failure above is the program's

stop_group "$mutter_group"
check group_gone "$mutter_group"

# --- weston: an X server started on demand -----------------------------------------------------
# mutter ends when its Xwayland dies; weston starts Xwayland when the first X client comes, and
# again after it died. It too has a session bus of its own, whose address is written down first.
unset DISPLAY XAUTHORITY DBUS_SESSION_BUS_ADDRESS
export WAYLAND_DISPLAY=tovrin-weston
setsid dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$1" && shift && exec "$@"' \
    keeper "$tmp/weston.bus" weston --backend=headless-backend.so --xwayland --idle-time=0 \
    --socket="$WAYLAND_DISPLAY" >"$tmp/weston.log" 2>&1 &
weston_group=$!
groups+=("$weston_group")
weston_display() { grep -o 'xserver listening on display :[0-9]*' "$tmp/weston.log" | grep -o ':[0-9]*$'; }
weston_ready() { [[ -n $(weston_display) && -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY && -s $tmp/weston.bus ]]; }
if ! until_true 60 weston_ready; then
    echo "FAIL weston did not start within 60 s"
    tail -n 20 "$tmp/weston.log"
    exit 1
fi
export DISPLAY=$(weston_display) DBUS_SESSION_BUS_ADDRESS=$(cat "$tmp/weston.bus")
xwayland_started() { grep -q 'Spawned Xwayland' "$tmp/weston.log"; }
xwayland() { pgrep -g "$weston_group" -x Xwayland; }

wl_log=$tmp/weston-native.log
ASAN_OPTIONS=$native_asan QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$prog/tovrin" >>"$wl_log" 2>&1 &
app=$!
pids+=("$app")
check until_true 30 happened shown "$CHART"
# hide_and_chart: --hide puts the chart window away, --chart brings it back.
hide_and_chart() {
    local mark
    mark=$(log_lines)
    "$prog/tovrin" --hide && until_true 10 happened gone "$CHART" "$mark" || return 1
    mark=$(log_lines)
    "$prog/tovrin" --chart && until_true 10 happened shown "$CHART" "$mark"
}
mark=$(log_lines)
check "$prog/tovrin" --lookup
check until_true 10 happened shown "$LOOKUP" "$mark"
check hide_and_chart
no_xwayland() { ! xwayland_started; }
check no_xwayland # in all this no X client came

# An X client starts Xwayland; killed, it takes no native program with it.
x_answers() { xdpyinfo >/dev/null 2>&1; }
check x_answers
check xwayland_started
xwayland_pid=$(xwayland)
check test -n "$xwayland_pid"
[[ -n $xwayland_pid ]] && kill -KILL "$xwayland_pid"
check until_true 10 grep -q 'xserver exited' "$tmp/weston.log"
check alive "$app"
check hide_and_chart
check "$prog/tovrin" --quit
check ended_ok "$app"
finish
