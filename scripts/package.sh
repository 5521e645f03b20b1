#!/usr/bin/env bash
# Packs the built program as veltrano-VERSION-linux-ARCH.tar.gz for the site's download
# page: the program, its libraries, a question bank built afresh from the sources (so no
# learner's marks travel with it), the grade service and the site's pages.
#   bash scripts/package.sh [OUT_DIR]     default OUT_DIR: the built site's download folder
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${VELTRANO_BUILD_DIR:-build}
BIN="$(pwd)/$BUILD_DIR/bin"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")
out=${1:-$BIN/site/download}
name="veltrano-$version-linux-$(uname -m)"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name" "$out"
cp "$BIN/veltrano" "$BIN/veltrano-server" "$BIN/veltrano-bank" "$BIN"/*.so "$stage/$name/"
"$BIN/veltrano-bank" build assets/bank "$stage/$name/DriveDB.db" >/dev/null
cp -r site "$stage/$name/site"
# Written under another name first, so the download page never lists half a package.
tar -C "$stage" -czf "$out/$name.tar.gz.part" "$name"
mv "$out/$name.tar.gz.part" "$out/$name.tar.gz"
echo "$out/$name.tar.gz"
