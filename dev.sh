#!/usr/bin/env bash
# Builds, tests and runs Tovrin on Debian. Everything a fresh machine needs is installed here.
#   ./dev.sh run    build everything and start the program
#   ./dev.sh test   build everything and the package, run every test, then again with the
#                   sanitizers
#       --busy      run the tests while a busy loop takes each core, as a loaded machine does
#       --repeat N  run each test until it fails, N times at most (ctest's until-fail:N)
#   ./dev.sh build  build only (default preset)
#   ./dev.sh bench  build, then run the benchmarks (figures in build/bench.txt)
#   ./dev.sh package  build build/tovrin_VERSION_ARCH.deb from debian/ with dpkg-buildpackage
#   ./dev.sh fuzz [SECONDS]  fuzz every reader of outside data for SECONDS each (default 60)
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

# Debian packages the build, the tests and the program need.
packages=(
    cmake ninja-build g++ pkg-config clang-format valgrind clang libclang-rt-14-dev
    qt6-base-dev libgl-dev libx11-dev libxi-dev libxtst-dev libcups2-dev
    libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
    rime-data-wubi unicode-data bzip2
    fonts-noto-cjk xvfb xauth xdotool xclip x11-utils imagemagick wmdocker openbox
    desktop-file-utils groff-base appstream
    debhelper lintian python3 sqlite3 dbus-daemon
    mutter xwayland qt6-wayland weston iproute2
)
# Only ./dev.sh bench measures the peers a learner would use instead: Rime's stroke schema
# through librime (rime-data-stroke comes with rime-data-wubi) and ibus-table's stroke5 table.
bench_packages=(librime-dev ibus-table-stroke5)

say() { printf '==> %s\n' "$*" >&2; }

