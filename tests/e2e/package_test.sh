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
version=$(dpkg-parsechangelog -l "$(dirname "$0")/../../debian/changelog" -S Version)
deb=$(echo "$build"/tovrin_"$version"_*.deb)
[[ -f $deb ]] || { echo "FAIL no package of version $version in $build"; exit 1; }
# Anything of a tovrin package already here (installed, or its configuration left) is the
# user's: the test would remove it.
state=$(dpkg-query -W -f='${db:Status-Status}' tovrin 2>/dev/null || true)
if [[ -n $state && $state != not-installed ]]; then
    skip "a tovrin package is on this machine already ($state), and this test would remove it"
fi
# Everything the package depends on must be here already: the purge would not take away what
# the install brought in besides it.
extra=$(apt-get install -s --no-install-recommends "$deb" 2>/dev/null | grep '^Inst ' |
    grep -v '^Inst tovrin ' || true)
if [[ -n $extra ]]; then
    skip "installing the package would bring in more than it: $(awk '{ print $2 }' <<<"$extra" |
        tr '\n' ' ')"
fi

purge() { apt-get purge -y -qq tovrin >"$tmp/purge.log" 2>&1; }
trap 'purge; cleanup' EXIT

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME"
# Everything the package depends on is installed here already: apt needs no network.
if ! env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "$deb" >"$tmp/install.log" 2>&1; then
    bad "apt-get install $deb"
    cat "$tmp/install.log"
fi
files=$(dpkg -L tovrin)
check grep -qx /usr/share/tovrin/vezari.dat <<<"$files"

check test "$(command -v tovrin)" = /usr/bin/tovrin
check test "$(command -v tovrin-lookup)" = /usr/bin/tovrin-lookup
version=$(dpkg-query -W -f='${Version}' tovrin)
check test "$(tovrin --version)" = "tovrin $version"
check test "$(tovrin-lookup --version)" = "tovrin-lookup $version"
check test "$(tovrin-lookup code 我)" = "我 Q TRN TRNT"
check test -n "$(tovrin-lookup strokes 3)"
check man -w tovrin-lookup >/dev/null

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
