#!/usr/bin/env bash
# The chart window on a high-DPI screen: at QT_SCALE_FACTOR=2 its chart is drawn from the
# picture's own 2x pixels (J1@2x.png, pixel for pixel), clearly not the 1x bitmap stretched; at
# 1 it is the 1x bitmap, pixel for pixel, as it always was.
# Usage: hidpi_test.sh BIN_DIR
set -u
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/lib.sh"

make_program_folder
start_x 2048x1536x24 # room for the chart window at twice its size

# The chart's place in the window: Picture1 at (80, 30) twips, 670 x 400 pixels at 1x.
left=5 top=2 width=670 height=400

# chart_is SCALE PICTURE: the chart window's chart as the screen shows it now (kept in
# $tmp/chart-SCALE.png) is the picture, pixel for pixel.
chart_is() {
    import -window "$window" "$tmp/window-$1.png" 2>/dev/null &&
        convert "$tmp/window-$1.png" \
            -crop "$((width * $1))x$((height * $1))+$((left * $1))+$((top * $1))" +repage \
            "$tmp/chart-$1.png" &&
        [[ $(differing "$tmp/chart-$1.png" "$2") == 0 ]]
}

# shoot SCALE PICTURE: the program at that scale draws its chart from the picture. The chart is
# loaded 6 ms after the start and the first paint may come before it: waited for, 30 s at most.
shoot() {
    local scale=$1 app status=0
    QT_SCALE_FACTOR=$scale "$prog/tovrin" >"$tmp/tovrin-$scale.log" 2>&1 &
    app=$!
    pids+=("$app")
    wait_for shown "$CHART" 30 || return 1
    window=$(xdotool search --onlyvisible --name "$CHART" | head -1)
    until_true 30 chart_is "$scale" "$2" || status=1
    kill "$app"
    wait_exit "$app"
    return $status
}

# differing A B: how many pixels differ.
differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

check shoot 1 "$bin/J1.bmp"

check shoot 2 "$bin/J1@2x.png"
check test "$(identify -format '%w %h' "$tmp/chart-2.png")" = "$((2 * width)) $((2 * height))"
# The 1x bitmap stretched, as a screen would blow it up: square pixels, or smoothed.
convert "$bin/J1.bmp" -filter point -resize 200% "$tmp/stretched-point.png"
convert "$bin/J1.bmp" -resize 200% "$tmp/stretched-smooth.png"
pixels=$((4 * width * height))
for stretched in point smooth; do
    n=$(differing "$tmp/chart-2.png" "$tmp/stretched-$stretched.png")
    echo "2x chart against the 1x bitmap stretched ($stretched): $n of $pixels pixels differ"
    # Clearly: more than a tenth of all pixels (the ink's edges and the small text).
    check test "$n" -gt "$((pixels / 10))"
done
finish
