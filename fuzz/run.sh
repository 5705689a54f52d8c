#!/usr/bin/env bash
# Builds the fuzzers into build-fuzz/ and runs each for SECONDS (default 60), as many at a time
# as there are processors (FUZZ_JOBS overrides), then prints the executions of each.
#   fuzz/run.sh [SECONDS [TARGET...]]
# Inputs that crash or hang are saved as build-fuzz/crashes/TARGET-*; the exit status is then 1.
# What a run learns stays in build-fuzz/corpus/TARGET for the next run. FUZZ_BUILD names another
# build folder, for instance one configured with -DTOVRIN_ROOT=a patched copy of the sources.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(strokes phrases codes pinyin setup setline session)
build=${FUZZ_BUILD:-build-fuzz}
jobs=${FUZZ_JOBS:-$(nproc)}

say() { printf '==> %s\n' "$*" >&2; }

compiler=$(command -v clang++ || command -v clang++-14 || true)
if [[ -z $compiler ]]; then
    echo "fuzz/run.sh: clang++ is needed (Debian: clang and libclang-rt-14-dev)" >&2
    exit 2
fi
if [[ ! -f $build/CMakeCache.txt ]]; then
    say "configuring the fuzzers"
    cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
fi
say "building the fuzzers"
cmake --build "$build"
bash fuzz/make-seeds.sh build/bin "$build/corpus"
mkdir -p "$build/crashes" "$build/logs"

# The dictionary targets take a few hundred records behind their events; the others take text.
max_len() {
    case $1 in
    strokes | phrases | codes | pinyin) echo 8192 ;;
    *) echo 4096 ;;
    esac
}

run_one() {
    local t=$1 rc=0
    "$build/${t}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
        -max_len="$(max_len "$t")" -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$t-" "$build/corpus/$t" >"$build/logs/$t.log" 2>&1 ||
        rc=$?
    echo "$rc" >"$build/logs/$t.rc"
}

say "running ${targets[*]} for $seconds s each, $jobs at a time"
running=0
for t in "${targets[@]}"; do
    run_one "$t" &
    if ((++running >= jobs)); then
        wait -n || true
        ((running--))
    fi
done
wait

failed=0
printf '%-10s %14s %10s  %s\n' target executions corpus result
for t in "${targets[@]}"; do
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$t.log" | tail -n 1)
    corpus=$(find "$build/corpus/$t" -type f | wc -l)
    if [[ $(cat "$build/logs/$t.rc") == 0 ]]; then
        result=ok
    else
        result="FAILED: see $build/logs/$t.log and $build/crashes/$t-*"
        failed=1
    fi
    printf '%-10s %14s %10s  %s\n' "$t" "${execs:-?}" "$corpus" "$result"
done
exit "$failed"
