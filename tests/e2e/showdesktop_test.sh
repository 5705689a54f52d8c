#!/usr/bin/env bash
# Runs showdesktop_test in an X server of its own. Usage: showdesktop_test.sh TEST_BINARY
set -u
bin=.
source "$(dirname "$0")/lib.sh"
start_x
"$1"
