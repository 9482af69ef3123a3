#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it. Without a display
# (X11 or Wayland) the window opens on a virtual one (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --host-only
VEROLINK_BUILD_TARGET=verolink-pppoe scripts/build.sh
# The program as installed keeps to NetworkManager and changes nothing where
# it does not answer; here, on a machine without it, the phonebook file shows
# the whole workflow instead. A choice made by the caller stands.
if [ -z "${VEROLINK_PHONEBOOK_KIND:-}${VEROLINK_PHONEBOOK:-}" ] &&
  ! timeout 5 nmcli -t -f RUNNING general 2>/dev/null | grep -qx running; then
  echo "run: NetworkManager does not answer; using the phonebook file" \
    "(VEROLINK_PHONEBOOK_KIND=file)" >&2
  export VEROLINK_PHONEBOOK_KIND=file
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/verolink-pppoe
fi
echo "run: no display; starting the window on a virtual one (xvfb-run)" >&2
# Xvfb has no GL: GTK draws with cairo there.
GSK_RENDERER=cairo exec xvfb-run -a -s "-screen 0 1024x768x24" build/verolink-pppoe
