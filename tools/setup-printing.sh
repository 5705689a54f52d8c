#!/usr/bin/env bash
# Makes this machine able to print for the tests: CUPS installed and running, and a queue that
# writes PDF files (cups-pdf) as the system's default printer. Safe to run again: it is quiet when
# everything is already in place.
#   tools/setup-printing.sh
set -euo pipefail

readonly queue=TovrinPDF
readonly packages=(cups printer-driver-cups-pdf poppler-utils)

say() { printf '==> %s\n' "$*" >&2; }

as_root() {
    if [[ $(id -u) == 0 ]]; then "$@"; else sudo "$@"; fi
}

scheduler_up() { LC_ALL=C lpstat -r 2>/dev/null | grep -q 'scheduler is running'; }

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$p")
done
if ((${#missing[@]})); then
    say "installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# Where no service manager started the scheduler (a container, CI), it is started here; it puts
# itself in the background.
if ! scheduler_up; then
    say "starting the CUPS scheduler"
    as_root mkdir -p /run/cups
    as_root /usr/sbin/cupsd
    for _ in $(seq 100); do
        scheduler_up && break
        sleep 0.1
    done
    if ! scheduler_up; then
        echo "the CUPS scheduler did not start" >&2
        exit 1
    fi
fi

if ! lpstat -v "$queue" >/dev/null 2>&1; then
    # The driver cups-pdf ships, as the scheduler names it.
    driver=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ { print $1; exit }')
    if [[ -z $driver ]]; then
        echo "the scheduler lists no cups-pdf driver" >&2
        exit 1
    fi
    say "adding the PDF printer $queue"
    # A failed job is dropped rather than stopping the queue for every later test. lpadmin warns
    # that drivers are deprecated; it is told only when it fails.
    if ! err=$(as_root lpadmin -p "$queue" -E -v cups-pdf:/ -m "$driver" \
        -o printer-error-policy=abort-job 2>&1); then
        echo "$err" >&2
        exit 1
    fi
fi
# Enabled and accepting jobs, even after a job failed on it before.
if LC_ALL=C lpstat -p "$queue" 2>/dev/null | grep -q disabled; then
    as_root cupsenable "$queue"
fi
if LC_ALL=C lpstat -a "$queue" 2>/dev/null | grep -q 'not accepting'; then
    as_root cupsaccept "$queue"
fi

if [[ $(LC_ALL=C lpstat -d 2>/dev/null) != "system default destination: $queue" ]]; then
    say "making $queue the default printer"
    as_root lpadmin -d "$queue"
fi
