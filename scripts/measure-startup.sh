#!/usr/bin/env bash
# Measures the time from starting the program to its window being shown, on a
# private virtual display, side by side with a minimal GTK 4 window holding
# the same controls (bench/minimal_gtk_window.c), alternating runs of the two.
# The program should take at most 1.2 times as long; the last line says
# whether it does (exit status 1 when not).
#
#   scripts/measure-startup.sh [RUNS] [PROGRAM]    (defaults: 7, build/verolink-pppoe)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
program=$(realpath "${2:-build/verolink-pppoe}")
source tests/window/x11_session.sh

tools_missing=$(x11_session_missing_tools)
[ -z "$tools_missing" ] || { echo "measure-startup: needs $tools_missing" >&2; exit 1; }
minimal=$(mktemp -d)/minimal-gtk-window
# shellcheck disable=SC2046
cc -O2 -o "$minimal" bench/minimal_gtk_window.c $(pkg-config --cflags --libs gtk4)

trap 'x11_session_end; rm -rf "$(dirname "$minimal")"' EXIT
x11_session_start_display
shown_after() {  # shown_after PROGRAM: ms from start to its window shown
  x11_session_make_home
  local start shown
  start=$(date +%s%N)
  x11_session_start_program "$1"
  x11_session_wait_window "Verolink PPPoE 1.00" 20 >/dev/null
  shown=$(date +%s%N)
  kill "$PROGRAM_PID"
  wait "$PROGRAM_PID" 2>/dev/null || true
  rm -rf "$SCRATCH"
  PROGRAM_PID= SCRATCH=
  echo $(((shown - start) / 1000000))
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
program_times=() minimal_times=()
for run in $(seq "$runs"); do
  program_times+=("$(shown_after "$program")")
  minimal_times+=("$(shown_after "$minimal")")
  echo "run $run: program ${program_times[-1]} ms, minimal GTK 4 window ${minimal_times[-1]} ms"
done
p=$(median "${program_times[@]}") m=$(median "${minimal_times[@]}")
echo "median: program $p ms, minimal GTK 4 window $m ms (polled every 10 ms)"
ratio=$(awk -v p="$p" -v m="$m" 'BEGIN {printf "%.2f", p / m}')
if awk -v p="$p" -v m="$m" 'BEGIN {exit !(p <= 1.2 * m)}'; then
  echo "the program takes ${ratio}x the minimal window's time: within 1.2x"
else
  echo "the program takes ${ratio}x the minimal window's time: NOT within 1.2x"
  exit 1
fi
