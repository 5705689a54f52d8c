#!/usr/bin/env bash
# Whole processes, as a shell user waits for them: tovrin-lookup against the sqlite3 command line
# answering the same question from the tables bench_core builds (the stroke grid's prefix table,
# the codes, the readings). The two run in turn, after a few warm-up runs, RUNS times each; the
# figures are the medians and ours over theirs.
# Usage: process.sh BUILD_DIR [RUNS] --out=FILE   (RUNS defaults to 30)
set -euo pipefail
build=$1
shift
runs=30
out=
for a in "$@"; do
    case $a in
    --out=*) out=${a#--out=} ;;
    *) runs=$a ;;
    esac
done
[[ -n $out ]] || { echo "usage: process.sh BUILD_DIR [RUNS] --out=FILE" >&2; exit 2; }
lookup=$build/bin/tovrin-lookup
core=$build/bench/bench_core
practice=$build/bench/bench_practicestore
for f in "$lookup" "$core" "$practice"; do
    [[ -x $f ]] || { echo "process.sh: $f is missing" >&2; exit 3; }
done
command -v sqlite3 >/dev/null || { echo "process.sh: the sqlite3 command is missing" >&2; exit 3; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The tables, as bench_core builds them for its own comparison.
db=$tmp/tables.db
"$core" --data="$build/bin" --smoke --save-db="$db" >/dev/null 2>"$tmp/core.log" ||
    { cat "$tmp/core.log" >&2; exit 1; }

# A character's signed GBK code, as the codes table keys it.
gbk_code() {
    local hex
    hex=$(printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')
    echo $((16#$hex >= 32768 ? 16#$hex - 65536 : 16#$hex))
}
grid="SELECT character FROM stroke_grid WHERE prefix = '3' ORDER BY bucket, rank LIMIT 51;"
codes="SELECT code FROM codes WHERE character = $(gbk_code 我) ORDER BY id;
SELECT code FROM codes WHERE character = $(gbk_code 们) ORDER BY id;"
readings="SELECT character FROM pinyin WHERE reading >= 'zh' AND reading < 'zi'
ORDER BY reading, id LIMIT 36;"

# A practice deck of 20,000 items, each reviewed once, as bench_practicestore makes it; deck due
# a day after the reviews began (288 items due) and two weeks after (10,912 due), against
# sqlite3 reading the same rows in the same order.
deck=$tmp/deck.db
"$practice" --keep="$deck" >/dev/null
due_sql() {
    echo "SELECT text, due, stability, difficulty, state, reps, lapses FROM items
WHERE due <= $1 ORDER BY due, id;"
}
day=2026-12-09T10:00:00Z
weeks=2026-12-22T10:00:00Z

# Both answer at all before they are timed.
[[ -n $("$lookup" strokes 3) && -n $(sqlite3 "$db" "$grid") ]] || { echo "no answer" >&2; exit 1; }
[[ $(sqlite3 "$db" "$codes" | wc -l) -ge 2 ]] || { echo "sqlite3 found no codes" >&2; exit 1; }

# Milliseconds one run of the command takes.
time_once() {
    local t0=$EPOCHREALTIME
    "$@" >/dev/null
    local t1=$EPOCHREALTIME
    echo "$(((${t1/./} - ${t0/./})))"
}
median_ms() { sort -n | awk '{ v[NR] = $1 } END { printf "%.3f", v[int((NR + 1) / 2)] / 1000 }'; }

# paired NAME -- OURS... -- THEIRS...
paired() {
    local name=$1 ours=() theirs=() side=ours i
    shift 2
    for a in "$@"; do
        if [[ $a == -- ]]; then side=theirs; continue; fi
        if [[ $side == ours ]]; then ours+=("$a"); else theirs+=("$a"); fi
    done
    for ((i = 0; i < 3; ++i)); do "${ours[@]}" >/dev/null; "${theirs[@]}" >/dev/null; done
    : >"$tmp/ours" && : >"$tmp/theirs"
    for ((i = 0; i < runs; ++i)); do
        time_once "${ours[@]}" >>"$tmp/ours"
        time_once "${theirs[@]}" >>"$tmp/theirs"
    done
    local a b
    a=$(median_ms <"$tmp/ours")
    b=$(median_ms <"$tmp/theirs")
    echo "cli_${name}_over_sqlite3_cli: $(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')"
    echo "cli_${name}_ms: $a"
    echo "sqlite3_cli_${name}_ms: $b"
}

{
    paired strokes -- "$lookup" strokes 3 -- sqlite3 "$db" "$grid"
    paired code -- "$lookup" code 我们 -- sqlite3 "$db" "$codes"
    paired pinyin -- "$lookup" pinyin zh -- sqlite3 "$db" "$readings"
    paired deck_due_day -- "$lookup" deck --deck "$deck" due --at "$day" \
        -- sqlite3 "$deck" "$(due_sql 1796810400000)"
    paired deck_due_weeks -- "$lookup" deck --deck "$deck" due --at "$weeks" \
        -- sqlite3 "$deck" "$(due_sql 1797933600000)"
    # The least any process costs here: starting /bin/true, timed the same way.
    paired floor -- /bin/true -- sqlite3 "$db" "$grid" | sed -n 's/^cli_floor_ms/process_floor_ms/p'
    echo "cli_runs: $runs"
} >"$tmp/figures"
# deck due over 20,000 items as a whole process, less what starting any process costs.
{
    cat "$tmp/figures"
    awk '/^cli_deck_due_day_ms:/ { d = $2 } /^process_floor_ms:/ { f = $2 }
        END { printf "cli_deck_due_day_over_floor_ms: %.3f\n", d - f }' "$tmp/figures"
} >"$tmp/all"
mv "$tmp/all" "$tmp/figures"
cat "$tmp/figures"
cp "$tmp/figures" "$out"
