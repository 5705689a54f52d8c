#!/usr/bin/env bash
# tovrin-lookup deck: output, order and exit statuses, on stores in a folder of the test's own,
# and two processes reviewing into one store at once. Usage: deck_test.sh TOOL
set -u
tool=$1
pass=0
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
deck=$tmp/deck.db

# check NAME EXPECTED_STATUS EXPECTED_STDOUT COMMAND...
check() {
    local name=$1 want_status=$2 want_out=$3
    shift 3
    local out status
    out=$("$@" 2>"$tmp/err")
    status=$?
    if [[ $status == "$want_status" && $out == "$want_out" ]]; then
        pass=$((pass + 1))
    else
        fail=$((fail + 1))
        echo "FAIL $name: status $status (want $want_status)"
        echo "  stdout: $out"
        echo "  want:   $want_out"
        echo "  stderr: $(cat "$tmp/err")"
    fi
}
ok() { if "$@"; then pass=$((pass + 1)); else fail=$((fail + 1)); echo "FAIL $*"; fi; }

# A first review: the card of a first Good, due after the ten-minute step.
check "a first review" 0 \
    '{"text":"我们","due":"2026-12-08T10:10:00Z","stability":2.3065,"difficulty":2.11810397,"state":"learning","reps":1,"lapses":0}' \
    "$tool" deck review 我们 good --at=2026-12-08T10:00:00Z --deck="$deck"
"$tool" deck --deck "$deck" review 经 easy --at 2026-12-08T10:00:00Z >/dev/null
"$tool" deck --deck "$deck" review 经 again --at 2026-12-20T10:00:00Z >/dev/null

# due: the most overdue first, ties in the order they joined; nothing due yet is no error.
"$tool" deck --deck "$deck" review 工 again --at 2026-12-20T09:59:00Z >/dev/null
"$tool" deck --deck "$deck" review 八 again --at 2026-12-20T09:59:00Z >/dev/null
check "due order" 0 $'我们\n工\n八\n经' \
    bash -c '"$0" deck --deck "$1" due --at 2026-12-21T00:00:00Z | sed "s/^{\"text\":\"\([^\"]*\)\".*/\1/"' \
    "$tool" "$deck"
check "nothing due" 0 '' "$tool" deck --deck "$deck" due --at 2026-12-01T00:00:00Z
check "list" 0 $'我们\t2026-12-08T10:10:00Z\n经\t2026-12-20T10:01:00Z\n工\t2026-12-20T10:00:00Z\n八\t2026-12-20T10:00:00Z' \
    "$tool" deck --deck "$deck" list

# A review dated before the item's last one is refused, and changes nothing.
check "a review dated back" 1 '' "$tool" deck --deck "$deck" review 经 good --at 2026-12-15T10:00:00Z
ok grep -q '经: a review at 2026-12-15T10:00:00Z is before its last review at 2026-12-20T10:00:00Z' "$tmp/err"
check "the card after it" 0 $'经\t2026-12-20T10:01:00Z' bash -c '"$0" deck --deck "$1" list | grep 经' "$tool" "$deck"

# A drill's clock starts at --at: 我们 is due at 10:10, not before.
check "practice before the item is due" 0 '暂无待练；下一项 2026-12-08T10:10:00Z' \
    bash -c '"$0" practice --deck "$1" --at 2026-12-08T10:05:00Z </dev/null | head -1' "$tool" "$deck"
check "practice once it is due" 0 $'我们\n> ' \
    bash -c '"$0" practice --deck "$1" --at 2026-12-08T10:11:00Z </dev/null' "$tool" "$deck"

# What is no code is no answer, and nothing of it is kept: a long line, or bytes that are no
# letters.
before=$(sqlite3 "$deck" 'SELECT count(*) FROM reviews')
check "two lines that are no answer" 0 2 bash -c \
    '{ head -c 100000 /dev/zero | tr "\0" x; printf "\n\x01\xff\n\n"; } |
     "$0" practice --deck "$1" --at 2026-12-08T10:11:00Z | grep -c "编码是 1 到 4 个字母"' \
    "$tool" "$deck"
check "nothing kept of it" 0 "$before" sqlite3 "$deck" 'SELECT count(*) FROM reviews'

# The day's new items: the limit is kept in the deck.
check "new items a day" 0 20 "$tool" deck --deck "$deck" new-per-day
check "new items a day set" 0 5 "$tool" deck --deck "$deck" new-per-day 5
check "new items a day too many" 2 '' "$tool" deck --deck "$deck" new-per-day 1001

check "add" 0 '' "$tool" deck --deck "$deck" add 中国
check "add again" 1 '' "$tool" deck --deck "$deck" add 中国
check "remove" 0 '' "$tool" deck --deck "$deck" remove 中国
check "remove what is not there" 1 '' "$tool" deck --deck "$deck" remove 中国
ok grep -q '中国: not in the deck' "$tmp/err"

# The default store is in $XDG_DATA_HOME, its folder made at first use.
check "the default store" 0 '' env XDG_DATA_HOME="$tmp/data" "$tool" deck add 我
ok test -s "$tmp/data/tovrin/practice.db"

for bad in "review 我" "review 我 fine" "review A good" "add 我A" "add ''" "due --at 2026-12-08" \
    "add 一二三四五六七八九" "list --deck" \
    "due --at 2026-02-30T10:00:00Z" "list --at 2026-12-08T10:00:00Z" "list extra" "fly" ""; do
    eval "set -- $bad"
    check "usage: deck $bad" 2 '' "$tool" deck --deck "$deck" "$@"
done

# A store that cannot be saved to: told, status 3, and the file left as it was.
head -c 5000 /dev/urandom >"$tmp/garbage.db"
cp "$tmp/garbage.db" "$tmp/garbage.copy"
check "a store that is no database" 3 '' "$tool" deck --deck "$tmp/garbage.db" review 我 good
ok grep -q 'garbage.db: not a database; nothing was saved' "$tmp/err"
ok cmp -s "$tmp/garbage.db" "$tmp/garbage.copy"

# Two processes at once, a hundred reviews each of items of their own: none is lost.
both=$tmp/both.db
writer() {
    local i
    for i in $(seq 1 100); do
        "$tool" deck --deck "$both" review "$1" good >/dev/null || echo "review $1 $i: $?"
    done
}
writer 我 >"$tmp/w1" 2>&1 &
writer 你 >"$tmp/w2" 2>&1 &
wait
ok test ! -s "$tmp/w1" -a ! -s "$tmp/w2"
check "every review of both writers logged" 0 $'100\n100' \
    sqlite3 "$both" "SELECT count(*) FROM reviews GROUP BY item ORDER BY item"
check "the store after two writers" 0 ok sqlite3 "$both" 'PRAGMA integrity_check'

echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
