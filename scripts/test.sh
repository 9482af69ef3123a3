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
  scripts/build-windows.sh
  ctest --test-dir build-win32 --output-on-failure
fi
