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
for f in "$lookup" "$core"; do
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
    # The least any process costs here: starting /bin/true, timed the same way.
    paired floor -- /bin/true -- sqlite3 "$db" "$grid" | sed -n 's/^cli_floor_ms/process_floor_ms/p'
    echo "cli_runs: $runs"
} >"$tmp/figures"
cat "$tmp/figures"
cp "$tmp/figures" "$out"
