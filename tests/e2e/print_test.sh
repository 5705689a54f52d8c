#!/usr/bin/env bash
# Prints for real: the print dialog, under its own X server, prints on the system's default
# printer, a CUPS queue that writes PDF files (cups-pdf; tools/setup-printing.sh sets it up).
# Each PDF is checked with poppler-utils: one page, the chart at its natural size, its corner
# 600 twips (10.583 mm) right of and below the printable area's corner. Without a reachable
# scheduler there is no printer, and the dialog says so after the confirmation.
# Usage: print_test.sh BIN_DIR PRINT_DRIVER
set -u
bin=$(cd "$1" && pwd)
driver=$2
source "$(dirname "$0")/lib.sh"
give_up() {
    echo "FAIL $*"
    echo "$pass passed, $((fail + 1)) failed"
    exit 1
}

readonly READY='准备好A4打印纸一张，连接好打印机，点“确定”进行打印，点“取消”不打印'
readonly FAILED='打印出错，检查打印机是否联接好？打印纸是否放好？打印机驱动程序是否安装好？'
readonly OFFSET_MM=10.583 # 600 twips
readonly TOLERANCE_MM=0.352 # 1 pt
readonly DPI=288 # pages are rendered at three times the pictures' 96 pixels to the inch

for tool in lpstat pdfinfo pdfimages pdftoppm pdftocairo convert identify Xvfb; do
    command -v "$tool" >/dev/null || give_up "$tool is missing: run tools/setup-printing.sh"
done
LC_ALL=C lpstat -r 2>/dev/null | grep -q 'scheduler is running' ||
    give_up "the CUPS scheduler is not running: run tools/setup-printing.sh"
