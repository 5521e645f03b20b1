#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL cluster on a free loopback port.
#   pg_cluster.sh start STATE_DIR   -> STATE_DIR/url holds postgresql://postgres@127.0.0.1:PORT/postgres
#   pg_cluster.sh stop STATE_DIR    -> stops the cluster and removes its files
# initdb refuses to run as root, so under root the cluster belongs to the postgres account.
set -euo pipefail

action=$1
state=$2
PG_BIN=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}
as_owner=()
[ "$(id -u)" -ne 0 ] || as_owner=(runuser -u postgres --)

free_port() {
  local port
  for _ in $(seq 1 100); do
    port=$((20000 + RANDOM % 30000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

start() {
  stop
  mkdir -p "$state"
  local data
  data=$(mktemp -d /tmp/veltrano-pg.XXXXXX)
  chmod 0700 "$data"
  [ ${#as_owner[@]} -eq 0 ] || chown postgres:postgres "$data"
  echo "$data" >"$state/data"
  "${as_owner[@]}" "$PG_BIN/initdb" -D "$data/db" -A trust -U postgres -E UTF8 --no-locale \
    --no-sync >"$data/initdb.log"
  local port
  for _ in 1 2 3 4 5; do
    port=$(free_port)
    if "${as_owner[@]}" "$PG_BIN/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 30 \
      -o "-p $port -k $data -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" \
      start >/dev/null; then
      echo "postgresql://postgres@127.0.0.1:$port/postgres" >"$state/url"
      return 0
    fi
  done
  cat "$data/server.log" >&2
  return 1
}

stop() {
  [ -f "$state/data" ] || return 0
  local data
  data=$(cat "$state/data")
  "${as_owner[@]}" "$PG_BIN/pg_ctl" -D "$data/db" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$data" "$state/data" "$state/url"
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac
