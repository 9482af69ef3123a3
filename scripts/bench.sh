#!/usr/bin/env bash
# Builds the benchmarks and the host program in Release (build-bench/), runs
# them and prints one table (ms and entries/s), the growth with the
# phonebook's size, and whether the targets are met:
#   EntryExists over 10,000 entries < 20 ms, one write into a 10,000-entry
#   phonebook < 30 ms, host start to window shown < 300 ms (under Xvfb),
#   the Windows exe (build-win32/, when built) < 1 MiB.
# When NetworkManager is installed, nmcli's PPPoE entry is timed beside them
# (scripts/bench-networkmanager.sh). Exits 1 when a target is missed.
#   scripts/bench.sh [--quick]     --quick: shorter runs, rougher figures
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
min_time=0.5
startup_runs=7
if [ "${1:-}" = "--quick" ]; then
  min_time=0.05
  startup_runs=3
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(window_start_timer)
for source in bench/*_bench.cpp; do
  name="$(basename "$source" .cpp)"
  targets+=("bench_${name%_bench}")
done
if cmake --build "$build" --target help | grep -q 'verolink-pppoe'; then
  targets+=(verolink-pppoe)
fi
echo "== building ${targets[*]}"
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
measured="$build/measurements.txt"
: >"$measured"

echo "== benchmarks"
results=()
for bench in "$build"/bench/bench_*; do
  out="$build/$(basename "$bench").json"
  # The host benchmarks keep their phonebooks in a scratch folder.
  TMPDIR="$work" "$bench" --benchmark_min_time="$min_time" --benchmark_out="$out" \
    --benchmark_out_format=json >/dev/null
  results+=("$out")
done

echo "== host start to window shown"
program="$(find "$build" -maxdepth 4 -type f -name verolink-pppoe -perm -u+x | head -1)"
if [ -n "$program" ] && command -v Xvfb >/dev/null; then
  display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
  done
  run_program() {
    DISPLAY=":$display" VEROLINK_PHONEBOOK="$work/startup.pbk" HOME="$work" \
      "$build/bench/window_start_timer" "$1" "$program"
  }
  # A first start warms the file cache; the timed ones follow.
  if run_program 1 >/dev/null && run_program "$startup_runs" >"$work/startup.txt"; then
    sed 's/^/  /' "$work/startup.txt"
    sed -n 's/.*median_ms=\([0-9.]*\).*/startup_median_ms=\1/p' "$work/startup.txt" >>"$measured"
  else
    echo "  the window did not appear"
  fi
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null || true
else
  echo "  skipped: no host program or no Xvfb"
fi

exe="build-win32/Verolink PPPoE 1.0.exe"
if [ -f "$exe" ]; then
  echo "win32_exe_bytes=$(stat -c %s "$exe")" >>"$measured"
fi

if command -v NetworkManager >/dev/null && command -v nmcli >/dev/null; then
  echo "== NetworkManager for comparison"
  scripts/bench-networkmanager.sh >>"$measured" || echo "nmcli_note=could not be run" >>"$measured"
else
  echo "nmcli_note=not installed on this machine" >>"$measured"
fi

echo
python3 scripts/bench_report.py "$measured" "${results[@]}"
