#!/usr/bin/env bash
# Benchmarks procSelectGrade of the grade service over 100,000 stored grades with 64
# concurrent keep-alive connections, on SQLite and on PostgreSQL, against the same SELECT
# sent straight to the store in the same run (pgbench for PostgreSQL); procInsertGrade with
# 64 connections; and, on SQLite, one normal client's latency while 500 slow clients and
# while 1,000 idle connections hold the service.
#   bash bench/grade_service/grade_service.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BIN="$(cd "${1:-$ROOT/build}" && pwd)/bin"
SECONDS_EACH=${2:-10}
CONNECTIONS=64
GRADES=100000
IDS=10000
SLOW=500
IDLE=1000
# The attacks and the service each hold over a thousand sockets.
ulimit -n "$(ulimit -Hn)"
PG_BIN=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}

work=$(mktemp -d /tmp/veltrano-bench.XXXXXX)
server_pid=""
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  bash "$ROOT/tests/server/pg_cluster.sh" stop "$work/pg" || true
  rm -rf "$work"
}
trap cleanup EXIT

# Starts the service, with its default workers, on a free loopback port and sets $port.
start_service() {
  # The load comes from one address: room for connections still closing beside new ones.
  "$BIN/veltrano-server" --listen 127.0.0.1:0 --db "$1" --max-per-address $((CONNECTIONS * 4)) \
    2>"$work/service.log" &
  server_pid=$!
  for _ in $(seq 1 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/service.log")
    [ -z "$port" ] || return 0
    sleep 0.1
  done
  cat "$work/service.log" >&2
  return 1
}

stop_service() {
  kill -TERM "$server_pid"
  wait "$server_pid" || true
  server_pid=""
}

field() { sed -n "s/.*[ ]$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

# Processor time the service has used so far, in clock ticks.
service_ticks() { awk '{ print $14 + $15 }' "/proc/$server_pid/stat"; }

# A load against the service; its line gains the service's processor time per request.
measure_service() {
  local before line after
  before=$(service_ticks)
  line=$("$BIN/bench-grade-service" "$@")
  after=$(service_ticks)
  awk -v l="$line" -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" 'BEGIN {
    n = l; sub(/.*requests=/, "", n); sub(/ .*/, "", n)
    printf "%s service_cpu=%.1fus\n", l, (n > 0 ? t / hz * 1e6 / n : 0) }'
}

report() { # label service-line store-line
  local st sp ss sq
  st=$(field throughput "$2"); sp=$(field p99 "$2")
  ss=$(field throughput "$3"); sq=$(field p99 "$3")
  echo "$1: $2"
  echo "$1: $3"
  awk -v st="$st" -v ss="$ss" -v sp="$sp" -v sq="$sq" -v l="$1" 'BEGIN {
    printf "%s: throughput ratio service/store = %.3f, p99 latency ratio service/store = %.2f\n",
           l, st / ss, sp / sq }'
  # Processor time per request is what throughput would follow on a machine of our own:
  # the service and its load generator against the store's own query.
  local sc gc qc
  sc=$(field service_cpu "$2"); gc=$(field cpu "$2"); qc=$(field cpu "$3")
  [ -z "$qc" ] || awk -v sc="$sc" -v gc="$gc" -v qc="$qc" -v l="$1" 'BEGIN {
    printf "%s: cpu per request: service %.1f us + load generator %.1f us, store %.1f us; ratio store/(service+generator) = %.3f\n",
           l, sc, gc, qc, qc / (sc + gc) }'
}

bench_sqlite() {
  local db="$work/grades.db"
  "$BIN/veltrano-server" list-grades none --db "$db" >/dev/null
  "$BIN/bench-grade-service" seed-sqlite "$db" "$GRADES" "$IDS"
  local store service
  store=$("$BIN/bench-grade-service" sqlite "$db" "$CONNECTIONS" "$SECONDS_EACH" "$IDS")
  start_service "$db"
  service=$(measure_service http "$port" "$CONNECTIONS" "$SECONDS_EACH" "$IDS")
  echo "SQLite: $(measure_service http-insert "$port" "$CONNECTIONS" "$SECONDS_EACH" "$IDS")"
  echo "SQLite: $("$BIN/bench-grade-service" attacked "$port" slow "$SLOW" "$SECONDS_EACH")"
  echo "SQLite: $("$BIN/bench-grade-service" attacked "$port" idle "$IDLE" "$SECONDS_EACH")"
  stop_service
  report SQLite "$service" "$store"
}

# pgbench prints tps; its per-transaction log gives the latencies for the 99th percentile.
pgbench_line() {
  local url=$1 script="$work/select.sql" out
  cat >"$script" <<SQL
\set id random(1, $IDS)
SELECT * FROM procSelectGrade(:id::text, 90);
SQL
  out=$(cd "$work" && "$PG_BIN/pgbench" -n -M prepared -c "$CONNECTIONS" -j 4 -T "$SECONDS_EACH" \
    -f "$script" --log --log-prefix="$work/pgb" "$url" 2>/dev/null)
  local tps p99 count
  tps=$(sed -n 's/^tps = \([0-9.]*\).*/\1/p' <<<"$out" | head -n 1)
  count=$(cat "$work"/pgb* | wc -l)
  p99=$(cat "$work"/pgb* | awk '{print $3}' | sort -n |
    awk -v n="$count" 'NR == int(n * 0.99) + 1 { printf "%.3f", $1 / 1000 }')
  echo "store requests=$count throughput=$tps/s p99=${p99}ms"
}

bench_postgresql() {
  bash "$ROOT/tests/server/pg_cluster.sh" start "$work/pg"
  local url
  url=$(cat "$work/pg/url")
  "$BIN/veltrano-server" list-grades none --db "$url" >/dev/null
  # Measured in a steady state, as pgbench's own set-up leaves it: the bulk load vacuumed and
  # checkpointed, so neither side pays for setting hint bits or for a checkpoint it triggered.
  "$PG_BIN/psql" -q "$url" -c "INSERT INTO grades (emp_id, emp_name, use_time, mark, refer_date)
    SELECT (g % $IDS + 1)::text, 'n', g % 2700, 90 + g % 11, now() - g * interval '1 second'
    FROM generate_series(1, $GRADES) g;" -c "VACUUM ANALYZE grades" -c "CHECKPOINT"
  local store service
  store=$(pgbench_line "$url")
  start_service "$url"
  service=$(measure_service http "$port" "$CONNECTIONS" "$SECONDS_EACH" "$IDS")
  echo "PostgreSQL: $(measure_service http-insert "$port" "$CONNECTIONS" "$SECONDS_EACH" "$IDS")"
  stop_service
  report PostgreSQL "$service" "$store"
}

# Inserts on SQLite from 1, 8 and 64 concurrent clients: with writes serialised, the p99
# of many writers stays within a small multiple of the single writer's.
bench_sqlite_inserts() {
  local db="$work/inserts.db" single line
  start_service "$db"
  for clients in 1 8 64; do
    line=$("$BIN/bench-grade-service" http-insert "$port" "$clients" "$SECONDS_EACH" "$IDS")
    echo "SQLite inserts: $line"
    [ "$clients" -ne 1 ] || single=$(field p99 "$line")
    awk -v p="$(field p99 "$line")" -v s="$single" -v c="$clients" 'BEGIN {
      printf "SQLite inserts: p99 ratio %d clients/1 client = %.2f\n", c, p / s }'
  done
  stop_service
}

bench_sqlite
bench_sqlite_inserts
bench_postgresql
