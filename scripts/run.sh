#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it. Without a display
# the window opens on a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --host-only
VEROLINK_BUILD_TARGET=verolink-pppoe scripts/build.sh
if [ -n "${DISPLAY:-}" ]; then
  exec build/verolink-pppoe
fi
echo "run: no DISPLAY; starting the window on a virtual display (xvfb-run)" >&2
exec xvfb-run -a -s "-screen 0 1024x768x24" build/verolink-pppoe
