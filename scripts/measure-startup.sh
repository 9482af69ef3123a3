#!/usr/bin/env bash
# Measures the time from starting the program to its window being shown, on a
# private virtual display, a few times over.
#
#   scripts/measure-startup.sh [RUNS] [PROGRAM]    (defaults: 5, build/verolink-pppoe)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
program=$(realpath "${2:-build/verolink-pppoe}")
source tests/window/x11_session.sh

missing=$(x11_session_missing_tools)
[ -z "$missing" ] || { echo "measure-startup: needs $missing" >&2; exit 1; }

trap x11_session_end EXIT
x11_session_start_display
times=()
for run in $(seq "$runs"); do
  x11_session_make_home
  start=$(date +%s%N)
  x11_session_start_program "$program"
  x11_session_wait_window "Verolink PPPoE 1.00" 20 >/dev/null
  shown=$(date +%s%N)
  times+=($(((shown - start) / 1000000)))
  echo "run $run: window shown after ${times[-1]} ms"
  kill "$PROGRAM_PID"
  wait "$PROGRAM_PID" 2>/dev/null || true
  rm -rf "$SCRATCH"
  PROGRAM_PID= SCRATCH=
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "median ${sorted[$((runs / 2))]} ms, fastest ${sorted[0]} ms, slowest ${sorted[-1]} ms" \
     "(polled every 10 ms)"
