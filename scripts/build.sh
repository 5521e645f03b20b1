#!/usr/bin/env bash
# Configures and builds the whole tree into ./build (or $VELTRANO_BUILD_DIR); options for
# CMake may come in $VELTRANO_CMAKE_OPTIONS (e.g. -DVELTRANO_SANITIZE=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${VELTRANO_BUILD_DIR:-build}
LAUNCHER=()
# A compiler cache, where the machine has one, makes rebuilds of other checkouts cheap.
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=1
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}" \
  ${VELTRANO_CMAKE_OPTIONS:-} >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
