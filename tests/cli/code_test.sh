#!/usr/bin/env bash
# tovrin-lookup code: output lines and exit statuses, on the real dictionaries and on broken
# program folders. Usage: code_test.sh TOOL BIN_DIR
set -u
tool=$1
bin=$2
pass=0
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

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

# stderr must name the thing that went wrong.
stderr_has() {
    if grep -q -- "$1" "$tmp/err"; then
        pass=$((pass + 1))
    else
        fail=$((fail + 1))
        echo "FAIL stderr lacks '$1': $(cat "$tmp/err")"
    fi
}

check "three characters" 0 $'我 Q TRN TRNT\n经 X XC XCA XCAG\n八 WTY' \
    "$tool" --data "$bin" code 我经八
check "default folder is the tool's own" 0 '工 A AAA AAAA' "$tool" code 工
check "blanks are skipped" 0 $'我 Q TRN TRNT\n八 WTY' "$tool" --data="$bin" code '我 八'

check "no code for a letter" 1 '我 Q TRN TRNT' "$tool" --data "$bin" code 我A
stderr_has 'A: no code'
check "not a GBK character" 1 '八 WTY' "$tool" --data "$bin" code 😀八
stderr_has '😀: not a GBK character'
# A word's code by the word rules, whether or not the phrase dictionary holds the word.
check "word codes of two, three and four characters" 0 $'我们 TRWU\n中华人民 KWWN' \
    bash -c '"$0" --data "$1" word 我们 && "$0" --data "$1" word 中华人民' "$tool" "$bin"
check "a word with a character without a code" 1 '' "$tool" --data "$bin" word 我A
stderr_has 'A: no code in the dictionary'
check "one character is no word" 2 '' "$tool" --data "$bin" word 我
check "text from standard input, a word and its characters" 0 $'中国 KHLG\n  中 K KH KHK\n  国 L LGY LGYI\n八 WTY' \
    bash -c 'printf "see 中国, 八!" | "$0" --data "$1" text' "$tool" "$bin"
check "text without anything to look up" 1 '' "$tool" --data "$bin" text 'abc 123, ...'
# Standard input is read only as far as the characters looked up reach: an endless one ends.
check "text from endless input" 0 '100' \
    bash -c 'yes 我 | timeout 10 "$0" --data "$1" text | wc -l' "$tool" "$bin"

check "ü is the dictionary's v" 0 "$("$tool" --data "$bin" pinyin lve)" \
    "$tool" --data "$bin" pinyin lüe

check "no command" 2 '' "$tool"
check "unknown command" 2 '' "$tool" --data "$bin" codes 我
stderr_has 'unknown command'
check "code without text" 2 '' "$tool" --data "$bin" code
check "code of an empty text" 2 '' "$tool" --data "$bin" code ''
check "code of blanks only" 2 '' "$tool" --data "$bin" code ' 　'
stderr_has 'no character'
check "--data without folder" 2 '' "$tool" --data
check "bad UTF-8" 2 '' "$tool" --data "$bin" code $'\xE6\x88'

mkdir "$tmp/empty"
check "missing dictionary" 3 '' "$tool" --data "$tmp/empty" code 我
stderr_has '单字GBK.dat'
[[ ! -e "$tmp/empty/单字GBK.dat" ]] && pass=$((pass + 1)) || { fail=$((fail + 1)); echo "FAIL the tool created the dictionary"; }
: >"$tmp/empty/单字GBK.dat"
check "empty dictionary" 3 '' "$tool" --data "$tmp/empty" code 我
stderr_has 'empty'
mkdir "$tmp/dir"; mkdir "$tmp/dir/单字GBK.dat"
check "a folder in place of the dictionary" 3 '' "$tool" --data "$tmp/dir" code 我

# A truncated copy of the real dictionary: what survives is still found, nothing crashes.
mkdir "$tmp/cut"
head -c 1003 "$bin/单字GBK.dat" >"$tmp/cut/单字GBK.dat"
check "truncated dictionary" 1 '' "$tool" --data "$tmp/cut" code 我

# A named pipe in place of a dictionary: refused at once where it is needed, never read where
# it is not (strokes reads no phrase dictionary).
mkdir "$tmp/pipes"
for f in "$bin"/*.dat; do ln -s "$f" "$tmp/pipes/"; done
rm "$tmp/pipes/vezaricz.dat" "$tmp/pipes/vezari.dat"
mkfifo "$tmp/pipes/vezaricz.dat"
cp "$bin/vezari.dat" "$tmp/pipes/vezari.dat"
want=$("$tool" --data "$bin" strokes 3)
check "a pipe in place of a dictionary the command does not need" 0 "$want" \
    timeout 10 "$tool" --data "$tmp/pipes" strokes 3
rm "$tmp/pipes/vezari.dat"
mkfifo "$tmp/pipes/vezari.dat"
check "a pipe in place of the dictionary the command needs" 3 '' \
    timeout 10 "$tool" --data "$tmp/pipes" strokes 3
stderr_has 'not a regular file'

# Session lines are limited: an over-long line is answered with an error and the session goes on;
# endless input without a line end ends with one such answer, in bounded memory.
# (A program folder of the test's own.)
mkdir "$tmp/session"
for f in "$bin"/*.dat; do ln -s "$f" "$tmp/session/"; done
replies=$({ head -c 100000 /dev/zero | tr '\0' x; printf '\nstate\n'; } |
    "$tool" --data "$tmp/session" session 2>/dev/null)
check "an over-long line, then a command" 0 'false true' \
    bash -c 'grep -o "\"ok\": *[a-z]*" <<<"$1" | sed "s/.*: *//" | tr "\n" " " | sed "s/ $//"' \
    _ "$replies"
# (A sanitizer build maps terabytes of shadow memory at start: no address-space limit for it.)
if [[ -n ${TOVRIN_SANITIZED:-} ]]; then
    echo "skipped: endless input under a memory limit (a sanitizer build)"
else
check "endless input under a memory limit" 0 1 \
    bash -c 'head -c 200000000 /dev/zero | (ulimit -v 300000; "$1" --data "$2" session) | wc -l' \
    _ "$tool" "$tmp/session"
fi

# An installed copy's data folder (<prefix>/share/tovrin beside <prefix>/bin) is never written,
# whatever it is called: the options go to the configuration folder, even for root.
mkdir -p "$tmp/prefix/bin" "$tmp/prefix/share/tovrin"
for f in "$bin"/*.dat; do ln -s "$f" "$tmp/prefix/share/tovrin/"; done
ln -s "$tmp/prefix/share/tovrin" "$tmp/data"
printf 'panel\nconfirm\n' |
    XDG_CONFIG_HOME=$tmp/config "$tool" --data "$tmp/data/" session >/dev/null 2>&1
[[ -f $tmp/config/tovrin/setup.txt && ! -e $tmp/prefix/share/tovrin/setup.txt ]] &&
    pass=$((pass + 1)) || { fail=$((fail + 1)); echo "FAIL the installed data folder was written"; }

if [[ -w /dev/full ]]; then
    "$tool" --data "$bin" code 我 >/dev/full 2>/dev/null
    status=$?
    [[ $status == 4 ]] && pass=$((pass + 1)) || { fail=$((fail + 1)); echo "FAIL full output: status $status"; }
fi

echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
