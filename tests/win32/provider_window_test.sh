#!/usr/bin/env bash
# A provider's own build of the Windows program under Wine: its window opens
# with the program's caption and shows the provider's banner, whose colour at
# a spot of plain ground is compared; the window is kept as a screenshot.
#
#   provider_window_test.sh PROGRAM.exe WORK_DIR NAME "X,Y" "R G B"
#
# WORK_DIR holds the Wine prefix (shared with the other Wine tests of the
# build) and the screenshot artifacts/NAME-main-window.png.
set -euo pipefail

exe=$(realpath "$1")
work=$(realpath "$2")
shot=$work/artifacts/$3-main-window.png
spot=$4 expected=$5
mkdir -p "$work/artifacts"
rm -f "$shot"

source "$(dirname "$0")/wine_session.sh"

wine_session_start "$work"
xdotool mousemove 1 1

timeout 180 wine "$exe" >/dev/null 2>&1 &
app_pid=$!
main=''
for _ in $(seq 300); do
  main=$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null | head -n1 || true)
  [ -n "$main" ] && break
  kill -0 "$app_pid" 2>/dev/null || fail "$exe ended without showing its window"
  sleep 0.2
done
[ -n "$main" ] || fail "no window named \"$caption\""
xdotool mousemove 5 5 sleep 0.3 mousemove 1 1  # no tool tip over the screenshot
banner_drawn() { found=$(x11_pixel "$shot" "$spot") && [ "$found" = "$expected" ]; }
x11_picture_when "$main" "$shot" banner_drawn
echo "screenshot: $shot"
[ "$found" = "$expected" ] || fail "banner at $spot is $found, expected the provider's $expected"
echo "the provider's banner is drawn ($found at $spot)"

wine_session_close_program "$main"
