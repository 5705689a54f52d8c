#!/usr/bin/env bash
# The lock and the command socket against another local user and against runtime folders that
# fail: whatever another user plants in the shared temporary folder reaches nothing of this
# user's program, and a lock or socket that cannot be had is named as such, never taken for
# another running copy or for none. Needs root (useradd, mounts); skipped with the reason else.
# Usage: runtime_test.sh BIN_DIR
set -u
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/lib.sh"

if [[ $(id -u) != 0 ]]; then
    echo "SKIP: needs root, to add another user and to mount small file systems"
    exit 0
fi
make_program_folder
start_x

# start_program LOG [ARGS]: the program with its lookup window asked for, until it is shown.
start_program() {
    local log=$1
    shift
    "$prog/tovrin" --lookup "$@" >"$tmp/$log" 2>&1 &
    app=$!
    pids+=("$app")
    wait_for shown "$LOOKUP" 30
}
stop_program() {
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
}

# Another user, who gets the shared folder first: with no runtime folder of the session, what
# they planted there (the folders this user's program might make or Qt would pick, a lock, a
# listening socket that answers every command "ok") reaches nothing.
other=tovrin-other-$$
useradd --system --no-create-home --shell /usr/sbin/nologin "$other"
finally() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    umount "$tmp/readonly" "$tmp/full" 2>/dev/null
    userdel --force "$other" 2>/dev/null
    cleanup
}
trap finally EXIT
shared=$tmp/shared
mkdir -m 1777 "$shared"
chmod 755 "$tmp"
touch "$tmp/stolen.log"
chmod 666 "$tmp/stolen.log"
runuser -u "$other" -- python3 - "$shared" "$tmp/stolen.log" <<'PY' 2>"$tmp/planter.err" &
import os, socket, sys, threading
shared, log = sys.argv[1], sys.argv[2]
servers = []
for folder in (shared, shared + '/tovrin-0', shared + '/runtime-root'):
    os.makedirs(folder, mode=0o700, exist_ok=True)
    s = socket.socket(socket.AF_UNIX)
    s.bind(folder + '/tovrin.socket')
    os.chmod(folder + '/tovrin.socket', 0o777)
    s.listen(16)
    servers.append(s)
os.symlink('/nonexistent', shared + '/tovrin.lock')
def serve(s):
    while True:
        c, _ = s.accept()
        with open(log, 'ab') as f:
            f.write(c.recv(64))
        c.sendall(b'ok\n')
        c.close()
for s in servers:
    threading.Thread(target=serve, args=(s,), daemon=True).start()
open(shared + '/ready', 'w').close()
threading.Event().wait()
PY
pids+=($!)
check until_true 10 test -e "$shared/ready"
session_runtime=$XDG_RUNTIME_DIR
unset XDG_RUNTIME_DIR
export TMPDIR=$shared XDG_CACHE_HOME=$tmp/cache
out=$("$prog/tovrin" --hide)
check test $? = 0
check grep -q 'not running' <<<"$out"
check start_program other.log
check "$prog/tovrin" --hide
check named_gone "$LOOKUP"
check "$prog/tovrin" --lookup
check named_shown "$LOOKUP"
check test -S "$tmp/cache/tovrin/run/tovrin.socket" # its own folder: the shared one was taken
check test ! -s "$tmp/stolen.log"
# The other user takes their folder away again: the next commands still find the running copy
# instead of starting a second one beside it.
runuser -u "$other" -- rm -rf "$shared/tovrin-0"
check timeout 5 "$prog/tovrin" --chart # a second copy would stay in the foreground
check "$prog/tovrin" --quit
check ended_ok "$app"
export XDG_RUNTIME_DIR=$session_runtime
unset TMPDIR

# A runtime folder that is read-only, or full: the lock cannot be written, and the program says
# why and carries on alone, instead of taking it for another copy and ending.
mkdir -m 700 "$tmp/readonly" "$tmp/full"
mount -t tmpfs -o ro,mode=0700 tmpfs "$tmp/readonly"
mount -t tmpfs -o size=16k,mode=0700 tmpfs "$tmp/full"
dd if=/dev/zero of="$tmp/full/filler" bs=4k count=64 2>/dev/null
for folder in readonly full; do
    XDG_RUNTIME_DIR=$tmp/$folder check start_program "$folder.log"
    check grep -q "cannot write the lock" "$tmp/$folder.log"
    check named_gone '提示'
    check alive "$app"
    stop_program
done
check grep -q "Read-only file system" "$tmp/readonly.log"
check grep -q "No space left on device" "$tmp/full.log"

# A socket that cannot be made (its path too long for a socket): the program says why, and a
# command finds it running without commands instead of calling it not running.
long=$tmp/$(printf 'r%.0s' {1..110})
mkdir -m 700 "$long"
XDG_RUNTIME_DIR=$long check start_program long.log
check grep -q "no commands: cannot listen at .*bytes long" "$tmp/long.log"
XDG_RUNTIME_DIR=$long "$prog/tovrin" --quit 2>"$tmp/quit.err"
check test $? = 1
check grep -q "takes no commands" "$tmp/quit.err"
stop_program

# Something that is no socket where the socket belongs is moved aside, and commands work.
mkdir -p "$XDG_RUNTIME_DIR/tovrin.socket/inside"
check start_program aside.log
check "$prog/tovrin" --hide
check named_gone "$LOOKUP"
check "$prog/tovrin" --quit
check ended_ok "$app"
finish
