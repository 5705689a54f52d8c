#!/usr/bin/env bash
# tovrin-lookup practice killed at random moments: the store stays whole and its log holds every
# answer whose feedback was shown (at most one more per kill: the one being told when it came).
# The drill answers "m" as fast as its input comes: a wrong code (我 is Q), so the same item is
# asked again and every answer is logged (the first of a showing as its review, the rest as
# practice); and once 我 is not due, the choice to practise
# the items missed most. Usage: practice_kill_test.sh TOOL BIN_DIR
set -u
tool=$1
bin=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
deck=$tmp/deck.db
fail() {
    echo "FAIL $*"
    exit 1
}

"$tool" deck --deck "$deck" add 我 || fail "the deck could not be made"
acknowledged=0
kills=0
while ((acknowledged < 200 || kills < 25)); do
    "$tool" --data "$bin" practice --deck "$deck" < <(yes m) >"$tmp/out" 2>"$tmp/err" &
    drill=$!
    # A moment of 5 to 80 ms from the start: some runs end before the first answer, most
    # within a few dozen.
    sleep "0.$(printf '%03d' $((5 + RANDOM % 76)))"
    kill -9 "$drill" 2>/dev/null
    wait "$drill" 2>/dev/null
    kills=$((kills + 1))
    # Each answer's feedback begins with a line of its own: 错.
    acknowledged=$((acknowledged + $(grep -c '^> 错$' "$tmp/out")))
    if [[ -s $tmp/err ]]; then
        cat "$tmp/err"
        fail "the drill complained"
    fi
    ((kills < 2000)) || fail "200 answers not reached in 2000 runs"
done

integrity=$(sqlite3 "$deck" 'PRAGMA integrity_check')
[[ $integrity == ok ]] || fail "integrity_check: $integrity"
logged=$(sqlite3 "$deck" 'SELECT count(*) FROM reviews')
((logged >= acknowledged)) || fail "$acknowledged answers acknowledged, $logged logged"
((logged <= acknowledged + kills)) || fail "$logged logged for $acknowledged answers in $kills runs"
# The card kept agrees with its log: it counts the reviews, not the practice after them.
scheduled=$(sqlite3 "$deck" 'SELECT count(*) FROM reviews WHERE rating > 0')
"$tool" deck --deck "$deck" due --at 2100-01-01T00:00:00Z | grep -q "\"reps\":$scheduled," ||
    fail "the card does not count the $scheduled reviews"
echo "ok: $acknowledged answers acknowledged in $kills runs, $logged logged, integrity ok"
