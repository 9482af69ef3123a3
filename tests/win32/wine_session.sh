# Sourced by the Wine tests: a virtual display and a Wine prefix of their own,
# both torn down (wineserver -k, Xvfb killed) when the test's shell exits.
#
#   wine_session_start WORK_DIR    # the prefix lives in WORK_DIR/wineprefix
#   wine_session_shell_stand_in DLL   # Shell.Application answered by DLL until the end
#   wine_session_system_stand_in FILE # FILE in the system folder until the end
#
# WINEARCH (set for each test by the build, from its pointer width) picks the
# Wine: win32 (the default) runs the 32-bit product under the system's `wine`;
# win64 runs the 64-bit test build under wine64, and from wine_session_start on
# `wine`, `wineboot` and `winepath` on PATH are wine64's, so a test script
# calls them the same way for either build.

source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_display.sh"

export WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer on first start

wine_session_work=''
wine_session_shell=''

# The test stand-in for the shell's automation object (stand_ins/
# shell_stand_in.cpp). Wine's COM reads classes from the machine's registry
# only (a class under HKCU is not seen), so the program identifier itself is
# pointed at the stand-in's class, and back at Wine's own when the session
# ends, or when the next session finds it left behind by a killed test.
wine_shell_class='{13709620-C279-11CE-A49E-444553540000}'
wine_shell_stand_in_class='{13883F26-4E77-49AB-9E71-C8202EEEB931}'
wine_shell_key='HKLM\Software\Classes\Shell.Application\CLSID'
wine_shell_stand_in_key='HKLM\Software\Classes\CLSID\'$wine_shell_stand_in_class

wine_session_shell_stand_in() {
  local dll
  dll=$(winepath -w "$1" 2>/dev/null)
  wine_session_shell=$1
  timeout 60 wine reg add "$wine_shell_stand_in_key\InprocServer32" /ve /d "$dll" /f >/dev/null &&
    timeout 60 wine reg add "$wine_shell_stand_in_key\InprocServer32" /v ThreadingModel \
      /d Apartment /f >/dev/null &&
    timeout 60 wine reg add "$wine_shell_key" /ve /d "$wine_shell_stand_in_class" /f >/dev/null ||
    fail "cannot register the stand-in Shell.Application in $WINEPREFIX"
}

wine_session_shell_restore() {
  timeout 60 wine reg add "$wine_shell_key" /ve /d "$wine_shell_class" /f >/dev/null 2>&1 || true
  timeout 60 wine reg delete "$wine_shell_stand_in_key" /f >/dev/null 2>&1 || true
}

# Puts a stand-in in the prefix's system folder in place of Wine's file of
# that name, which is kept beside it and put back when the session ends (or
# by the next session, when a killed test left the stand-in there).
wine_session_system=()
wine_session_system_stand_in() {
  local target=$WINEPREFIX/drive_c/windows/system32/$(basename "$1")
  [ -e "$target.wine" ] || cp -p "$target" "$target.wine" ||
    fail "cannot keep Wine's $(basename "$1") aside"
  wine_session_system+=("$target")
  cp "$1" "$target" || fail "cannot put the stand-in $(basename "$1") in the system folder"
}

wine_session_system_restore() {
  local kept
  for kept in "$WINEPREFIX"/drive_c/windows/system32/*.wine; do
    [ -e "$kept" ] && mv -f "$kept" "${kept%.wine}"
  done
  return 0
}

# The program's window caption, and ImageMagick's converter for screenshots.
caption='Verolink PPPoE 1.00'
magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert

# The program a test started under the session: ended when the session stops.
app_pid=''

# Closes the program's window $1 with Alt+F4; the program ($app_pid) must end
# with it.
# Gives window $1 the keyboard focus and waits (up to 10 s) until the server
# says it has it: keys sent before then would go elsewhere.
wine_session_focus() {
  local deadline=$((SECONDS + 10))
  until [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] || [ $SECONDS -ge $deadline ]; do
    xdotool windowfocus "$1" 2>/dev/null || true
    sleep 0.1
  done
}

wine_session_close_program() {
  wine_session_focus "$1"
  xdotool key alt+F4
  for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end when its window closed"
  app_pid=''
  echo "program ended with its window"
}

wine_session_stop() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$wine_session_shell" ]; then wine_session_shell_restore; fi
  wineserver -k >/dev/null 2>&1 || true
  if [ ${#wine_session_system[@]} -gt 0 ]; then wine_session_system_restore; fi
  x11_display_stop
}

# Puts wine64's `wine`, `wineboot` and `winepath` first on PATH (in WORK_DIR/
# wine64-bin): Debian's `wine` starts the 32-bit loader whenever it is
# installed, even where the machine cannot run it.
wine_session_use_wine64() {
  local loader tool bin=$1/wine64-bin
  loader=$(command -v wine64 || true)
  [ -n "$loader" ] || loader=/usr/lib/wine/wine64
  [ -x "$loader" ] || fail "no wine64 loader (in PATH or /usr/lib/wine): install wine64"
  mkdir -p "$bin"
  printf '#!/bin/sh\nexec "%s" "$@"\n' "$loader" >"$bin/wine"
  for tool in wineboot winepath; do
    printf '#!/bin/sh\nexec "%s" %s.exe "$@"\n' "$loader" "$tool" >"$bin/$tool"
  done
  chmod +x "$bin"/*
  export PATH=$bin:$PATH WINELOADER=$loader
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

wine_session_start() {
  wine_session_work=$1
  export WINEPREFIX=$wine_session_work/wineprefix
  trap wine_session_stop EXIT
  case $WINEARCH in
    win32) ;;
    win64) wine_session_use_wine64 "$wine_session_work" ;;
    *) fail "WINEARCH=$WINEARCH: expected win32 or win64" ;;
  esac

  # A private display that lives until the session ends.
  x11_display_start || fail "Xvfb did not start"
  echo "display $DISPLAY, prefix $WINEPREFIX ($WINEARCH, $(command -v wine))"

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix"
    timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish"
  fi
  timeout 120 wineserver -w || true
  wine_session_system_restore
  if grep -qiF "${wine_shell_stand_in_class:1:36}" "$WINEPREFIX/system.reg"; then
    echo "Shell.Application pointed back at Wine's own class"
    wine_session_shell_restore
  fi
}
