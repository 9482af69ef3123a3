# A private virtual display for one test: Xvfb on a number the server picks
# itself, reachable only with the cookie made for it (no window of another
# program, nor another test's program, can reach it), and alive until the
# test stops it (-noreset: it does not reset when its last client leaves, so
# a program that connects during such a reset is never refused). Source it;
# needs bash. x11_display_start exports DISPLAY and XAUTHORITY and sets
# XVFB_PID; x11_display_stop ends the server and removes its cookie.

x11_display_start() {  # x11_display_start [WIDTHxHEIGHTxDEPTH]
  local screen=${1:-1024x768x24} attempt number
  X11_DISPLAY_DIR=$(mktemp -d)
  local cookie
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  # The server takes every cookie of its file, whatever display it names.
  xauth -q -f "$X11_DISPLAY_DIR/server" add :0 . "$cookie" 2>/dev/null
  for attempt in 1 2 3; do
    rm -f "$X11_DISPLAY_DIR/number"
    mkfifo "$X11_DISPLAY_DIR/number"
    Xvfb -displayfd 3 -auth "$X11_DISPLAY_DIR/server" -noreset -screen 0 "$screen" \
      -nolisten tcp 3>"$X11_DISPLAY_DIR/number" >"$X11_DISPLAY_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    number=
    # A busy machine can take many seconds to start a server.
    read -r -t 60 number <"$X11_DISPLAY_DIR/number" || true
    if [ -n "$number" ]; then
      export DISPLAY=":$number" XAUTHORITY="$X11_DISPLAY_DIR/client"
      xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie" 2>/dev/null
      until xprop -root >/dev/null 2>&1; do
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
      done
      kill -0 "$XVFB_PID" 2>/dev/null && return 0
    fi
    kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  done
  echo "Xvfb did not start: $(tail -3 "$X11_DISPLAY_DIR/xvfb.log" 2>/dev/null)" >&2
  return 1
}

x11_display_stop() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  [ -z "${X11_DISPLAY_DIR:-}" ] || rm -rf "$X11_DISPLAY_DIR"
  XVFB_PID= X11_DISPLAY_DIR=
}

# The colour "R G B" of the pixel at X,Y of a picture file.
x11_pixel() {  # x11_pixel PICTURE X,Y
  /usr/bin/convert "$1" -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' \
    -crop "1x1+${2%,*}+${2#*,}" info:
}

# Keeps window $1's picture in $2 (PNG) once COMMAND..., which may read it,
# succeeds: a window is drawn some time after it shows, later on a busy
# machine. Tries for up to 30 s; the last picture stays either way.
x11_picture_when() {  # x11_picture_when WINDOW PICTURE COMMAND...
  local window=$1 picture=$2 deadline=$((SECONDS + 30))
  shift 2
  until xwd -silent -id "$window" 2>/dev/null | /usr/bin/convert xwd:- "$picture" && "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
