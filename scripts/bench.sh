#!/usr/bin/env bash
# Builds the benchmarks and the host program in Release (build-bench/), runs
# them and prints one table (ms and entries/s) for phonebooks of 10, 100 and
# 1,000 entries, the growth with the phonebook's size, and whether the
# targets are met, on a fresh phonebook object each time (as at the first
# press after the start: the whole file read and checked):
#   EntryExists over 100 entries < 1 ms; one write into 100 entries at most
#   twice the storage's own part of it (write, fsync, rename, folder fsync,
#   timed alone in the same run); both growing linearly up to 1,000 entries;
#   host start to window shown < 300 ms (under Xvfb), the Windows exe
#   (build-win32/, when built) < 1 MiB; the NetworkManager phonebook's
#   EntryExists and write through the daemon faster than `nmcli connection add
#   type pppoe` on the same private daemon holding 10, 100 and 1,000
#   connections (scripts/bench-networkmanager.sh; needs NetworkManager and
#   root). Exits 1 when a target is missed.
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

scripts/install-deps.sh --host-only
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=()
for source in bench/*_bench.cpp; do
  name="$(basename "$source" .cpp)"
  targets+=("bench_${name%_bench}")
done
if cmake --build "$build" --target help | grep ' verolink-pppoe$' >/dev/null; then
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
  # This one needs a daemon: run below.
  [ "$(basename "$bench")" = bench_nm_daemon ] && continue
  out="$build/$(basename "$bench").json"
  # The host benchmarks keep their phonebooks in a scratch folder.
  log="$build/$(basename "$bench").log"
  if ! TMPDIR="$work" "$bench" --benchmark_min_time="$min_time" --benchmark_out="$out" \
    --benchmark_out_format=json >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  echo "  $(basename "$bench")"
  results+=("$out")
done

echo "== host start to window shown"
program="$build/verolink-pppoe"
if [ -x "$program" ]; then
  # A first start warms the file cache; the timed ones follow.
  scripts/measure-startup.sh 1 "$program" >/dev/null
  scripts/measure-startup.sh "$startup_runs" "$program" | tee "$work/startup.txt" | sed 's/^/  /'
  sed -n 's/^median \([0-9]*\) ms.*/startup_median_ms=\1/p' "$work/startup.txt" >>"$measured"
else
  echo "  skipped: no host program"
fi

exe="build-win32/Verolink PPPoE 1.0.exe"
if [ -f "$exe" ]; then
  echo "win32_exe_bytes=$(stat -c %s "$exe")" >>"$measured"
fi

if command -v NetworkManager >/dev/null && command -v nmcli >/dev/null; then
  echo "== NetworkManager through the daemon, beside nmcli"
  nm_log="$build/bench_nm_daemon.log"
  if scripts/bench-networkmanager.sh "$build/bench/bench_nm_daemon" "$build" "$min_time" \
    >>"$measured" 2>"$nm_log"; then
    results+=("$build"/bench_nm_daemon_*.json)
  else
    echo "nmcli_note=could not be run (see $nm_log)" >>"$measured"
  fi
else
  echo "nmcli_note=not installed on this machine" >>"$measured"
fi

echo
python3 scripts/bench_report.py "$measured" "${results[@]}"
