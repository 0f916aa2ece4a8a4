#!/usr/bin/env bash
# postgres_server.sh start|stop STATE [--durable]: a throwaway PostgreSQL server for the tests and the
# benchmarks, in a temporary folder, on a free port of 127.0.0.1 and a unix socket in that folder,
# trusting the local user aldra_test. `start` writes STATE/conninfo (a libpq connection string) and STATE/uri; `stop` ends the
# server and removes its folder. Without PostgreSQL installed, `start` says so and writes no conninfo,
# and the tests that need a server skip. --durable keeps fsync on, for benchmarks.
set -euo pipefail
action=$1
state=$2
durable=${3:-}
mkdir -p "$state"

# initdb refuses to run as root; the server then runs as nobody, owning its folder.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}

stop() {
  [ -f "$state/folder" ] || return 0
  local folder bin
  folder=$(cat "$state/folder")
  bin=$(cat "$state/bin")
  if [ -d "$folder/data" ]; then
    (cd "$folder" && as_owner "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1) || true
  fi
  rm -rf "$folder"
  rm -f "$state/folder" "$state/bin" "$state/conninfo" "$state/uri"
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

stop  # what an interrupted earlier run left
initdb=$(ls -d /usr/lib/postgresql/*/bin/initdb 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$initdb" ]; then
  echo "postgres_server: PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb);" \
    "the PostgreSQL catalogue tests skip. scripts/install-deps.sh installs it." >&2
  exit 0
fi
bin=$(dirname "$initdb")
folder=$(mktemp -d "${TMPDIR:-/tmp}/aldra-postgres.XXXXXX")
chmod 755 "$folder"
[ "$(id -u)" -eq 0 ] && chown nobody "$folder"
echo "$folder" >"$state/folder"
echo "$bin" >"$state/bin"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cd "$folder"
as_owner "$bin/initdb" -D "$folder/data" -U aldra_test --auth=trust -E UTF8 --locale=C --no-sync \
  >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; exit 1; }
settings="-p $port -k $folder -c listen_addresses=127.0.0.1 -c max_connections=200"
[ "$durable" = --durable ] || settings="$settings -c fsync=off -c synchronous_commit=off"
if ! as_owner "$bin/pg_ctl" -D "$folder/data" -o "$settings" -l "$folder/server.log" -w -t 60 start >/dev/null; then
  cat "$folder/server.log" >&2
  exit 1
fi
echo "host=$folder port=$port user=aldra_test dbname=postgres" >"$state/conninfo"
echo "postgresql://aldra_test@127.0.0.1:$port/postgres" >"$state/uri"
echo "postgres_server: PostgreSQL $("$bin/postgres" --version | awk '{print $3}') on port $port in $folder"
