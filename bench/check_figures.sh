#!/usr/bin/env bash
# Runs a benchmark with --out=FILE added and checks that FILE gives every named figure as a
# number. The figures' values are not judged: a benchmark never fails the tests on a budget.
# Usage: check_figures.sh "NAME..." COMMAND [ARG...]
set -u
names=$1
shift
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
"$@" --out="$tmp/figures.txt" >"$tmp/output.txt" 2>&1 || status=$?
if ((status)); then
    cat "$tmp/output.txt"
    if ((status > 128)) && signal=$(kill -l $((status - 128)) 2>/dev/null); then
        echo "FAIL the benchmark was ended by signal $((status - 128)) ($signal)"
    else
        echo "FAIL the benchmark ended with status $status (its last lines above say why)"
    fi
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
