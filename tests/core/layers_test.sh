#!/usr/bin/env bash
# The layers hold: the core library calls nothing of Qt or of the operating system beyond the
# C++ library, and no include runs from a lower layer to a higher one.
# Usage: layers_test.sh SOURCE_DIR CORE_LIBRARY
set -u
source_dir=$1
core=$2
pass=0
fail=0
check() { if "$@"; then pass=$((pass + 1)); else fail=$((fail + 1)); echo "FAIL $*"; fi; }

# Functions the core must not call: Qt, iconv, files, mappings, clocks, processes.
forbidden='^(_ZN?K?[0-9]*Q|Q[A-Z])|^_ZNSt(14basic_[io]fstream|13basic_fstream|13basic_filebuf|10filesystem|6chrono3_V212(system|steady)_clock)|^(iconv.*|open|open64|openat|openat64|__open_2|__open64_2|read|__read_chk|write|close|opendir|readdir|readdir64|fopen|fopen64|mmap|mmap64|munmap|mkstemp|mkstemp64|rename|unlink|stat|stat64|fstat|fstat64|lstat|localtime_r|localtime|time|clock_gettime|gettimeofday|getenv|socket)$'
# A library that cannot be read lists nothing, which must not pass for a clean one.
if ! undefined=$(nm -u "$core") || [[ -z $undefined ]]; then
    echo "FAIL cannot read the symbols of $core"
    exit 1
fi
calls=$(awk '{print $2}' <<<"$undefined" | sort -u | grep -E "$forbidden")
[[ -z $calls ]] || echo "the core calls: $calls"
check test -z "$calls"

# includes_from FOLDER LAYER...: the files of FOLDER that include a header of one of the layers.
includes_from() {
    local folder=$1
    shift
    local layers
    layers=$(IFS='|'; echo "$*")
    grep -rlE "#include \"($layers)/" "$source_dir/$folder" --include='*.cpp' --include='*.h'
}
up=$(includes_from core platform ui app cli tools)
[[ -z $up ]] || echo "core includes a higher layer: $up"
check test -z "$up"
up=$(includes_from platform ui app cli tools)
[[ -z $up ]] || echo "platform includes a higher layer: $up"
check test -z "$up"
up=$(includes_from ui app cli)
[[ -z $up ]] || echo "ui includes a program: $up"
check test -z "$up"

echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
