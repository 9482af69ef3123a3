#!/usr/bin/env bash
# Cross-compiles the Windows program. Without options: the 32-bit product in
# build-win32/ ("Verolink PPPoE 1.0.exe"). With --win64 first: the same
# sources for 64-bit Windows in build-win64/, a build for testing under wine64
# only. Further arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-win32 toolchain=cmake/toolchain-mingw32.cmake
if [ "${1:-}" = "--win64" ]; then
  build=build-win64 toolchain=cmake/toolchain-mingw64.cmake
  shift
fi
cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
