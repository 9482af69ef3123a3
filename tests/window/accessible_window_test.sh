#!/usr/bin/env bash
# The real program as a screen reader and a keyboard user meet it, on an
# accessibility bus of the test's own (at-spi2-core's, started by a private
# session bus):
#
#   accessible_window_test.sh PROGRAM ARTIFACT_FOLDER x11 BANNER_PICTURE
#     on a private X display: the window's tree on the bus, the whole workflow
#     through the bus's actions alone, again by key presses alone, and the
#     window at GDK_SCALE=2 twice the size with its banner as sharp
#     (screenshots main-window-scale-1.png and -2.png);
#   accessible_window_test.sh PROGRAM ARTIFACT_FOLDER wayland
#     on weston's headless Wayland compositor, where no X11 tool reaches: the
#     tree and the workflow through the bus.
#
# The tree as the bus lists it is kept in ARTIFACT_FOLDER/accessible-tree-*.txt.
# Fails, naming it, when a tool is missing.
set -euo pipefail

program=$(realpath "$1")
artifacts=$2
backend=$3
banner=${4:-}  # the provider's banner picture
here=$(dirname "$(realpath "$0")")
reader=(/usr/bin/python3 "$here/screen_reader.py")
mkdir -p "$artifacts"

# The whole test runs on a session bus of its own, which starts the
# accessibility bus when the program asks for it and ends with the test. Its
# sockets lie in a runtime folder of the test's own.
if [ -z "${VEROLINK_ACCESSIBLE_SESSION:-}" ]; then
  missing=()
  for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
  done
  /usr/bin/python3 -c "import pyatspi" 2>/dev/null || missing+=(python3-pyatspi)
  if [ "$backend" = wayland ]; then command -v weston >/dev/null || missing+=(weston); fi
  if [ ${#missing[@]} -ne 0 ]; then
    echo "FAILED: the accessibility test cannot run without ${missing[*]}" \
      "(scripts/install-deps.sh installs them)"
    exit 1
  fi
  runtime=$(mktemp -d)
  trap 'rm -rf "$runtime"' EXIT
  status=0
  XDG_RUNTIME_DIR=$runtime VEROLINK_ACCESSIBLE_SESSION=1 \
    dbus-run-session -- "$0" "$@" || status=$?
  exit "$status"
fi

# shellcheck source=x11_session.sh
source "$here/x11_session.sh"
session_bus=$DBUS_SESSION_BUS_ADDRESS
failures=0
entry="Pelkar INTERNET"
# No GL under Xvfb nor on the headless compositor: GTK draws with cairo.
export GSK_RENDERER=cairo

weston_pid=
stop_all() {
  local status=$?
  x11_session_end || true
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
  fi
  return "$status"
}
trap stop_all EXIT

if [ "$backend" = wayland ]; then
  # weston's headless backend on a socket of the test's runtime folder; the
  # program may reach no X display.
  unset DISPLAY
  weston --backend=headless-backend.so --socket=verolink-test --idle-time=0 \
    --width=1024 --height=768 >"$XDG_RUNTIME_DIR/weston.log" 2>&1 &
  weston_pid=$!
  deadline=$((SECONDS + 60))
  until [ -S "$XDG_RUNTIME_DIR/verolink-test" ]; do
    if [ $SECONDS -ge $deadline ] || ! kill -0 "$weston_pid" 2>/dev/null; then
      echo "FAILED: weston did not start: $(tail -3 "$XDG_RUNTIME_DIR/weston.log")"
      exit 1
    fi
    sleep 0.05
  done
  export WAYLAND_DISPLAY=verolink-test GDK_BACKEND=wayland
else
  x11_missing=$(x11_session_missing_tools)
  [ -z "$x11_missing" ] || { echo "FAILED: the X11 checks need $x11_missing"; exit 1; }
  x11_session_start_display
  # The accessibility bus, started later, presses keys on this display.
  dbus-update-activation-environment DISPLAY XAUTHORITY
  export GDK_BACKEND=x11
fi

# A fresh scratch home on the test's own session bus, and the program in it.
start() {  # start [ENV=VALUE...]
  [ -z "${PROGRAM_PID:-}" ] || { kill "$PROGRAM_PID"; wait "$PROGRAM_PID" 2>/dev/null || true; }
  [ -z "${SCRATCH:-}" ] || rm -rf "$SCRATCH"
  x11_session_make_home
  export DBUS_SESSION_BUS_ADDRESS=$session_bus
  env "$@" "$program" >"$SCRATCH/program.log" 2>&1 &
  PROGRAM_PID=$!
}

finished_files() {  # finished_files WITH_SHORTCUT: what the workflow leaves
  check "the phonebook holds [$entry] once" test "$(grep -cF "[$entry]" "$VEROLINK_PHONEBOOK")" = 1
  if [ "$1" = yes ]; then
    check "the desktop holds the shortcut" test -f "$VEROLINK_DESKTOP/$entry.lnk"
  else
    check "no shortcut, as Ярлык was unticked" test ! -e "$VEROLINK_DESKTOP/$entry.lnk"
  fi
  # The enabling command is started, not waited for: its line may come late.
  local deadline=$((SECONDS + 30))
  until [ "$(wc -l <"$SCRATCH/netsh.log" 2>/dev/null)" -ge 4 ] || [ $SECONDS -ge $deadline ]; do
    sleep 0.05
  done
  check "the firewall was restarted on both presses" test "$(wc -l <"$SCRATCH/netsh.log")" = 4
}

start
"${reader[@]}" tree >/dev/null || { echo "--- program output"; cat "$SCRATCH/program.log"; }
tree_into() { "${reader[@]}" tree >"$1"; }
check "the main window's tree: roles, Russian names, tool tips as descriptions, the focus" \
  tree_into "$artifacts/accessible-tree-$backend.txt"
cat "$artifacts/accessible-tree-$backend.txt"
# A second start in the same session brings this window to the front and
# ends: one window per session.
check "a second start ends at once, leaving the first window alone" \
  timeout 30 "$program"
check "the first window is still the only one" tree_into /dev/null
check "the workflow through the accessibility bus alone" "${reader[@]}" workflow
finished_files yes

if [ "$backend" = x11 ]; then
  start
  check "the workflow by key presses alone" "${reader[@]}" workflow --keys
  finished_files no

  # Scale 1 and 2: the window twice the size, the banner drawn from the
  # picture's own pixels (no colour a blur would mix in).
  # Prints the colours of the banner's frame in a screenshot that the
  # picture does not hold (a blur mixes new ones in); none when it is sharp.
  foreign_colours() {  # foreign_colours SCREENSHOT SCALE
    /usr/bin/python3 - "$1" "$2" "$banner" <<'PY'
import sys
from PIL import Image
shot, scale = Image.open(sys.argv[1]).convert("RGB"), int(sys.argv[2])
left = (shot.width // scale - 300) // 2 * scale
banner = shot.crop((left, 0, left + 300 * scale, 100 * scale))
own = {c for _, c in Image.open(sys.argv[3]).convert("RGB").getcolors(1 << 24)}
print(len({c for _, c in banner.getcolors(1 << 24)} - own))
PY
  }
  for scale in 1 2; do
    start GDK_SCALE=$scale
    "${reader[@]}" tree >/dev/null
    main=$(x11_session_wait_window "Verolink PPPoE 1.00" 30)
    x11_picture_when "$main" "$artifacts/main-window-scale-$scale.png" true
    echo "screenshot: $artifacts/main-window-scale-$scale.png"
    size[scale]=$(identify -format "%w %h" "$artifacts/main-window-scale-$scale.png")
    foreign=$(foreign_colours "$artifacts/main-window-scale-$scale.png" "$scale")
    check "at scale $scale the banner is sharp: no colour the picture lacks ($foreign found)" \
      test "$foreign" = 0
  done
  read -r w1 h1 <<<"${size[1]}"
  read -r w2 h2 <<<"${size[2]}"
  check "at GDK_SCALE=2 the window is twice the size (${w1}x$h1, ${w2}x$h2)" \
    test "$w2,$h2" = "$((2 * w1)),$((2 * h1))"
fi

check "the program is still running" kill -0 "$PROGRAM_PID"
[ "$failures" -eq 0 ] || { echo "--- program output"; cat "$SCRATCH/program.log"; exit 1; }
echo "all accessibility checks passed ($backend)"
