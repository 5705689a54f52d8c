#!/usr/bin/env bash
# Regenerates tools/mkdict/data/cnchar-stroke-orders.tsv, the stroke orders the build reads, from
# the cnchar-order package on npm (the version tools/fetch-sources.sh pins). The build itself never
# runs node or reaches the network: it reads the committed copy.
#
#   tools/mkdict/regenerate-stroke-orders.sh [SOURCES_DIR]   (default build/sources)
#
# With --check it writes nothing and exits 1 when the committed copy differs from what the
# package gives, 77 when the package or node is not at hand.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

check=0
if [[ ${1:-} == --check ]]; then
    check=1
    shift
fi
sources=${1:-$root/build/sources}
copy=$here/data/cnchar-stroke-orders.tsv

if ((check)); then
    if ! command -v node >/dev/null || [[ ! -f $sources/node_modules/cnchar-order/package.json ]]
    then
        echo "skipped: node or cnchar-order (in $sources/node_modules) is not at hand" >&2
        exit 77
    fi
else
    bash "$root/tools/fetch-sources.sh" "$sources"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
node "$here/dump-stroke-orders.js" "$sources/node_modules" "$work/stroke-orders.tsv"

if ((check)); then
    if ! cmp -s "$work/stroke-orders.tsv" "$copy"; then
        echo "the committed stroke orders differ from what cnchar-order gives:" >&2
        diff "$copy" "$work/stroke-orders.tsv" | head -n 20 >&2
        echo "run tools/mkdict/regenerate-stroke-orders.sh and commit the result" >&2
        exit 1
    fi
    echo "the committed stroke orders match cnchar-order ($(wc -l <"$copy") characters)"
    exit 0
fi
cp "$work/stroke-orders.tsv" "$copy"
cp "$sources/node_modules/cnchar-order/LICENSE" "$here/data/cnchar-order.LICENSE"
echo "wrote $copy ($(wc -l <"$copy") characters)"
