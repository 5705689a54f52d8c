#!/usr/bin/env bash
# The commands a desktop binds to its own keys where an X client cannot read them (Wayland):
# tovrin --chart, --lookup, --practice, --hide and --quit act on the running program through its
# socket, and with none running --lookup starts it while --hide and --quit have nothing to do.
# What else reaches the socket is dropped, and the program still answers the next command.
# Usage: commands_test.sh BIN_DIR
set -u
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/lib.sh"

make_program_folder
start_x
check start_tray
socket=$XDG_RUNTIME_DIR/tovrin.socket
all_away() { named_gone "$LOOKUP" && named_gone "$CHART"; }

# None running: nothing to hide or end, and no program is left behind.
for c in hide quit; do
    out=$("$prog/tovrin" --$c)
    check test $? = 0
    check grep -q 'nothing to do' <<<"$out"
done
check test ! -e "$socket"
"$prog/tovrin" --chart --quit 2>/dev/null
check test $? = 2

# --lookup with none running starts the program with its lookup window open.
"$prog/tovrin" --lookup >"$tmp/program.log" 2>&1 &
app=$!
pids+=("$app")
check wait_for shown "$LOOKUP" 30
check wait_for shown "$CHART"
check until_true 10 test -S "$socket"
check test "$(stat -c '%a %U' "$socket")" = "600 $(id -un)"

# The running program does what each command says; the command ends once it is done.
check "$prog/tovrin" --hide
check all_away
check "$prog/tovrin" --chart
check named_shown "$CHART"
check named_gone "$LOOKUP"
check "$prog/tovrin" --lookup
check named_shown "$LOOKUP"
# --practice opens the practice window, its store made at this first use.
check "$prog/tovrin" --practice
check wait_for shown '^五笔练习$'
check test -e "$XDG_DATA_HOME/tovrin/practice.db"

# While a dialog of the chart window is up the lookup window could not be used under it:
# --lookup says so and fails; once the dialog is closed it opens the window.
check "$prog/tovrin" --hide
check "$prog/tovrin" --chart
chart=$(xdotool search --onlyvisible --name "$CHART" | head -1)
xdotool mousemove --window "$chart" 395 425 click 1 # 设置, at 5775, 6270 twips
check wait_for shown '^ 设置$'
"$prog/tovrin" --lookup 2>"$tmp/refused.err"
check test $? = 1
check grep -q 'dialogs is open' "$tmp/refused.err"
check named_gone "$LOOKUP"
check press Escape named_gone '^ 设置$' # ESC closes the dialog as it puts everything away
check "$prog/tovrin" --lookup
check named_shown "$LOOKUP"

# What is no command: an unknown word, binary bytes, a megabyte line without an end, and a
# client that connects and never writes (held open meanwhile). None of them is answered.
python3 - "$socket" <<'PY' >"$tmp/garbage.log" 2>&1 &
import socket, sys, time
path = sys.argv[1]
def send(data):
    s = socket.socket(socket.AF_UNIX)
    s.connect(path)
    s.settimeout(5)
    try:
        s.sendall(data)
        answer = s.recv(16)
    except OSError:
        answer = b''
    print(repr(answer))
    s.close()
silent = socket.socket(socket.AF_UNIX)
silent.connect(path)
send(b'shutdown\n')
send(bytes(range(256)) + b'\n')
send(b'x' * (1 << 20))
time.sleep(3)
silent.close()
PY
garbage=$!
sleep 0.5
# Meanwhile the program answers at once.
check timeout 5 "$prog/tovrin" --hide
check all_away
wait "$garbage"
check test "$(grep -c "^b''$" "$tmp/garbage.log")" = 3
check timeout 5 "$prog/tovrin" --chart
check named_shown "$CHART"
check alive "$app"

# --quit ends it, and it takes its socket with it.
check "$prog/tovrin" --quit
check ended_ok "$app"
check test ! -e "$socket"

# At the deck's place a file that says it is a store of ours and is not (another user may leave
# one there): told, left as it is, and the program lives on and answers.
export XDG_DATA_HOME=$tmp/foreign
mkdir -p "$XDG_DATA_HOME/tovrin"
sqlite3 "$XDG_DATA_HOME/tovrin/practice.db" 'PRAGMA user_version = 1; CREATE TABLE n(x)'
chmod 444 "$XDG_DATA_HOME/tovrin/practice.db"
cp "$XDG_DATA_HOME/tovrin/practice.db" "$tmp/foreign.copy"
"$prog/tovrin" --practice >"$tmp/foreign.log" 2>&1 &
app=$!
pids+=("$app")
check wait_for shown '^五笔练习$' 30
check timeout 5 "$prog/tovrin" --selection
check timeout 5 "$prog/tovrin" --chart
check alive "$app"
check cmp -s "$XDG_DATA_HOME/tovrin/practice.db" "$tmp/foreign.copy"
check "$prog/tovrin" --quit
check ended_ok "$app"
finish
