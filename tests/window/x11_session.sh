# Shared by the window tests and the start-up measurement: a private virtual
# display, and the program started on it in a scratch home. Source it; needs
# bash. Everything started here is stopped by x11_session_end.

# Runs one check of a test and says how it went; counts failures in $failures.
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

x11_session_missing_tools() {
  local tool missing=()
  for tool in Xvfb xdotool xprop xwininfo xwd; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
  done
  echo "${missing[*]}"
}

# The private display (tests/support/x11_display.sh): DISPLAY, XAUTHORITY.
source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_display.sh"
# Xvfb has no GL: GTK draws with cairo there.
x11_session_start_display() {
  export GSK_RENDERER=cairo
  x11_display_start
}

# A scratch home with the phonebook, the desktop and stand-ins for netsh and
# xdg-open that only write down how they were called.
x11_session_make_home() {
  SCRATCH=$(mktemp -d)
  mkdir -p "$SCRATCH/home" "$SCRATCH/Desktop" "$SCRATCH/bin"
  export HOME="$SCRATCH/home"
  export XDG_CONFIG_HOME="$SCRATCH/home/.config"
  export VEROLINK_PHONEBOOK="$SCRATCH/phonebook.pbk"
  # The phonebook file, never this machine's NetworkManager.
  export VEROLINK_PHONEBOOK_KIND=file
  export VEROLINK_DESKTOP="$SCRATCH/Desktop"
  # No session bus unless a test starts its own: never this machine's.
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$SCRATCH/no-session-bus"
  local tool
  for tool in netsh xdg-open; do
    printf '#!/bin/sh\necho "$*" >> "%s/%s.log"\n' "$SCRATCH" "$tool" >"$SCRATCH/bin/$tool"
    chmod +x "$SCRATCH/bin/$tool"
  done
  export PATH="$SCRATCH/bin:$PATH"
}

# Starts the program; PROGRAM_PID.
x11_session_start_program() {
  "$1" >"$SCRATCH/program.log" 2>&1 &
  PROGRAM_PID=$!
}

# The windows of the program named $1, newest last: only its own (--all: the
# process and the name both match).
x11_session_windows() {
  xdotool search --all --onlyvisible --pid "$PROGRAM_PID" --name "^$1\$" 2>/dev/null
}

# Waits up to $2 seconds (default 10) until the program shows a window named
# $1 other than those listed in $3; prints its id.
x11_session_wait_window() {
  local name=$1 limit=${2:-10} known=${3:-} deadline id
  deadline=$(($(date +%s%N) + limit * 1000000000))
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    for id in $(x11_session_windows "$name"); do
      case " $known " in *" $id "*) ;; *) echo "$id"; return 0 ;; esac
    done
    kill -0 "$PROGRAM_PID" 2>/dev/null || return 1
    sleep 0.01
  done
  return 1
}

# Stops what the session started; keeps the exit status it was called with.
x11_session_end() {
  local status=$?
  if [ -n "${PROGRAM_PID:-}" ]; then
    kill "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
  fi
  x11_display_stop
  [ -z "${SCRATCH:-}" ] || rm -rf "$SCRATCH"
  PROGRAM_PID= SCRATCH=
  return "$status"
}
