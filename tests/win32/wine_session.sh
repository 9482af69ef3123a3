# Sourced by the Wine tests: a virtual display and a Wine prefix of their own,
# both torn down (wineserver -k, Xvfb killed) when the test's shell exits.
#
#   wine_session_start WORK_DIR    # the prefix lives in WORK_DIR/wineprefix
#   wine_session_shell_stand_in DLL   # Shell.Application answered by DLL until the end

export WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer on first start

wine_session_xvfb=''
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

wine_session_stop() {
  if [ -n "$wine_session_shell" ]; then wine_session_shell_restore; fi
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
  if grep -qiF "${wine_shell_stand_in_class:1:36}" "$WINEPREFIX/system.reg"; then
    echo "Shell.Application pointed back at Wine's own class"
    wine_session_shell_restore
  fi
}
