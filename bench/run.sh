#!/usr/bin/env bash
# ./dev.sh bench: runs the benchmarks of a built tree (build/ unless another is given) and
# writes BUILD/bench.txt, the budgets' figures first, one "name: value" line each (and every
# case's times in BUILD/bench-cases.tsv).
# Usage: bench/run.sh [BUILD_DIR]   (TOVRIN_BENCH_IDLE_SECONDS shortens the idle minute)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
core=$build/bench/bench_core
driver=$build/bench/bench_app_driver
probe=$build/bench/libbench_repaint_probe.so
for f in "$core" "$driver" "$probe" "$build/bin/tovrin" "$build/bench/bench_practicestore" \
    "$build/bench/bench_practice_window" "$build/bench/bench_selection"; do
    [[ -e $f ]] || { echo "run.sh: $f is missing: build $build first" >&2; exit 3; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

echo "==> bench_core (the lookup window's work against SQLite and a plain copy)" >&2
# Every case's times go to bench-cases.tsv for a closer look.
"$core" --data="$build/bin" --out="$tmp/core.txt" --cases="$build/bench-cases.tsv"
# The app benchmark times the click that completes the slowest stroke string found above.
worst=$(sed -n 's/^stroke\.ours_worst_strokes: //p' "$tmp/core.txt")
echo "==> the program under Xvfb (clicks end at the strokes $worst)" >&2
bash bench/app.sh "$build/bin" "$driver" "$probe" --out="$tmp/app.txt" --strokes="$worst" \
    --idle-seconds="${TOVRIN_BENCH_IDLE_SECONDS:-60}"

echo "==> whole processes: tovrin-lookup against the sqlite3 command line" >&2
bash bench/process.sh "$build" --out="$tmp/process.txt" >/dev/null
echo "==> the practice deck: its store and window on 20,000 items" >&2
"$build/bench/bench_practicestore" --keep="$tmp/deck.db" --out="$tmp/practice.txt" >/dev/null
"$build/bench/bench_practice_window" --deck="$tmp/deck.db" --data="$build/bin" \
    --out="$tmp/practicewindow.txt" >/dev/null 2>&1
echo "==> a selection of 200 characters looked up in the lookup window" >&2
"$build/bench/bench_selection" --data="$build/bin" --out="$tmp/selection.txt" >/dev/null 2>&1
echo "==> the peers: Rime and ibus-table on the same keys" >&2
bash bench/peers.sh "$build" "$tmp/peers.txt"
touch "$tmp/peers.txt"

# The budgets' figures first, in this order; the peers' only when their libraries were built.
names=(stroke.median_vs_limit stroke.p99_vs_limit stroke.p99_prefixsql_over_ours pick_vs_sqlite
    pinyin_vs_sqlite stroke.nothing_over_preset cli_strokes_over_sqlite3_cli start_to_chart_ms
    click_to_repaint_ms rss_mb rss_anon_growth_mb_last_1000_clicks idle_cpu_percent
    idle_wakeups_per_s hotkey_to_lookup_ms practice_window_open_ms practice_key_to_feedback_ms
    cli_deck_due_day_over_floor_ms practice_bytes_per_review selection_to_painted_lines_ms)
if [[ -s $tmp/peers.txt ]]; then
    names+=(rime_stroke_over_ours ibus_stroke_over_ours)
fi
cat "$tmp/core.txt" "$tmp/app.txt" "$tmp/process.txt" "$tmp/practice.txt" \
    "$tmp/practicewindow.txt" "$tmp/selection.txt" "$tmp/peers.txt" >"$tmp/all.txt"
{
    for n in "${names[@]}"; do
        grep -m1 "^${n//./\\.}: " "$tmp/all.txt" || { echo "run.sh: no figure $n" >&2; exit 1; }
    done
    for n in "${names[@]}"; do printf '%s\n' "${n//./\\.}"; done >"$tmp/names"
    grep -v -f <(sed 's/.*/^&: /' "$tmp/names") "$tmp/all.txt"
} >"$tmp/bench.txt"
mv "$tmp/bench.txt" "$build/bench.txt"
echo "==> $build/bench.txt" >&2
cat "$build/bench.txt"
