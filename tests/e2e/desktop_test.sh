#!/usr/bin/env bash
# The real program in a real X server with a tray (wmdocker): strokes clicked at the lookup
# window's buttons change its grid, a pick writes the history box, the tray icon brings the
# chart window back and its menu opens the lookup window and ends the program.
# Usage: desktop_test.sh BIN_DIR
set -u
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/lib.sh"

for tool in Xvfb xdotool xwininfo import compare convert wmdocker; do
    command -v "$tool" >/dev/null || { echo "FAIL $tool is missing: run ./dev.sh"; exit 1; }
done

make_program_folder
settle_start_page
start_x

# A tray: wmdocker is a dock application, which only a window manager would map; mapped by
# hand it holds the icons like any tray.
wmdocker >/dev/null 2>&1 &
pids+=($!)
docker_window() { xwininfo -root -tree 2>/dev/null | awk '/"Docker": \(\)/ {print $1; exit}'; }
docker_up() { [[ -n $(docker_window) ]]; }
check until_true 10 docker_up
xdotool windowmap "$(docker_window)"

"$prog/tovrin" >"$tmp/tovrin.log" 2>&1 &
app=$!
pids+=("$app")
check wait_for shown "$CHART"
# The icon is embedded in the tray.
icon_embedded() { xwininfo -tree -id "$(docker_window)" 2>/dev/null | grep -q '"tovrin"'; }
check until_true 10 icon_embedded

# --- The lookup window: strokes, the grid, a pick -------------------------------------------
press F2
check wait_for shown "$LOOKUP"
lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)

# shot NAME: the lookup window as it is on screen now.
shot() { import -window "$lookup" "$tmp/$1.png"; }
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
readonly GRID=(6 58 464 85)  # the character grid: 90, 870 .. 7050, 2145 twips
readonly TEXT1=(6 148 464 56) # the history box: 90, 2220 .. 7050, 3060 twips

# The stroke buttons 一 丨 丿 丶 乛 at 90 + 450 k twips, 465 wide, Top 375, 435 high.
stroke() { xdotool mousemove --window "$lookup" $((($1 - 1) * 30 + 21)) 39 click 1; }

shot before
for d in 3 1 2 1 5 3 4; do stroke "$d"; done # 我
sleep 0.2
shot strokes
check differ before strokes "${GRID[@]}"
# Clearing shows the default list again: the grid as it was before the strokes.
xdotool mousemove --window "$lookup" 209 39 click 1 # 清
sleep 0.2
shot cleared
same_grid() { ! differ before cleared "${GRID[@]}"; }
check same_grid

for d in 3 1 2 1 5 3 4; do stroke "$d"; done
sleep 0.2
xdotool mousemove --window "$lookup" 22 76 click 1 # cell 0: 我
sleep 0.3
shot picked
check differ strokes picked "${TEXT1[@]}"
check differ strokes picked "${GRID[@]}" # now the characters that follow 我
check alive "$app"

# --- The tray --------------------------------------------------------------------------------
press Escape
check wait_for gone "$CHART"
check wait_for gone "$LOOKUP"
xdotool mousemove 13 13 click 1 # a left click on the icon brings the chart window back
check wait_for shown "$CHART"

# menu_item FRACTION: presses the right button on the icon, and releases it on the menu's
# item at that height of the menu. The menu pops up under the pointer.
menu_window() {
    local WINDOW=0 X Y SCREEN
    eval "$(xdotool getmouselocation --shell 2>/dev/null)"
    [[ $WINDOW != 0 ]] && xwininfo -id "$WINDOW" 2>/dev/null | grep -q 'Height: *[2-9][0-9]' &&
        echo "$WINDOW"
}
menu_up() { [[ -n $(menu_window) ]]; }
menu_item() {
    xdotool mousemove 13 13 mousedown 3
    if ! until_true 5 menu_up; then
        xdotool mouseup 3
        return 1
    fi
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$(menu_window)")"
    xdotool mousemove $((X + 40)) $((Y + HEIGHT * $1 / 100)) mouseup 3
}
check menu_item 47 # 查询界面
check wait_for shown "$LOOKUP"
check menu_item 84 # 退出
check wait_exit "$app"

finish
