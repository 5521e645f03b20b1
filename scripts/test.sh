#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test; prints CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
bash scripts/build.sh
BUILD_DIR=${VELTRANO_BUILD_DIR:-build}
ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2 --timeout 600
