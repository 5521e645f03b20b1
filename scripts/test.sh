#!/usr/bin/env bash
# Installs what is needed, then: runs every fuzz target (when asked) on its corpus (about 30 s each),
# builds the tree with AddressSanitizer and UndefinedBehaviorSanitizer into ./build-sanitize
# and runs the whole suite there, and last builds the tree as shipped and runs every test,
# so that CTest's summary of that run ends the output. Fails when any of the three failed.
# The first two are asked for: VELTRANO_FUZZ_SECONDS=30 sets the time per fuzz target (0, the
# default, skips fuzzing) and VELTRANO_SANITIZE=1 adds the sanitizer run (cold, it doubles
# the build time of a 2-core machine).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

failed=()
step() {
  local name=$1
  shift
  local started=$SECONDS
  echo "=== $name"
  "$@" || failed+=("$name")
  echo "=== $name: $((SECONDS - started)) s"
}

FUZZ_SECONDS=${VELTRANO_FUZZ_SECONDS:-0}
if [ "$FUZZ_SECONDS" -gt 0 ]; then
  step "fuzzing" bash scripts/fuzz.sh all "$FUZZ_SECONDS"
fi

sanitized_suite() {
  VELTRANO_BUILD_DIR=build-sanitize VELTRANO_CMAKE_OPTIONS=-DVELTRANO_SANITIZE=ON \
    bash scripts/build.sh || return 1
  # Leaks are checked, except inside the libraries named in the suppression file.
  ASAN_OPTIONS=detect_stack_use_after_return=0:strict_init_order=1 \
    LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j 2 --timeout 1800
}
if [ "${VELTRANO_SANITIZE:-0}" != 0 ]; then
  step "sanitizer build and suite" sanitized_suite
fi

[ ${#failed[@]} -eq 0 ] || echo "FAILED before the last suite: ${failed[*]}"
bash scripts/build.sh
BUILD_DIR=${VELTRANO_BUILD_DIR:-build}
ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2 --timeout 600
[ ${#failed[@]} -eq 0 ]
