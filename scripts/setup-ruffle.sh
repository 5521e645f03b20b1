#!/usr/bin/env bash
# Installs the Ruffle Flash player (npm @ruffle-rs/ruffle) into the program's folder,
# <build>/bin/ruffle, where the classroom's Flash slots load it from local files.
# Idempotent; a machine without npm or without the registry keeps the slots' notice.
set -euo pipefail
cd "$(dirname "$0")/.."
VERSION=0.6.0
BUILD_DIR=${VELTRANO_BUILD_DIR:-build}
TARGET="$BUILD_DIR/bin/ruffle"
STAMP="$TARGET/.version"
if [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$VERSION" ]; then
  exit 0
fi
if ! command -v npm >/dev/null; then
  echo "setup-ruffle: npm is missing; Flash slots will show a notice" >&2
  exit 0
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
if ! npm install --silent --no-audit --no-fund --prefix "$WORK" "@ruffle-rs/ruffle@$VERSION"; then
  echo "setup-ruffle: Ruffle could not be installed; Flash slots will show a notice" >&2
  exit 0
fi
rm -rf "$TARGET"
mkdir -p "$TARGET"
cp "$WORK"/node_modules/@ruffle-rs/ruffle/*.js "$WORK"/node_modules/@ruffle-rs/ruffle/*.wasm \
  "$WORK"/node_modules/@ruffle-rs/ruffle/LICENSE_* "$TARGET"/
echo "$VERSION" >"$STAMP"
