#!/usr/bin/env bash
# Runs the atomic-write tests that need file systems of their own, inside a private mount
# namespace: a 24 KiB tmpfs that fills up, and a folder mounted read-only. Where mount
# namespaces are not allowed (an unprivileged user), those two tests skip themselves.
# Usage: atomicwrite_fs.sh TEST_BINARY
set -u
test_binary=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/small" "$tmp/readonly"
echo kept >"$tmp/readonly/note.txt"
if unshare -m --propagation private true 2>/dev/null; then
    exec unshare -m --propagation private bash -c '
        mount -t tmpfs -o size=24k tmpfs "$1/small" &&
        mount --bind "$1/readonly" "$1/readonly" &&
        mount -o remount,ro,bind "$1/readonly" &&
        TOVRIN_SMALL_FS="$1/small" TOVRIN_READONLY_DIR="$1/readonly" "$2"' _ "$tmp" "$test_binary"
fi
echo "no mount namespace here: the full-disk and read-only cases skip"
exec "$test_binary"
