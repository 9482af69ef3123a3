#!/usr/bin/env bash
# Installs everything, builds every configuration and runs all tests.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

scripts/install-deps.sh

echo "== host build and tests"
scripts/build.sh
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== core, host and fault tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVEROLINK_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs" --target core_tests host_tests fault_tests
ctest --test-dir build-asan --output-on-failure -j"$jobs" -R '^(core|host|faults)\.'

echo "== fuzz targets, a short run with a fixed seed"
VEROLINK_FUZZ_SEED=1 scripts/fuzz.sh 15

if [ -x scripts/build-windows.sh ]; then
  echo "== Windows build and its tests under Wine"
  # The product is 32-bit; the 64-bit build of the same sources is always
  # compiled too, so that a fault of pointer width shows on every machine.
  scripts/build-windows.sh
  scripts/build-windows.sh --win64
  # The Wine tests run under 32-bit Wine where this machine can run 32-bit
  # programs, else on the 64-bit build under wine64. VEROLINK_FORCE_WIN64=1
  # takes the 64-bit way anyway: for developers, to try it on any machine.
  probe_status=0
  machine=$(scripts/can-run-32-bit.sh build-win32/probe) || probe_status=$?
  [ "$probe_status" -le 1 ] || { echo "FAIL: $machine" >&2; exit 1; }
  if [ "$probe_status" = 0 ] && [ "${VEROLINK_FORCE_WIN64:-}" != 1 ]; then
    echo "$machine: Windows checks run on the 32-bit program under 32-bit Wine"
    ctest --test-dir build-win32 --output-on-failure
  else
    [ "$probe_status" = 0 ] && machine="VEROLINK_FORCE_WIN64=1 ($machine)"
    echo "$machine: Windows checks run on the 64-bit test build under wine64"
    ctest --test-dir build-win32 --output-on-failure -LE '^wine$'
    ctest --test-dir build-win64 --output-on-failure -L '^wine$'
  fi
fi
