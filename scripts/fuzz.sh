#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into ./build-fuzz (or $VELTRANO_FUZZ_BUILD_DIR) and
# runs one of them, or every one with "all", for SECONDS each on a copy of its seed corpus.
#   scripts/fuzz.sh TARGET|all SECONDS
# Targets: the names of fuzz/corpus/*. A crash stops the run; its input is kept in
# <build>/crashes/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
  echo "usage: $0 TARGET|all SECONDS (targets: $(ls fuzz/corpus | tr '\n' ' '))" >&2
  exit 2
fi
TARGET=$1
SECONDS_EACH=$2
BUILD_DIR=${VELTRANO_FUZZ_BUILD_DIR:-build-fuzz}

if [ "$TARGET" = all ]; then
  TARGETS=$(ls fuzz/corpus)
elif [ -d "fuzz/corpus/$TARGET" ]; then
  TARGETS=$TARGET
else
  echo "unknown fuzz target '$TARGET' (targets: $(ls fuzz/corpus | tr '\n' ' '))" >&2
  exit 2
fi

# clang and its sanitizer and fuzzer run-time libraries come with the project's packages.
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  bash scripts/setup-debian.sh
fi

LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=1
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRANO_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${LAUNCHER[@]}" >/dev/null
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j "$(nproc)" --target $(printf 'fuzz_%s ' $TARGETS)

mkdir -p "$BUILD_DIR/crashes" "$BUILD_DIR/logs"
for name in $TARGETS; do
  # New inputs go to the build folder's corpus; the seeds in the tree stay as they are.
  work="$BUILD_DIR/corpus/$name"
  log="$BUILD_DIR/logs/$name.log"
  mkdir -p "$work"
  status=0
  "$BUILD_DIR/fuzz/fuzz_$name" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
    -max_len=8192 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$BUILD_DIR/crashes/$name-" \
    "$work" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$name: ${runs:-0} executions in ${SECONDS_EACH}s, corpus $(ls "$work" | wc -l) inputs"
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "fuzz_$name failed (status $status); the input is in $BUILD_DIR/crashes/" >&2
    exit 1
  fi
done
