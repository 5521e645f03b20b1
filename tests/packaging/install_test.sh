#!/usr/bin/env bash
# Installs the built program into a temporary root (DESTDIR, prefix /usr) and runs the
# installed copy with the build folder hidden behind an empty mount, so that nothing can
# come from it:
#   install_test.sh start   BUILD SOURCE   the window shows; settings and the bank copy
#                                          land in the learner's XDG folders
#   install_test.sh upgrade BUILD SOURCE   a newer installed bank replaces the learner's
#                                          copy and the wrong marks stay
#   install_test.sh service BUILD SOURCE   veltrano-server checks its settings file and
#                                          serves /health and the installed site
set -euo pipefail
mode=$1
build=$(realpath "$2")
source=$(realpath "$3")

if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null; then
  echo "skipped: hiding the build folder needs root and unshare"
  exit 77
fi

work=$(mktemp -d)
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr --strip >/dev/null
prefix="$work/root/usr"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime" VELTRANO_SERVER=127.0.0.1:9 VELTRANO_SITE=127.0.0.1:9
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The programs find their libraries through $ORIGIN alone.
for program in veltrano veltrano-bank; do
  runpath=$(readelf -d "$prefix/bin/$program" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
  [ "$runpath" = '$ORIGIN/../lib/veltrano' ] || fail "$program has search path '$runpath'"
done

# Runs a command with the build folder replaced by an empty one (a private mount
# namespace; needs root, as CI has).
hide_build=(unshare --mount --propagation private sh -c 'mount -t tmpfs tmpfs "$0" && exec "$@"' "$build")
isolated() {
  "${hide_build[@]}" "$@"
}

# Starts the installed program under a virtual display and waits until its main window
# shows; the program is then ended.
show_window() {
  local log="$work/program.log"
  isolated xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$0" >"$1" 2>&1 &
    pid=$!
    for i in $(seq 1 120); do
      if xdotool search --name "^Veltrano" >/dev/null 2>&1; then
        kill $pid; wait $pid 2>/dev/null; exit 0
      fi
      kill -0 $pid 2>/dev/null || exit 3
      sleep 0.5
    done
    kill $pid; exit 4' "$prefix/bin/veltrano" "$log" || {
    cat "$log" >&2
    fail "the installed program showed no window"
  }
}

bank_sql() {
  sqlcipher -batch -noheader "$1" "PRAGMA key='QK/7305'; PRAGMA kdf_iter=1; $2" | { grep -v '^ok$' || true; }
}

case $mode in
start)
  show_window
  [ -f "$XDG_DATA_HOME/veltrano/DriveDB.db" ] || fail "no bank copy in XDG_DATA_HOME"
  [ -d "$XDG_CONFIG_HOME/veltrano" ] || fail "no settings folder in XDG_CONFIG_HOME"
  cmp -s "$XDG_DATA_HOME/veltrano/DriveDB.db" "$prefix/share/veltrano/DriveDB.db" ||
    fail "the first start did not copy the installed bank"
  [ -z "$(find "$work/root" -name Configure.ini)" ] || fail "the program wrote into the installed tree"
  ;;
upgrade)
  show_window
  copy="$XDG_DATA_HOME/veltrano/DriveDB.db"
  bank_sql "$copy" "UPDATE Sub SET WrongMark=1 WHERE SubID IN (10001, 10002);"
  # A package upgrade ships a bank whose content changed.
  cp -r "$source/assets/bank" "$work/bank"
  sub=$(grep -l '^ID,SubID,' "$work/bank"/*.csv | head -1)
  sed -i '0,/^10003,/s/^\(10003,10003,[^,]*,[^,]*,\)/\1（新）/' "$sub"
  grep -q '（新）' "$sub" || fail "could not change a question of $sub"
  isolated "$prefix/bin/veltrano-bank" build "$work/bank" "$work/DriveDB.db" >/dev/null
  cp "$work/DriveDB.db" "$prefix/share/veltrano/DriveDB.db"
  show_window
  shipped=$(bank_sql "$prefix/share/veltrano/DriveDB.db" "SELECT Value FROM BankVersion WHERE Name='ContentHash';")
  learner=$(bank_sql "$copy" "SELECT Value FROM BankVersion WHERE Name='ContentHash';")
  [ -n "$shipped" ] && [ "$shipped" = "$learner" ] || fail "the learner's bank was not replaced ($learner, not $shipped)"
  marks=$(bank_sql "$copy" "SELECT group_concat(SubID) FROM (SELECT SubID FROM Sub WHERE WrongMark<>0 ORDER BY SubID);")
  [ "$marks" = "10001,10002" ] || fail "wrong marks after the upgrade: '$marks'"
  ;;
service)
  cat >"$work/server.conf" <<CONF
listen = 127.0.0.1:0
db = $work/grades.db
CONF
  isolated "$prefix/bin/veltrano-server" --config "$work/server.conf" --check-config >"$work/check.log" ||
    { cat "$work/check.log" >&2; fail "--check-config refused good settings"; }
  grep -q "site = $prefix/share/veltrano/site" "$work/check.log" || fail "the installed site is not found"
  # Started directly (not through a function), so that its process id is the service's.
  "${hide_build[@]}" "$prefix/bin/veltrano-server" --config "$work/server.conf" 2>"$work/server.log" &
  program_pid=$!
  port=
  for i in $(seq 1 100); do
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/server.log")
    [ -z "$port" ] || break
    sleep 0.1
  done
  [ -n "$port" ] || { cat "$work/server.log" >&2; fail "the installed service did not listen"; }
  curl -sf "http://127.0.0.1:$port/health" | grep -q '"ok"' || fail "/health did not answer ok"
  curl -sf "http://127.0.0.1:$port/download/" | grep -q 'Veltrano' || fail "the installed site is not served"
  ;;
*)
  fail "unknown mode $mode"
  ;;
esac
echo "ok: $mode"
