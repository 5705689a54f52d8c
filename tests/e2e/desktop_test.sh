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
# Files that are not what they should be must not freeze the program: a named pipe in place of
# set.txt (the designed keys F1 and F2 then hold) and of the single-instance lock.
rm "$prog/set.txt"
mkfifo "$prog/set.txt" "$tmp/runtime/tovrin.lock"
# The stroke dictionary a copy of its own, to be overwritten under the running program below.
cp --remove-destination "$bin/vezari.dat" "$prog/vezari.dat"
start_x

check start_tray

"$prog/tovrin" >"$tmp/tovrin.log" 2>&1 &
app=$!
pids+=("$app")
check wait_for shown "$CHART"
check until_true 30 icon_embedded

# --- The lookup window: strokes, the grid, a pick -------------------------------------------
check press F2 named_shown "$LOOKUP"
lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)

clear_strokes() { click 209 39 "${STROKES[@]}"; }

check until_true 10 drawn
for d in 3 1 2 1 5 3 4; do check stroke "$d"; done # 我
shot strokes
check differ before strokes "${GRID[@]}"
# Clearing shows the default list again: the grid as it was before the strokes.
check clear_strokes
shot cleared
same_grid() { ! differ before cleared "${GRID[@]}"; }
check same_grid

for d in 3 1 2 1 5 3 4; do check stroke "$d"; done
check click 22 76 "${TEXT1[@]}" # cell 0: 我, whose codes the history box shows
shot picked
check differ strokes picked "${GRID[@]}" # now the characters that follow 我
check alive "$app"

# The stroke dictionary overwritten in place, then cut to nothing, while the window is open:
# the window goes on answering from what it read, the same grid as before.
check click 209 39 "${GRID[@]}" # 清 after the pick: the box is empty, the grid the default list
for d in 3 1 2 1; do check stroke "$d"; done
shot intact
check clear_strokes
cp "$bin/vezariPY.dat" "$prog/vezari.dat"
for d in 3 1; do check stroke "$d"; done
: >"$prog/vezari.dat"
for d in 2 1; do check stroke "$d"; done
shot overwritten
check alive "$app"
same_answers() { ! differ intact overwritten "${GRID[@]}"; }
check same_answers
cp "$bin/vezari.dat" "$prog/vezari.dat" # whole again for the next opening of the window

# --- The tray --------------------------------------------------------------------------------
all_away() { named_gone "$LOOKUP" && named_gone "$CHART"; }
check press Escape all_away
xdotool mousemove 13 13 click 1 # a left click on the icon brings the chart window back
check wait_for shown "$CHART"

check menu_item 35 # 查询界面
check wait_for shown "$LOOKUP"
check menu_item 88 # 退出
check ended_ok "$app"

finish
