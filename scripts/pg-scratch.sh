# Sourced by the test script: starts and stops a throw-away PostgreSQL cluster on loopback and
# exports HALBERON_TEST_PG_URL for the tests that use it.
pg_scratch_dir=""

pg_scratch_start() {
  local bindir
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -x "$bindir/initdb" ] || return 1
  pg_scratch_dir=$(mktemp -d /tmp/halberon-pg.XXXXXX)
  local run=()
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres "$pg_scratch_dir"
    run=(runuser -u postgres --)
  fi
  local port=$((20000 + RANDOM % 20000))
  "${run[@]}" "$bindir/initdb" -D "$pg_scratch_dir/data" -U halberon --auth=trust >/dev/null || return 1
  "${run[@]}" "$bindir/pg_ctl" -D "$pg_scratch_dir/data" -l "$pg_scratch_dir/log" -w \
    -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$pg_scratch_dir" \
    start >/dev/null || return 1
  "${run[@]}" "$bindir/createdb" -h 127.0.0.1 -p "$port" -U halberon halberon_test || return 1
  export HALBERON_TEST_PG_URL="postgresql://halberon@127.0.0.1:$port/halberon_test"
  export PG_SCRATCH_BIN="$bindir"
  echo "test: PostgreSQL scratch cluster at $HALBERON_TEST_PG_URL"
}

pg_scratch_stop() {
  [ -n "$pg_scratch_dir" ] || return 0
  local run=()
  [ "$(id -u)" -eq 0 ] && run=(runuser -u postgres --)
  "${run[@]}" "$PG_SCRATCH_BIN/pg_ctl" -D "$pg_scratch_dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$pg_scratch_dir"
}
