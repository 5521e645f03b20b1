#!/usr/bin/env bash
# Installs what is needed, builds, starts a local grade service on the built folder (on its
# default port, serving the program's site beside it) and then the study program on the
# bundled sample bank. The service stops when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
bash scripts/build.sh
BIN="$(pwd)/${VELTRANO_BUILD_DIR:-build}/bin"
server_pid=""
if [ -x "$BIN/veltrano-server" ] && [ -z "${VELTRANO_SERVER:-}" ]; then
  (cd "$BIN" && exec ./veltrano-server --listen 127.0.0.1 --db grades.db) &
  server_pid=$!
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true' EXIT
fi
cd "$BIN"
# Chromium, which draws the web panels, refuses to start as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec_cmd=(xvfb-run -a -s "-screen 0 1280x1024x24" ./veltrano)
else
  exec_cmd=(./veltrano)
fi
"${exec_cmd[@]}"