queue=$(LC_ALL=C lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
[[ -n $queue ]] || give_up "there is no default printer: run tools/setup-printing.sh"
LC_ALL=C lpstat -v "$queue" 2>/dev/null | grep -q 'cups-pdf:' ||
    give_up "the default printer $queue does not write PDF files (cups-pdf)"

# Where cups-pdf puts a job of this user: its Out setting, ${HOME} being the user's home.
user=$(id -un)
home=$(getent passwd "$user" | cut -d: -f6)
out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -1)
# shellcheck disable=SC2016 # the very text of the setting, not an expansion
{
    out=${out:-'${HOME}/PDF'}
    out=${out//'${HOME}'/$home}
    out=${out//'${USER}'/$user}
}

# A program folder of the test's own, with the built charts.
prog=$tmp/program
mkdir -p "$prog" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
for f in "$bin"/86wb.bmp "$bin"/86wb@4x.png "$bin"/J?.bmp "$bin"/J?@4x.png; do ln -s "$f" "$prog/"; done
export XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime

start_x

# drive NAME ARGS...: runs the driver; its report, ending in "exit STATUS", goes to $tmp/NAME.out.
drive() {
    local name=$1 status=0
    shift
    timeout 60 "$driver" "$prog" "$@" >"$tmp/$name.out" 2>"$tmp/$name.err" || status=$?
    echo "exit $status" >>"$tmp/$name.out"
}
said() { grep -qxF -- "$2" "$tmp/$1.out"; }
# The messages in the order they came: their texts, one a line.
messages() { sed -n 's/^message [^|]*|[^|]*|//p' "$tmp/$1.out"; }

# wait_pdf JOB: the path of the PDF cups-pdf writes for the job, once it is done.
wait_pdf() {
    local job=$1 file deadline=$((SECONDS + 60))
    while ((SECONDS < deadline)); do
        file=$(find "$out" -maxdepth 1 -name "*$job*.pdf" 2>/dev/null | head -1)
        # Done when the queue holds no unfinished job any more.
        if [[ -n $file && -z $(lpstat -o "$queue" 2>/dev/null) ]] &&
            pdfinfo "$file" >/dev/null 2>&1; then
            echo "$file"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# The box around everything that is not white: "WIDTH HEIGHT LEFT TOP" in pixels.
ink_box() {
    convert "$1" -bordercolor white -border 1 -fuzz 10% -trim -format '%w %h %X %Y' info: |
        tr -d '+'
}

calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
near() {
    awk -v a="$1" -v b="$2" -v t="$TOLERANCE_MM" 'BEGIN { exit !(a - b <= t && b - a <= t) }'
}

# check_print NAME JOB PICTURE: the job's PDF holds one page with PICTURE where it belongs.
check_print() {
    local name=$1 job=$2 picture=$3 pdf
    if ! pdf=$(wait_pdf "$job"); then
        bad "$name: no PDF for job $job in $out within 60 seconds"
        return
    fi
    echo "$name: $pdf"
    local pages
    pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
    check test "$pages" = 1

    # One picture, at the picture's natural size (96 of its 1x pixels to the inch), drawn from
    # its variant at four times the size: 384 dots per inch, at least the 300 a print needs.
    local width height images image_width ppi_x ppi_y
    read -r width height < <(identify -format '%w %h' "$picture")
    images=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image" { print $4, $5, $13, $14 }')
    echo "$name: images (width height x-ppi y-ppi): $images"
    check test "$(grep -c . <<<"$images")" = 1
    check test "$(cut -d' ' -f1,2 <<<"$images")" = "$((4 * width)) $((4 * height))"
    read -r image_width _ ppi_x ppi_y <<<"$images"
    check test "${ppi_x%%.*}" -ge 300
    check test "${ppi_y%%.*}" -ge 300

    local printable_left printable_top want_left want_top
    read -r printable_left printable_top < <(sed -n 's/^printable //p' "$tmp/$name.out")
    want_left=$(calc "$printable_left + $OFFSET_MM")
    want_top=$(calc "$printable_top + $OFFSET_MM")

    # Where the PDF puts the picture, as poppler reads it: the SVG it makes of the page draws
    # the one picture with a matrix from the picture's pixels to points.
    pdftocairo -svg "$pdf" "$tmp/$name.svg"
    local matrix a d e f left top wide high
    check test "$(grep -c '<use xlink:href="#image' "$tmp/$name.svg")" = 1
    check test -z "$(grep '<g[^>]*transform' "$tmp/$name.svg")" # no other transform applies
    matrix=$(sed -n 's/.*<use xlink:href="#image[^"]*" transform="matrix(\([^)]*\))".*/\1/p' \
        "$tmp/$name.svg" | head -1)
    IFS=, read -r a _ _ d e f <<<"$matrix"
    left=$(calc "$e * 25.4 / 72")
    top=$(calc "$f * 25.4 / 72")
    wide=$(calc "$a * $image_width * 25.4 / 72")
    high=$(calc "$d * $image_width * $height / $width * 25.4 / 72")
    echo "$name: printable area from ($printable_left, $printable_top) mm; picture at" \
        "($left, $top) mm, $wide x $high mm; expected ($want_left, $want_top) mm," \
        "$(calc "$width * 25.4 / 96") x $(calc "$height * 25.4 / 96") mm"
    echo "$name: offset from the printable area's corner:" \
        "($(calc "$left - $printable_left"), $(calc "$top - $printable_top")) mm"
    check near "$left" "$want_left"
    check near "$top" "$want_top"
    check near "$wide" "$(calc "$width * 25.4 / 96")"
    check near "$high" "$(calc "$height * 25.4 / 96")"

    # And the page as it comes out: its ink lies where the picture's ink lies, moved by the
    # picture's place.
    pdftoppm -r "$DPI" -gray -singlefile "$pdf" "$tmp/$name"
    local pw ph px py iw ih ix iy ink_left ink_top
    read -r pw ph px py < <(ink_box "$tmp/$name.pgm")
    read -r iw ih ix iy < <(ink_box "$picture")
    ink_left=$(calc "($px - 1) * 25.4 / $DPI - ($ix - 1) * 25.4 / 96")
    ink_top=$(calc "($py - 1) * 25.4 / $DPI - ($iy - 1) * 25.4 / 96")
    echo "$name: rendered at $DPI dpi, the picture at ($ink_left, $ink_top) mm"
    check near "$ink_left" "$want_left"
    check near "$ink_top" "$want_top"
    check near "$(calc "$pw * 25.4 / $DPI")" "$(calc "$iw * 25.4 / 96")"
    check near "$(calc "$ph * 25.4 / $DPI")" "$(calc "$ih * 25.4 / 96")"
}

run=tovrin-print-test-$$

# The large chart on the printer as the system sets it up.
job=$run-large
drive large large --job "$job"
check said large "dialog closed"
check said large "exit 0"
check test "$(messages large)" = "$READY"
check_print large "$job" "$prog/86wb.bmp"

# The small chart, chart 3 shown, with page margins of 15 mm set before the print: the chart
# is still placed from the printable area's corner, not from margins of Qt's or anyone's.
job=$run-small
drive small small --chart 3 --job "$job" --margins 15
check said small "dialog closed"
check said small "exit 0"
check test "$(messages small)" = "$READY"
check grep -qx 'margins 15.000 15.000' "$tmp/small.out"
check_print small "$job" "$prog/J3.bmp"

# No scheduler answers, so the system has no printer: the failure follows the confirmation,
# and the dialog stays open.
job=$run-none
CUPS_SERVER=$tmp/no-scheduler.sock drive none large --job "$job"
check said none "dialog open"
check said none "exit 0"
check test "$(messages none)" = "$READY"$'\n'"$FAILED"
# The question has its icon (QMessageBox::Question, 4), the failure none (0).
check test "$(sed -n 's/^message \([^|]*\)|\([^|]*\)|.*/\1 \2/p' "$tmp/none.out")" = \
    "提示！ 4"$'\n'"提示！ 0"

# A queue that refuses jobs: the print system's answer is heard, the failure shown after the
# confirmation, and the dialog stays open.
job=$run-refused
cupsreject "$queue"
drive refused large --job "$job"
cupsaccept "$queue"
check said refused "dialog open"
check test "$(messages refused)" = "$READY"$'\n'"$FAILED"

for name in large small none refused; do
    if [[ -s $tmp/$name.err ]]; then
        echo "$name: the driver said:"
        cat "$tmp/$name.err"
    fi
done
rm -f "$out"/*"$run"*.pdf
echo "$pass passed, $fail failed"
[[ $fail == 0 ]]
