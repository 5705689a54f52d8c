#!/usr/bin/env bash
# tovrin --selection: the text selected in another X client, or else the text copied, is looked
# up in the lookup window; with neither holding Chinese text, a message says so. The history
# box's top line is read back as a user would take it: selected with the mouse (which puts it in
# the primary selection) and read there with xclip.
# Usage: selection_test.sh BIN_DIR SILENT_OWNER
set -u
bin=$(cd "$1" && pwd)
silent_owner=$2
source "$(dirname "$0")/lib.sh"

make_program_folder
settle_start_page
start_x
check start_tray

# set_selection WHICH TEXT: another client (xclip) owns the selection and serves TEXT.
set_selection() { printf '%s' "$2" | xclip -selection "$1" -i; }

# The history box's top line: dragged over with the mouse, then read from the primary selection.
# The box is at 90, 2220 twips in the lookup window and shows one line.
top_line() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$lookup")"
    xdotool mousemove $((X + 7)) $((Y + 152)) mousedown 1 mousemove $((X + 300)) $((Y + 152)) \
        mousemove $((X + 468)) $((Y + 153)) mouseup 1
    sleep 0.2
    xclip -o -selection primary 2>/dev/null
}
top_line_is() { [[ $(top_line) == "$1" ]]; }

# Selected text, with letters and punctuation around a word and a character.
set_selection primary 'see 中国, 我!'
set_selection clipboard 'copied 们'
"$prog/tovrin" --selection >"$tmp/program.log" 2>&1 &
pids+=($!)
check wait_for shown "$LOOKUP" 30
lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)
check until_true 10 top_line_is '中国 KHLG'
# A text looked up joins the practice deck only when the learner asked for that: not by default.
deck_is() {
    [[ $("$bin/tovrin-lookup" deck --deck "$XDG_DATA_HOME/tovrin/practice.db" list | cut -f1 |
        tr '\n' ' ') == "$1" ]]
}

# Only the clipboard holds text: it is looked up.
printf '' | xclip -selection primary -i
check "$prog/tovrin" --selection
check until_true 10 top_line_is '们 WU WUN'
check deck_is ''

# Latin letters selected and Chinese text copied: the copied text is looked up.
set_selection primary 'hello world'
set_selection clipboard '我'
check "$prog/tovrin" --selection
check until_true 10 top_line_is '我 Q TRN TRNT'

# A program that holds the selection and never answers holds up nothing: the copied text is
# looked up within the second the selection is given, and meanwhile the program answers.
"$silent_owner" >"$tmp/owner.out" &
owner=$!
pids+=("$owner")
check until_true 5 grep -q owner "$tmp/owner.out"
set_selection clipboard '们'
"$prog/tovrin" --selection >"$tmp/silent.out" 2>&1 &
asked=$!
check timeout 1.5 "$prog/tovrin" --lookup
check until_true 3 test ! -e "/proc/$asked"
wait "$asked"
check test $? = 0
check until_true 3 top_line_is '们 WU WUN'
# Nothing else to read: the command fails and says why.
set_selection clipboard 'abc'
"$silent_owner" >"$tmp/owner.out" &
pids+=($!)
check until_true 5 grep -q owner "$tmp/owner.out"
timeout 3 "$prog/tovrin" --selection 2>"$tmp/silent.err"
check test $? = 1
check grep -q 'did not answer' "$tmp/silent.err"
check wait_for shown '^提示！$' 10
xdotool search --onlyvisible --name '^提示！$' | head -1 | xargs -r -I{} xdotool windowfocus --sync {} key Return

# Neither holds Chinese text: the window opens all the same, and a message says so.
set_selection primary 'abc 123'
set_selection clipboard '...'
check "$prog/tovrin" --selection
check wait_for shown '^提示！$' 10
check named_shown "$LOOKUP"
# Asked again and again while the message is up: each command is answered at once, the message
# is not stacked, and the commands after them still work.
refused=0
for _ in $(seq 20); do
    timeout 5 "$prog/tovrin" --selection 2>>"$tmp/refused.err" || refused=$((refused + 1))
done
check test "$refused" = 0
check test "$(xdotool search --onlyvisible --name '^提示！$' | wc -l)" = 1
check timeout 5 "$prog/tovrin" --chart
check named_shown "$CHART"

finish
