#!/bin/bash
# Runs the connect window's test program on a private virtual display.
#   connect_window_test.sh PROGRAM SOURCE ARTIFACTS
set -uo pipefail
program=$1
source "$2/tests/support/x11_display.sh"
export VEROLINK_ARTIFACTS=$3
mkdir -p "$VEROLINK_ARTIFACTS"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is not installed"; exit 1; }
done
x11_display_start 800x600x24 || { echo "FAILED: no virtual display"; exit 1; }
"$program"
status=$?
x11_display_stop
exit $status
