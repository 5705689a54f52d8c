#!/usr/bin/env bash
# Runs a benchmark with --out=FILE added and checks that FILE gives every named figure as a
# number. The figures' values are not judged: a benchmark never fails the tests on a budget.
# Usage: check_figures.sh "NAME..." COMMAND [ARG...]
set -u
names=$1
shift
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! "$@" --out="$tmp/figures.txt" >"$tmp/output.txt" 2>&1; then
    cat "$tmp/output.txt"
    echo "FAIL the benchmark ended with an error"
    exit 1
fi
missing=0
for name in $names; do
    if ! grep -Eq "^${name//./\\.}: -?[0-9]+(\.[0-9]+)?$" "$tmp/figures.txt"; then
        echo "FAIL no figure for $name"
        missing=$((missing + 1))
    fi
done
if ((missing)); then
    cat "$tmp/figures.txt"
    exit 1
fi
echo "every figure reported: $names"
