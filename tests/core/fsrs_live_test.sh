#!/usr/bin/env bash
# The practice scheduler against ts-fsrs itself: tools/fsrs-cases/generate.js writes review
# sequences with a fresh seed, and core_test compares the scheduler with them. Exits 77 (skipped)
# when node or the ts-fsrs package (fetched by tools/fetch-sources.sh) is not at hand.
# Usage: fsrs_live_test.sh SOURCES_DIR GENERATOR CORE_TEST
set -euo pipefail
sources=$1
generator=$2
core_test=$3

if ! command -v node >/dev/null || [[ ! -f $sources/node_modules/ts-fsrs/package.json ]]; then
    echo "skipped: node or ts-fsrs (in $sources/node_modules) is not at hand" >&2
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
echo "seed $seed (node $generator $sources/node_modules CASES $seed 1000 writes these cases again)"
node "$generator" "$sources/node_modules" "$work/cases.tsv" "$seed" 1000
TOVRIN_FSRS_CASES=$work/cases.tsv "$core_test" --gtest_filter='FsrsCases.EachReviewGivesTsFsrsCard'
