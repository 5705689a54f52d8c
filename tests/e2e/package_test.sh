#!/usr/bin/env bash
# The Debian package that ./dev.sh package built: apt installs it, both programs run from PATH
# and find their data, and a purge leaves none of its files behind. It needs root; as another
# user, or with no package built, it says why it was skipped (exit 77). ./dev.sh test builds the
# package first and sets TOVRIN_PACKAGE_REQUIRED=1, so there a missing package fails instead.
# Usage: package_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
source "$(dirname "$0")/lib.sh"

skip() {
    echo "skipped: $*"
    exit 77
}
if [[ $(id -u) != 0 ]]; then
    skip "installing a package needs root, and this runs as $(id -un)"
fi
debs=("$build"/tovrin_*_*.deb)
if [[ ! -f ${debs[0]} ]]; then
    [[ ${TOVRIN_PACKAGE_REQUIRED:-0} == 1 ]] && { echo "FAIL no package in $build"; exit 1; }
    skip "no package in the build folder; ./dev.sh package builds it"
fi
deb=${debs[-1]}
if dpkg-query -W -f='${Status}' tovrin 2>/dev/null | grep -q 'ok installed'; then
    skip "tovrin is installed on this machine already, and this test would remove it"
fi

purge() { apt-get purge -y -qq tovrin >"$tmp/purge.log" 2>&1; }
trap 'purge; cleanup' EXIT

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME"
# Everything the package depends on is installed here already: apt needs no network.
check env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "$deb" >"$tmp/install.log" 2>&1 || cat "$tmp/install.log"
files=$(dpkg -L tovrin)
check grep -qx /usr/share/tovrin/vezari.dat <<<"$files"

check test "$(command -v tovrin)" = /usr/bin/tovrin
check test "$(command -v tovrin-lookup)" = /usr/bin/tovrin-lookup
version=$(dpkg-query -W -f='${Version}' tovrin)
check test "$(tovrin --version)" = "tovrin $version"
check test "$(tovrin-lookup --version)" = "tovrin-lookup $version"
check test "$(tovrin-lookup code 我)" = "我 Q TRN TRNT"
check test -n "$(tovrin-lookup strokes 3)"
check man -w tovrin-lookup

check purge
left=()
while IFS= read -r f; do
    # Folders such as /usr/share/icons are shared with other packages; the package's own go.
    if [[ -e $f && ! -d $f ]] || [[ $f == */tovrin && -d $f ]]; then left+=("$f"); fi
done <<<"$files"
check test "${left[*]:-}" = ""
check test ! -e /usr/share/tovrin
[[ ${#left[@]} == 0 ]] || printf 'left after the purge: %s\n' "${left[@]}"
finish
