#!/usr/bin/env bash
# Measures the time from starting the program to its window being shown, on a
# private virtual display, side by side with a minimal GTK 4 window holding
# the same controls (bench/minimal_gtk_window.c), alternating runs of the two.
# The program should take at most 1.2 times as long: the median of the runs'
# ratios, each run's pair started one after the other, so that a machine
# busy with other work slows both alike. The last line says whether it does
# (exit status 1 when not).
#
#   scripts/measure-startup.sh [RUNS] [PROGRAM]    (defaults: 15, build/verolink-pppoe)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
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
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
fastest() { printf '%s\n' "$@" | sort -g | head -1; }
program_times=() minimal_times=() ratios=()
for run in $(seq "$runs"); do
  program_times+=("$(shown_after "$program")")
  minimal_times+=("$(shown_after "$minimal")")
  ratios+=("$(awk -v p="${program_times[-1]}" -v m="${minimal_times[-1]}" 'BEGIN {printf "%.2f", p / m}')")
  echo "run $run: program ${program_times[-1]} ms, minimal GTK 4 window ${minimal_times[-1]} ms"
done
echo "median: program $(median "${program_times[@]}") ms, minimal GTK 4 window" \
  "$(median "${minimal_times[@]}") ms; fastest: $(fastest "${program_times[@]}") ms and" \
  "$(fastest "${minimal_times[@]}") ms (polled every 10 ms)"
ratio=$(median "${ratios[@]}")
if awk -v r="$ratio" 'BEGIN {exit !(r <= 1.2)}'; then
  echo "the program takes ${ratio}x the minimal window's time (median of the runs): within 1.2x"
else
  echo "the program takes ${ratio}x the minimal window's time (median of the runs): NOT within 1.2x"
  exit 1
fi
