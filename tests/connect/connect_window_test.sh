#!/bin/bash
# Runs the connect window's test program on a private virtual display.
#   connect_window_test.sh PROGRAM SOURCE ARTIFACTS
set -uo pipefail
# On a session bus of its own, which starts the accessibility bus.
if [ -z "${VEROLINK_CONNECT_SESSION:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "FAILED: dbus-run-session is not installed"; exit 1; }
  /usr/bin/python3 -c "import pyatspi" 2>/dev/null ||
    { echo "FAILED: python3-pyatspi is not installed (scripts/install-deps.sh installs it)"; exit 1; }
  runtime=$(mktemp -d)
  status=0
  XDG_RUNTIME_DIR=$runtime VEROLINK_CONNECT_SESSION=1 dbus-run-session -- bash "$0" "$@" || status=$?
  rm -rf "$runtime"
  exit "$status"
fi
program=$1
source "$2/tests/support/x11_display.sh"
export VEROLINK_ARTIFACTS=$3 VEROLINK_READER="$2/tests/connect/connect_reader.py"
# No GL under Xvfb: GTK draws with cairo.
export GSK_RENDERER=cairo
mkdir -p "$VEROLINK_ARTIFACTS"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is not installed"; exit 1; }
done
x11_display_start 800x600x24 || { echo "FAILED: no virtual display"; exit 1; }
"$program"
status=$?
x11_display_stop
exit $status
