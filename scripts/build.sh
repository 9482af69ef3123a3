#!/usr/bin/env bash
# Configures and builds the host (Linux) program, its tools and tests in build/.
# Extra arguments go to CMake's configure step (e.g. -DVEROLINK_PROVIDER=providers/<id>).
# VEROLINK_BUILD_TARGET=name builds just that target.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build -j"$(nproc)" ${VEROLINK_BUILD_TARGET:+--target "$VEROLINK_BUILD_TARGET"}
