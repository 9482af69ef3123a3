# Sourced by the Wine tests: a virtual display and a Wine prefix of their own,
# both torn down (wineserver -k, Xvfb killed) when the test's shell exits.
#
#   wine_session_start WORK_DIR    # the prefix lives in WORK_DIR/wineprefix

export WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer on first start

wine_session_xvfb=''
wine_session_work=''

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$wine_session_xvfb" ] && kill "$wine_session_xvfb" 2>/dev/null || true
  [ -n "$wine_session_work" ] && rm -f "$wine_session_work/display"
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

wine_session_start() {
  wine_session_work=$1
  export WINEPREFIX=$wine_session_work/wineprefix
  trap wine_session_stop EXIT

  # A display number no other program holds, chosen by the server itself.
  local display_file=$wine_session_work/display
  rm -f "$display_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
  wine_session_xvfb=$!
  for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
  [ -s "$display_file" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$display_file")"
  echo "display $DISPLAY, prefix $WINEPREFIX"

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix"
    timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish"
  fi
  timeout 120 wineserver -w || true
}
