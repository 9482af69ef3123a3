#!/usr/bin/env bash
# Installs everything, builds every configuration and runs all tests. Every
# stage runs whatever the ones before it did, so that one broken test hides
# no other; the end lists each stage's result, and the command fails when
# any stage failed.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

# Without the packages no stage can run.
scripts/install-deps.sh || { echo "FAIL: the packages could not be installed" >&2; exit 1; }

host_stage() {
  scripts/build.sh &&
    ctest --test-dir build --output-on-failure -j"$jobs"
}

sanitizer_stage() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVEROLINK_SANITIZE=ON >/dev/null &&
    cmake --build build-asan -j"$jobs" --target core_tests host_tests fault_tests &&
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -R '^(core|host|faults)\.'
}

fuzz_stage() {
  VEROLINK_FUZZ_SEED=1 scripts/fuzz.sh 15
}

windows_stage() {
  # The product is 32-bit; the 64-bit build of the same sources is always
  # compiled too, so that a fault of pointer width shows on every machine.
  scripts/build-windows.sh && scripts/build-windows.sh --win64 || return 1
  # The Wine tests run under 32-bit Wine where this machine can run 32-bit
  # programs, else on the 64-bit build under wine64. VEROLINK_FORCE_WIN64=1
  # takes the 64-bit way anyway: for developers, to try it on any machine.
  local probe_status=0 machine
  machine=$(scripts/can-run-32-bit.sh build-win32/probe) || probe_status=$?
  [ "$probe_status" -le 1 ] || { echo "FAIL: $machine" >&2; return 1; }
  if [ "$probe_status" = 0 ] && [ "${VEROLINK_FORCE_WIN64:-}" != 1 ]; then
    echo "$machine: Windows checks run on the 32-bit program under 32-bit Wine"
    ctest --test-dir build-win32 --output-on-failure
  else
    [ "$probe_status" = 0 ] && machine="VEROLINK_FORCE_WIN64=1 ($machine)"
    echo "$machine: Windows checks run on the 64-bit test build under wine64"
    local status=0
    ctest --test-dir build-win32 --output-on-failure -LE '^wine$' || status=1
    ctest --test-dir build-win64 --output-on-failure -L '^wine$' || status=1
    return "$status"
  fi
}

results=()
failed=0
stage() {  # stage TITLE FUNCTION
  local began=$SECONDS outcome=passed
  echo "== $1"
  "$2" || { outcome=FAILED; failed=$((failed + 1)); }
  results+=("$outcome: $1 ($((SECONDS - began)) s)")
}
stage "host build and tests" host_stage
stage "core, host and fault tests under AddressSanitizer and UndefinedBehaviorSanitizer" \
  sanitizer_stage
stage "fuzz targets, a short run with a fixed seed" fuzz_stage
stage "Windows build and its tests under Wine" windows_stage

echo "== stages"
printf '%s\n' "${results[@]}"
if [ "$failed" -ne 0 ]; then
  echo "test.sh: $failed of ${#results[@]} stages failed"
  exit 1
fi
echo "test.sh: all ${#results[@]} stages passed"
