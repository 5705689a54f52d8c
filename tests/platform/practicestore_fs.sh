#!/usr/bin/env bash
# Runs the practice store's tests with one folder seen twice, writable and read-only (a bind
# mount in a private mount namespace), so that a read-only folder holds a store even for root,
# and with a small file system of its own that can be filled.
# Where mount namespaces are not allowed, that case skips itself.
# Usage: practicestore_fs.sh TEST_BINARY
set -u
test_binary=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/writable" "$tmp/readonly" "$tmp/full"
if unshare -m --propagation private true 2>/dev/null; then
    unshare -m --propagation private bash -c '
        mount --bind "$1/writable" "$1/readonly" &&
        mount -o remount,ro,bind "$1/readonly" &&
        mount -t tmpfs -o size=1m,mode=0700 tmpfs "$1/full" &&
        TOVRIN_WRITABLE_VIEW="$1/writable" TOVRIN_READONLY_VIEW="$1/readonly" \
            TOVRIN_SMALL_DISK="$1/full" "$2"' \
        _ "$tmp" "$test_binary"
    exit
fi
echo "no mount namespace here: the read-only folder's case skips"
"$test_binary"