as_root() {
    if [[ $(id -u) == 0 ]]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    # Node.js may come from elsewhere than Debian (its own npm included): the commands count.
    command -v node >/dev/null || missing+=(nodejs)
    command -v npm >/dev/null || missing+=(npm)
    if ((${#missing[@]})); then
        say "installing ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
    # A CUPS scheduler with a PDF queue as the default printer, for the printing tests.
    bash tools/setup-printing.sh
    # Data sources that are not installed as packages go into the build tree.
    bash tools/fetch-sources.sh "$root/build/sources"
}

# configure_and_build PRESET
build() {
    local preset=$1 dir
    dir=$(preset_dir "$preset")
    if [[ ! -f $dir/CMakeCache.txt ]]; then
        say "configuring $preset"
        cmake --preset "$preset" >/dev/null
    fi
    say "building $preset"
    cmake --build --preset "$preset"
}

preset_dir() {
    case $1 in
    default) echo build ;;
    asan) echo build-asan ;;
    esac
}

check_format() {
    say "checking the format"
    git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror
}

ctest_options=()
run_tests() {
    local preset=$1
    say "testing $preset"
    ctest --preset "$preset" -j "$(nproc)" "${ctest_options[@]}"
}

# A busy loop on each core for as long as this script runs: the tests must pass on a machine
# that has other work.
busy_loops=()
start_busy_loops() {
    local i
    for ((i = 0; i < $(nproc); i++)); do
        (while :; do :; done) &
        busy_loops+=($!)
    done
    trap 'kill "${busy_loops[@]}" 2>/dev/null' EXIT
    trap 'exit 130' INT TERM
    say "${#busy_loops[@]} busy loops take the cores"
}

# The core's tests once under valgrind's memcheck: no invalid read or write, no leak.
memcheck() {
    say "running the core tests under valgrind"
    for t in core_test strokescan_test; do
        valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite -q \
            "build/tests/core/$t" --gtest_brief=1
    done
}

# Starts the program. Without a display it runs in a virtual X server, and a screenshot of the
# screen once its window is up is saved to build/screenshot.png.
run_program() {
    local program=build/bin/tovrin
    if [[ -n ${DISPLAY:-} ]]; then
        exec "$program"
    fi
    display=:$((90 + RANDOM % 100))
    say "no display: starting the program in Xvfb on $display"
    runtime=$(mktemp -d)
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    app=
    trap 'kill $app $xvfb 2>/dev/null; rm -rf "$runtime"' EXIT
    for _ in $(seq 100); do
        [[ -e /tmp/.X11-unix/X${display#:} ]] && break
        sleep 0.05
    done
    DISPLAY=$display XDG_RUNTIME_DIR=$runtime "$program" >/dev/null 2>&1 &
    app=$!
    # Wait for the window by name rather than for a fixed time.
    if ! DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name 'Mirel|Tovrin' \
        >/dev/null; then
        echo "the program showed no window within 20 seconds" >&2
        exit 1
    fi
    sleep 0.5 # let it paint
    DISPLAY=$display import -window root build/screenshot.png
    say "screenshot saved to build/screenshot.png"
}

# Builds the Debian package from a copy of the working tree in build/package/ (dpkg-buildpackage
# writes beside the source folder) and moves it to build/. The build dependencies are installed
# from debian/control.
package_deb() {
    local version arch stage source
    version=$(dpkg-parsechangelog -S Version)
    arch=$(dpkg-architecture -qDEB_HOST_ARCH)
    if ! dpkg-checkbuilddeps >/dev/null 2>&1; then
        say "installing the package's build dependencies"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -qq \
            --no-install-recommends ./ >/dev/null
    fi
    stage=$root/build/package
    source=$stage/tovrin-$version
    rm -rf "$stage"
    mkdir -p "$source"
    git ls-files -z --cached --others --exclude-standard |
        tar --null -T - --ignore-failed-read -cf - | tar -xf - -C "$source"
    say "building tovrin_${version}_$arch.deb"
    (cd "$source" && dpkg-buildpackage -b -uc -us >"$stage/build.log" 2>&1) || {
        tail -n 40 "$stage/build.log" >&2
        echo "dpkg-buildpackage failed; the whole log is build/package/build.log" >&2
        exit 1
    }
    rm -f build/tovrin_*_*.deb # the package test takes the one of this version
    mv "$stage/tovrin_${version}_$arch.deb" build/
    say "lintian"
    lintian --fail-on error --display-info \
        "build/tovrin_${version}_$arch.deb" >&2
    rm -rf "$source"
    say "package saved to build/tovrin_${version}_$arch.deb"
}

test_usage() {
    echo "usage: ./dev.sh test [--busy] [--repeat N]" >&2
    exit 2
}

command=${1:-}
case $command in
build)
    install_packages
    build default
    ;;
test)
    busy=0
    shift
    while (($#)); do
        case $1 in
        --busy) busy=1 ;;
        --repeat)
            [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || test_usage
            ctest_options+=(--repeat "until-fail:$2")
            shift
            ;;
        *) test_usage ;;
        esac
        shift
    done
    install_packages
    check_format
    build default
    # The package test installs what this builds (as root; as another user it is skipped).
    package_deb
    ((busy)) && start_busy_loops
    TOVRIN_PACKAGE_REQUIRED=1 run_tests default
    memcheck
    build asan
    run_tests asan
    say "fuzzing each reader for a few seconds"
    bash fuzz/run.sh 3
    ;;
run)
    install_packages
    build default
    run_program
    ;;
fuzz)
    install_packages
    build default
    bash fuzz/run.sh "${2:-60}"
    ;;
bench)
    install_packages "${bench_packages[@]}"
    # Configured again, so that the peers' benchmark is found once its libraries are here.
    [[ -f build/CMakeCache.txt ]] && cmake build >/dev/null
    build default
    bash bench/run.sh build
    ;;
package)
    install_packages
    package_deb
    ;;
*)
    echo "usage: ./dev.sh run | test [--busy] [--repeat N] | build | bench | package | fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
