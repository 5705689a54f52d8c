#!/usr/bin/env bash
# The real program under Xvfb, timed from outside by bench_app_driver: start to the chart
# window, the lookup hot key to the lookup window, a stroke click to the grid repainted (through
# the preloaded repaint probe), resident memory, and the CPU time of the idle program.
# Usage: app.sh BIN_DIR DRIVER PROBE --out=FILE [driver options]
set -euo pipefail
bin=$(cd "$1" && pwd)
driver=$2
probe=$3
shift 3
tmp=$(mktemp -d)
xvfb=
cleanup() {
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

# A program folder of its own: the program copied (it finds its files beside itself), the
# dictionaries and pictures linked, the shipped set.txt (F1 chart, F2 lookup window) copied.
prog=$tmp/program
mkdir -p "$prog" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$bin/tovrin" "$prog/"
for f in "$bin"/*.dat "$bin"/*.bmp; do ln -s "$f" "$prog/"; done
cp "$bin/set.txt" "$prog/set.txt"
export XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime
# The start page already the portal, so that no promotion dialog interrupts the clicks (it would
# take them, and its bold face would be counted as the lookup window's memory).
mkdir -p "$tmp/config/tovrin"
printf 'start-page=http://nav.tovrin.example/?542\n' >"$tmp/config/tovrin/startpage.txt"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do [[ -s $tmp/display ]] && break; sleep 0.05; done
[[ -s $tmp/display ]] || { echo "app.sh: Xvfb did not start" >&2; exit 3; }
DISPLAY=:$(head -1 "$tmp/display")
export DISPLAY

"$driver" --program="$prog/tovrin" --probe="$(cd "$(dirname "$probe")" && pwd)/$(basename "$probe")" "$@"
