#!/usr/bin/env bash
# Feeds each sessions/NAME.in to `tovrin-lookup session` and compares the replies with
# sessions/NAME.expected. NAME.args, when present, holds extra arguments for the session; a
# NAME whose first line of .args is "--empty-folder" runs on a program folder without
# dictionaries, one whose .args begins "--setup-folder" on a program folder where a folder
# stands in place of setup.txt, so that no option can be saved. NAME.setup, when present, is the program folder's setup.txt before the session,
# and NAME.setup-after what it must hold afterwards; a session with neither leaves no setup.txt
# (it changed no option). With --update the expected files are rewritten (read the diff before
# committing).
# Usage: session_test.sh TOOL BIN_DIR [--update]
set -u
tool=$1
bin=$(cd "$2" && pwd)
update=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
pass=0
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for input in "$here"/sessions/*.in; do
    name=$(basename "$input" .in)
    expected="$here/sessions/$name.expected"
    folder=$bin
    args=()
    if [[ -f $here/sessions/$name.args ]]; then
        read -r -a args <"$here/sessions/$name.args"
    fi
    if [[ ${args[0]:-} == --empty-folder ]]; then
        folder=$tmp/empty-$name
        mkdir -p "$folder"
        args=("${args[@]:1}")
    fi
    setup_folder=false
    if [[ ${args[0]:-} == --setup-folder ]]; then
        setup_folder=true
        args=("${args[@]:1}")
    fi
    # Every test gets a program folder of its own, so setup.txt written by one session is never
    # read by another and nothing is written beside the built program.
    if [[ $folder == "$bin" ]]; then
        folder=$tmp/$name
        mkdir -p "$folder"
        for f in "$bin"/*.dat; do ln -s "$f" "$folder/"; done
    fi
    [[ -f $here/sessions/$name.setup ]] && cp "$here/sessions/$name.setup" "$folder/setup.txt"
    [[ $setup_folder == true ]] && mkdir "$folder/setup.txt"
    "$tool" --data "$folder" session "${args[@]}" <"$input" >"$tmp/$name.out" 2>"$tmp/$name.err"
    status=$?
    if [[ $update == --update ]]; then
        cp "$tmp/$name.out" "$expected"
    fi
    lines_in=$(wc -l <"$input")
    lines_out=$(wc -l <"$tmp/$name.out")
    setup_ok=true
    if [[ -f $here/sessions/$name.setup-after ]]; then
        if ! cmp -s "$folder/setup.txt" "$here/sessions/$name.setup-after"; then
            setup_ok=false
            echo "setup.txt after $name: $(od -c "$folder/setup.txt" | head -2)"
        fi
    elif [[ $setup_folder == true ]]; then
        [[ -d $folder/setup.txt ]] || setup_ok=false
    elif [[ ! -f $here/sessions/$name.setup && -e $folder/setup.txt ]]; then
        setup_ok=false
        echo "$name changed no option but wrote setup.txt"
    fi
    if [[ $status == 0 && $lines_in == "$lines_out" && $setup_ok == true ]] &&
        cmp -s "$tmp/$name.out" "$expected"; then
        pass=$((pass + 1))
    else
        fail=$((fail + 1))
        echo "FAIL $name (status $status, $lines_in commands, $lines_out replies)"
        diff <(tr ',' '\n' <"$expected") <(tr ',' '\n' <"$tmp/$name.out") | head -20
        head -5 "$tmp/$name.err"
    fi
done

echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
