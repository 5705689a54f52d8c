#!/usr/bin/env bash
# Fetches the dictionary sources that are not installed as packages into the folder given as $1:
#   $1/ibus-table-wubi/   the unpacked ibus-table-wubi package (its wubi-haifeng86.db)
#   $1/node_modules/      cnchar-order and cnchar-types, unpacked from their npm tarballs, and
#                         ts-fsrs, the scheduler the practice deck's is checked against
# Each is fetched only when it is missing, so a second run does nothing and prints nothing.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 SOURCES_DIR" >&2
    exit 2
fi

readonly IBUS_TABLE_WUBI_VERSION=1.8.12-1
readonly CNCHAR_VERSION=3.2.6
# Each npm package as name@version. cnchar-order declares cnchar-types as its one dependency;
# both are pinned to one release. ts-fsrs is the release whose schedules core/practice/fsrs.cpp
# reproduces and whose cases tests/core/data/fsrs_cases.tsv holds.
readonly NPM_PACKAGES=(
    "cnchar-order@$CNCHAR_VERSION"
    "cnchar-types@$CNCHAR_VERSION"
    ts-fsrs@5.4.2
)

dest=$1
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fetch_ibus_table_wubi() {
    local target="$dest/ibus-table-wubi"
    local db="$target/usr/share/ibus-table/tables/wubi-haifeng86.db"
    [[ -f $db ]] && return 0

    local version=$IBUS_TABLE_WUBI_VERSION
    if ! apt-cache show "ibus-table-wubi=$version" >/dev/null 2>&1; then
        version=$(apt-cache policy ibus-table-wubi | awk '/Candidate:/ { print $2 }')
        if [[ -z $version || $version == "(none)" ]]; then
            echo "fetch-sources: apt offers no ibus-table-wubi (run apt-get update?)" >&2
            return 1
        fi
        echo "fetch-sources: ibus-table-wubi $IBUS_TABLE_WUBI_VERSION is not offered," \
            "using $version" >&2
    fi

    echo "fetch-sources: downloading ibus-table-wubi $version" >&2
    # apt downloads as the unprivileged _apt user when it can write the folder.
    if [[ $(id -u) -eq 0 ]] && id _apt >/dev/null 2>&1; then
        chown _apt "$work"
    fi
    (cd "$work" && apt-get download -q "ibus-table-wubi=$version" >/dev/null)
    local deb
    deb=$(find "$work" -maxdepth 1 -name 'ibus-table-wubi_*.deb' -print -quit)
    if [[ -z $deb ]]; then
        echo "fetch-sources: apt-get download left no ibus-table-wubi package" >&2
        return 1
    fi

    rm -rf "$target.partial"
    dpkg -x "$deb" "$target.partial"
    if [[ ! -f $target.partial/usr/share/ibus-table/tables/wubi-haifeng86.db ]]; then
        echo "fetch-sources: ibus-table-wubi $version holds no wubi-haifeng86.db" >&2
        rm -rf "$target.partial"
        return 1
    fi
    rm -rf "$target"
    mv "$target.partial" "$target"
}

# fetch_npm_package NAME@VERSION
fetch_npm_package() {
    local name=${1%@*} version=${1##*@}
    local target="$dest/node_modules/$name"
    if [[ -f $target/package.json ]] &&
        grep -q "\"version\": *\"$version\"" "$target/package.json"; then
        return 0
    fi

    echo "fetch-sources: downloading $name $version" >&2
    local tarball
    tarball=$(cd "$work" && npm pack --silent "$name@$version" | tail -n 1)
    if [[ ! -f $work/$tarball ]]; then
        echo "fetch-sources: npm pack $name@$version left no tarball" >&2
        return 1
    fi

    mkdir -p "$dest/node_modules"
    rm -rf "$target.partial"
    mkdir "$target.partial"
    # npm tarballs hold everything under package/.
    tar -xzf "$work/$tarball" -C "$target.partial" --strip-components=1 --no-same-owner
    rm -rf "$target"
    mv "$target.partial" "$target"
}

fetch_ibus_table_wubi
for package in "${NPM_PACKAGES[@]}"; do
    fetch_npm_package "$package"
done
