#!/usr/bin/env bash
# Installs what is needed, then runs, in this order: every fuzz target on its corpus, the whole
# suite in a build with AddressSanitizer and UndefinedBehaviorSanitizer (./build-sanitize), and
# last the tree as shipped with every test, so that CTest's summary of that run ends the output.
# Fails when any of them failed.
# VELTRANO_FUZZ_SECONDS sets the time per fuzz target (30 by default, 0 skips fuzzing);
# VELTRANO_SANITIZE=0 skips the sanitizer run. Each step prints the seconds it took.
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

FUZZ_SECONDS=${VELTRANO_FUZZ_SECONDS:-30}
if [ "$FUZZ_SECONDS" -gt 0 ]; then
  step "fuzzing" bash scripts/fuzz.sh all "$FUZZ_SECONDS"
fi

sanitized_suite() {
  VELTRANO_BUILD_DIR=build-sanitize VELTRANO_CMAKE_OPTIONS=-DVELTRANO_SANITIZE=ON \
    bash scripts/build.sh || return 1
  # Leaks are checked, except inside the libraries named in the suppression file. The kill
  # tests look for memory faults here in 50 rounds each; their 200 rounds run in the last suite.
  VELTRANO_KILL_ROUNDS=${VELTRANO_KILL_ROUNDS:-50} \
    ASAN_OPTIONS=detect_stack_use_after_return=0:strict_init_order=1 \
    LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j 2 --timeout 1800
}
if [ "${VELTRANO_SANITIZE:-1}" != 0 ]; then
  step "sanitizer build and suite" sanitized_suite
fi

[ ${#failed[@]} -eq 0 ] || echo "FAILED before the last suite: ${failed[*]}"
started=$SECONDS
bash scripts/build.sh
echo "=== build as shipped: $((SECONDS - started)) s"
BUILD_DIR=${VELTRANO_BUILD_DIR:-build}
ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2 --timeout 600
[ ${#failed[@]} -eq 0 ]
