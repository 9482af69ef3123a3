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

# Starts Xvfb on a free display (it picks one and tells us) and exports
# DISPLAY once the display answers. Another server starting at the same moment
# can take the number first, so a display that does not answer is tried again.
x11_session_start_display() {
  local attempt fifo_dir number waited
  for attempt in 1 2 3; do
    fifo_dir=$(mktemp -d)
    mkfifo "$fifo_dir/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo_dir/display" \
      >/dev/null 2>&1 &
    XVFB_PID=$!
    number=
    read -r -t 10 number <"$fifo_dir/display" || true
    rm -rf "$fifo_dir"
    if [ -n "$number" ]; then
      export DISPLAY=":$number"
      for waited in $(seq 50); do
        kill -0 "$XVFB_PID" 2>/dev/null || break
        xprop -root >/dev/null 2>&1 && return 0
        sleep 0.1
      done
    fi
    kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  done
  echo "Xvfb did not start" >&2
  return 1
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

# The windows of the program named $1, newest last.
x11_session_windows() {
  xdotool search --onlyvisible --pid "$PROGRAM_PID" --name "^$1\$" 2>/dev/null
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
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
  [ -z "${SCRATCH:-}" ] || rm -rf "$SCRATCH"
  PROGRAM_PID= XVFB_PID= SCRATCH=
  return "$status"
}
