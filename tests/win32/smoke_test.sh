#!/usr/bin/env bash
# Runs the Windows program under Wine on a virtual display of its own and uses
# it as a person would: the window's title, client size, banner and rules, a
# press of the button, and the message boxes that follow. Wine's phonebook
# answers the entry-size query with 0 and no size, which the program must
# report as a failed write, never as "Подключение создано.".
#
#   smoke_test.sh PROGRAM.exe WORK_DIR
#
# WORK_DIR holds the Wine prefix (wineprefix/) and the screenshots (artifacts/).
set -euo pipefail

exe=$(realpath "$1")
work=$(realpath "$2")
artifacts=$work/artifacts
mkdir -p "$artifacts"
rm -f "$artifacts"/{main-window,main-window-120dpi,main-window-144dpi,error-box,error-box-again,unexpected-box}.png

source "$(dirname "$0")/wine_session.sh"
title='Verolink'

wine_session_start "$work"

# Visible windows whose name is exactly $1 (an extended regular expression).
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
wait_for_window() {
  local pattern=$1 seconds=$2 found=''
  for _ in $(seq $((seconds * 5))); do
    found=$(windows_named "$pattern" | grep -vxF -e "${3:-none}" | head -n1 || true)
    [ -n "$found" ] && break
    sleep 0.2
  done
  echo "$found"
}
screenshot() { xwd -id "$1" -silent | "$magick" xwd:- "$artifacts/$2"; }
# "R G B" of the pixel at x, y of a PNG.
pixel() { x11_pixel "$1" "$2,$3"; }
# A system colour of the prefix's scheme, "R G B".
system_colour() {
  sed -n '/^\[Control Panel\\\\Colors\]/,/^$/p' "$WINEPREFIX/user.reg" |
    sed -n "s/^\"$1\"=\"\\(.*\\)\"/\\1/p"
}

xdotool mousemove 1 1  # keep the pointer (and any tool tip) off the window
# The system's DPI (the prefix is left at 96 whatever happens later).
set_dpi() {
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 || fail "cannot set LogPixels"
  timeout 60 wineserver -w || true
}
# Starts the program and sets $main to its window once it shows.
start_program() {
  timeout 180 wine "$exe" >/dev/null 2>&1 &
  app_pid=$!
  main=$(wait_for_window "$caption" 60)
  [ -n "$main" ] || fail "no window named \"$caption\""
  echo "window \"$caption\" is $main"
  # Wine starts with the pointer at the screen's centre, over the banner: move
  # it off so that no tool tip covers the screenshot.
  xdotool mousemove 5 5 sleep 0.3 mousemove 1 1
}
# Without a window manager Wine leaves the frame out of the X window, which is
# then exactly the client area.
expect_client_area() {
  local geometry
  geometry=$(xwininfo -id "$main" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
  echo "client area $geometry"
  [ "$geometry" = "$1" ] || fail "client area $geometry, expected $1 at $2 dpi"
}

set_dpi 96
start_program
expect_client_area 301x200 96

shot=$artifacts/main-window.png
background=$(system_colour Background)
inactive=$(system_colour InactiveTitle)
face=$(system_colour ButtonFace)
# Keeps the window's picture in $1 once its banner is drawn.
picture_painted() {
  painted() { [ "$(pixel "$1" 150 50)" != "$face" ]; }
  x11_picture_when "$main" "$1" painted "$1" || echo "the window did not look drawn within 30 s"
}
picture_painted "$shot"
for x in 0 150 300; do
  [ "$(pixel "$shot" $x 100)" = "$background" ] || fail "row 100 at x=$x is not COLOR_BACKGROUND"
  [ "$(pixel "$shot" $x 101)" = "$inactive" ] || fail "row 101 at x=$x is not COLOR_INACTIVECAPTION"
done
# The banner fills columns 0 to 299; column 300 is the window's own face.
[ "$(pixel "$shot" 300 50)" = "$face" ] || fail "column 300 of the banner rows is not the window face"
[ "$(pixel "$shot" 299 50)" != "$face" ] || [ "$(pixel "$shot" 150 50)" != "$face" ] ||
  fail "no banner drawn"
echo "rules and banner drawn"

# After a press: the error box titled "Verolink" (screenshot $1), closed with
# Return, and then nothing: no "Подключение создано." box (titled with the
# caption) and no other box may follow the failed write.
expect_error_box_only() {
  local box success
  box=$(wait_for_window "$title" 30)
  [ -n "$box" ] || fail "no message box titled \"$title\" after the press"
  sleep 1
  screenshot "$box" "$1"
  echo "error box \"$title\" shown ($box)"
  [ -z "$(windows_named "$caption" | grep -vxF "$main" || true)" ] ||
    fail "\"$caption\" box shown together with the error"

  wine_session_focus "$box"
  xdotool key Return
  for _ in $(seq 50); do
    windows_named "$title" | grep -qxF "$box" || break
    sleep 0.2
  done
  windows_named "$title" | grep -qxF "$box" && fail "Return did not close the error box"

  success=$(wait_for_window "$caption" 8 "$main")
  [ -z "$success" ] || {
    screenshot "$success" unexpected-box.png
    fail "a box titled \"$caption\" followed the failed write"
  }
  [ -z "$(windows_named "$title")" ] || fail "another box titled \"$title\" followed the error"
  [ -n "$(windows_named "$caption" | grep -xF "$main" || true)" ] || fail "the window is gone"
  echo "no success box after the error"
}

# A click on the button (client 8,160 size 285x33).
xdotool mousemove --window "$main" 150 176 click 1
xdotool mousemove 1 1
expect_error_box_only error-box.png

# The focus is back on the button, and Return presses it.
wine_session_focus "$main"
xdotool key Return
expect_error_box_only error-box-again.png

wine_session_close_program "$main"

# At 120 dpi the design's twips come out at 376 x 250 pixels.
set_dpi 120
start_program
expect_client_area 376x250 120
picture_painted "$artifacts/main-window-120dpi.png"
wine_session_close_program "$main"

# The program declares itself DPI-aware: at 144 dpi it lays itself out at
# that DPI (452 x 300 pixels) instead of being scaled up as a bitmap.
set_dpi 144
start_program
expect_client_area 452x300 144
picture_painted "$artifacts/main-window-144dpi.png"
wine_session_close_program "$main"
set_dpi 96
echo "screenshots in $artifacts"
