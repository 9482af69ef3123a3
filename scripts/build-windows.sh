#!/usr/bin/env bash
# Cross-compiles the 32-bit Windows program into build-win32/ ("Verolink PPPoE
# 1.0.exe"). Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --no-warn-unused-cli -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build build-win32 -j"$(nproc)"
