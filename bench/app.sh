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
# The end-to-end tests' program folder of its own (the program copied, the dictionaries and
# pictures linked, the shipped set.txt: F1 chart, F2 lookup window), its X server, and their
# clean-up.
source "$(dirname "$0")/../tests/e2e/lib.sh"
make_program_folder
# The start page already the portal, so that no promotion dialog interrupts the clicks (it would
# take them, and its bold face would be counted as the lookup window's memory).
settle_start_page
start_x
[[ -s $tmp/display ]] || { echo "app.sh: Xvfb did not start" >&2; exit 3; }
# A desktop with a tray, where ESC puts the chart window away between the hot-key trials.
start_tray || { echo "app.sh: the tray did not start" >&2; exit 3; }

status=0
"$driver" --program="$prog/tovrin" --probe="$(cd "$(dirname "$probe")" && pwd)/$(basename "$probe")" \
    "$@" || status=$?
if ((status)); then
    echo "app.sh: bench_app_driver ended with status $status; the program's X server said:" >&2
    tail -n 5 "$tmp/xvfb.log" >&2
fi
exit $status
