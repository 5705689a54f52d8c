#!/usr/bin/env bash
# Writes the fuzzers' seed corpora: slices of a few hundred records of the built dictionaries,
# each behind a few events, plus option-file lines and session commands.
#   fuzz/make-seeds.sh [BIN_DIR [OUT_DIR]]
# BIN_DIR holds the dictionaries (default build/bin); the seeds go to OUT_DIR/<target>/ (default
# build-fuzz/corpus). Nothing here is committed: the slices are generated data.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/bin}
out=${2:-build-fuzz/corpus}

records=300 # per slice

# seed TARGET NAME EVENTS [FILE]: one input of a dictionary target. EVENTS is a printf format of
# the event bytes; the input is their count, the events, then FILE's bytes.
seed() {
    local target=$1 name=$2 events=$3 file=${4:-/dev/null} count
    count=$(printf "$events" | wc -c)
    mkdir -p "$out/$target"
    {
        printf "\\$(printf '%03o' "$count")"
        printf "$events"
        cat "$file"
    } >"$out/$target/$name"
}

# slices TARGET DICTIONARY RECORD_LENGTH EVENTS: slices at 10%, 30%, 50%, 70% and 90% of the
# file, one whose last record is cut in half, and one without any record.
slices() {
    local target=$1 dict=$bin/$2 length=$3 events=$4 total tmp
    seed "$target" empty "$events"
    if [[ ! -f $dict ]]; then
        echo "make-seeds: $dict is missing; $target starts from an empty file only" >&2
        return
    fi
    total=$(($(stat -c %s "$dict") / length))
    tmp=$(mktemp)
    for percent in 10 30 50 70 90; do
        dd if="$dict" bs="$length" skip=$((total * percent / 100)) count=$records status=none >"$tmp"
        seed "$target" "slice-$percent" "$events" "$tmp"
    done
    dd if="$dict" bs="$length" skip=$((total / 2)) count=$records status=none |
        head -c $((records * length - length / 2)) >"$tmp"
    seed "$target" half-record "$events" "$tmp"
    rm -f "$tmp"
}

# Strokes (byte % 10): type 4 digits of the middle record, 更多, ←, type 2 digits of another,
# stroke 1, 更多, 清, pick cell 1, type 6 digits of a third.
slices strokes vezari.dat 16 '\010\200\003\006\005\010\100\001\000\006\007\011\003\010\300\005'
# Phrases (byte % 4): pick the first character of the middle record, pick cells 0 and 1, pick
# another record's, ←, a third record's, cell 2, 清, cell 5 of the default list.
slices phrases vezaricz.dat 16 '\001\200\000\000\000\000\001\001\100\000\003\001\300\000\000\002\002\000\005'
# Codes (byte % 4): records in memory, two through the window, a pick of the default list, the
# unit CE D2, the last record.
slices codes '单字GBK.dat' 6 '\000\200\000\100\003\200\003\300\002\005\001\316\322\000\377'
# Pinyin (byte % 9): open, type the middle record's reading, next, previous, ←, pick cell 3,
# another reading, next, 清, letter a, a stroke, a third reading.
slices pinyin vezariPY.dat 8 '\000\002\200\003\004\005\007\003\002\100\003\006\001\000\010\002\002\300'

# setup.txt lines.
mkdir -p "$out/setup"
i=0
for line in '000\r\n' '102\r\n' '124\r\n' '5' '19' '' '1x4' '0,24' '  214' '"112"' '\n123' \
    '009\r\n' '\377\376\001\002'; do
    printf "$line" >"$out/setup/line-$((i++))"
done

# set.txt lines.
mkdir -p "$out/setline"
i=0
for line in '10102\r\n' '20312\r\n' '31209' '1' '30013' '1  12' '40102' '10' '1-1+2' '\n1'; do
    printf "$line" >"$out/setline/line-$((i++))"
done

# Session commands: the command-line tests' sessions, and one that gives every command.
mkdir -p "$out/session"
for f in tests/cli/sessions/*.in; do
    cp "$f" "$out/session/$(basename "$f" .in)"
done
printf '%s\n' 'stroke 1' 'stroke 4' 'more' 'back' 'clear' 'pick 3' 'pinyin' 'letter a' \
    'next' 'prev' 'pypick 2' 'back' 'clear' 'stroke 2' 'panel' 'choose display 1' \
    'choose position 2' 'choose size 4' 'confirm' 'state' >"$out/session/every-command"

echo "make-seeds: seeds in $out" >&2
