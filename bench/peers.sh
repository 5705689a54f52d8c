#!/usr/bin/env bash
# Runs bench_peers of a built tree: our look-ups against librime's and ibus-table's, its figures
# written to OUT_FILE as "name: value" lines. A tree built without librime has no bench_peers:
# then it says so and writes nothing.
# Usage: bench/peers.sh BUILD_DIR OUT_FILE [bench_peers options]
set -euo pipefail
if (($# < 2)); then
    echo "usage: bench/peers.sh BUILD_DIR OUT_FILE [bench_peers options]" >&2
    exit 2
fi
build=$1
out=$2
shift 2
peers=$build/bench/bench_peers
if [[ ! -x $peers ]]; then
    echo "peers: skipped (librime not built)"
    exit 0
fi
# librime's user data, compiled tables and logs stay in the build tree.
"$peers" --data="$build/bin" --rime-user="$build/bench/rime" --out="$out" "$@"
