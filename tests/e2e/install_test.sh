#!/usr/bin/env bash
# The installed program: `cmake --install` into a prefix of the test's own. The installed
# tovrin-lookup finds its dictionaries in PREFIX/share/tovrin without --data; the installed
# tovrin starts, opens the lookup window by its hot key and takes a pick, keeps set.txt and
# setup.txt in $XDG_CONFIG_HOME/tovrin, and writes nothing under the prefix.
# Usage: install_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
source "$(dirname "$0")/lib.sh"

prefix=$tmp/prefix
check cmake --install "$build" --prefix "$prefix" >"$tmp/install.log"
files_under_prefix() { (cd "$prefix" && find . | LC_ALL=C sort); }
before=$(files_under_prefix)

tool=$prefix/bin/tovrin-lookup
check test "$("$tool" code 我)" = "我 Q TRN TRNT"
check test -n "$("$tool" strokes 3)"
check grep -qx 'tovrin-lookup [0-9.]*' <<<"$("$tool" --version)"
check grep -qx 'tovrin [0-9.]*' <<<"$("$prefix/bin/tovrin" --version)"
for f in share/applications/example.tovrin.Tovrin.desktop \
    share/icons/hicolor/256x256/apps/example.tovrin.Tovrin.png \
    share/icons/hicolor/16x16/apps/example.tovrin.Tovrin.png \
    share/man/man1/tovrin.1 share/man/man1/tovrin-lookup.1 share/doc/tovrin/LICENSE; do
    check test -s "$prefix/$f"
done
# The manual pages render without a warning.
for page in tovrin tovrin-lookup; do
    groff -man -ww -Tutf8 "$prefix/share/man/man1/$page.1" >/dev/null 2>"$tmp/$page.groff"
    check test ! -s "$tmp/$page.groff"
done
check desktop-file-validate "$prefix/share/applications/example.tovrin.Tovrin.desktop"
check appstreamcli validate --no-net --pedantic \
    "$prefix/share/metainfo/example.tovrin.Tovrin.metainfo.xml" >"$tmp/appstream.log"

# The program, started as a desktop menu would start it.
mkdir -p "$tmp/config/tovrin" "$tmp/runtime"
chmod 700 "$tmp/runtime"
export XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime
settle_start_page
start_x
"$prefix/bin/tovrin" --no-such-option >/dev/null 2>"$tmp/usage.err"
check test $? = 2
check grep -q 'not understood: --no-such-option' "$tmp/usage.err"
"$prefix/bin/tovrin" >"$tmp/tovrin.log" 2>&1 &
app=$!
pids+=("$app")
check wait_for shown "$CHART" 30
# The program is past its start once its first run has kept set.txt in the user's folder; on a
# new machine building its font cache that may take a while.
check until_true 120 test -s "$tmp/config/tovrin/set.txt"
check press F2 named_shown "$LOOKUP"
lookup=$(xdotool search --onlyvisible --name "$LOOKUP" | head -1)
xdotool mousemove --window "$lookup" 22 76 click 1 # a pick on cell 0
check until_true 10 test -s "$tmp/config/tovrin/setup.txt"
check test "$(cat "$tmp/config/tovrin/set.txt")" = $'10102\r'
kill "$app"
check wait_exit "$app"

# Without a font for simplified Chinese (only DejaVu here) the program says, in English, which
# package to install, as every Chinese caption would be boxes.
printf '<?xml version="1.0"?>\n<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>%s</fontconfig>\n' \
    "<cachedir>$tmp/fontcache</cachedir>" >"$tmp/fonts.conf"
FONTCONFIG_FILE=$tmp/fonts.conf "$prefix/bin/tovrin" >"$tmp/nofont.log" 2>&1 &
app=$!
pids+=("$app")
check wait_for shown '^Tovrin$' 30
check grep -q 'Install the package fonts-noto-cjk' "$tmp/nofont.log"
box=$(xdotool search --onlyvisible --name '^Tovrin$' | head -1)
xdotool windowfocus --sync "$box" key Return
check wait_for gone '^Tovrin$'
check "$prefix/bin/tovrin" --quit
check ended_ok "$app"
check test "$(files_under_prefix)" = "$before"

finish
