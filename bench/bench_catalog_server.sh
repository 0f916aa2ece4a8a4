#!/usr/bin/env bash
# bench_catalog_server.sh [BUILD] [COUNT] [JOBS]: files per second for `aldra-eps catalog` filling one
# catalogue on a PostgreSQL server with 1, 2 and 4 runs at once (as 1, 2 and 4 machines would, each
# with JOBS worker processes, default 1), and the same folder into an SQLite file by one run, over a
# generated folder of COUNT mixed files (default 5,000) with 256-pixel thumbnails. Each case starts
# from an empty catalogue; the server (fsync on) is the benchmark's own, in a temporary folder. On a
# machine of few cores the runs share its cores, so the figures show what claiming costs and what the
# server takes, not how machines add up. The peak memory is the largest resident set of any one run
# (or its workers).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
count=${2:-5000}
jobs=${3:-1}
host=$build/src/host/aldra-eps
maker=$build/tools/samples/aldra_make_mixed_folder
for program in "$host" "$maker"; do
  [ -x "$program" ] || { echo "bench_catalog_server: $program is missing; build first (scripts/main.sh)" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/aldra-bench-server.XXXXXX")
cleanup() {
  bash "$root/scripts/postgres_server.sh" stop "$work/server" || true
  rm -rf "$work"
}
trap cleanup EXIT
bash "$root/scripts/postgres_server.sh" start "$work/server" --durable >/dev/null
uri=$(cat "$work/server/uri")
[ -n "$uri" ] || { echo "bench_catalog_server: PostgreSQL is not installed" >&2; exit 2; }
export ALDRA_REGISTRY_DIR=$work/registry
mkdir -p "$ALDRA_REGISTRY_DIR"
"$maker" "$count" "$work/files" >/dev/null
echo "folder: $count mixed files, $(du -sh "$work/files" | cut -f1); $jobs worker(s) per run; $(nproc) cores"
printf '%-22s %10s %12s %8s %8s\n' catalogue seconds files/s rows 'peak MB'

# Runs `catalog` $1 times at once into $2; prints the line of the table.
measure() {
  local runs=$1 db=$2 label=$3 start end pids=() rows
  start=$(date +%s.%N)
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f %M -o "$work/peak$i" \
      "$host" catalog "$work/files" --db "$db" --jobs "$jobs" --thumb-size 256 --quiet >"$work/run$i.out" 2>&1 &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || { cat "$work"/run*.out >&2; exit 1; }; done
  end=$(date +%s.%N)
  if [[ $db == postgresql://* ]]; then
    rows=$(psql -XAtq "$db" -c "SELECT count(*) FROM files")
  else
    rows=$(sqlite3 "$db" "SELECT count(*) FROM files")
  fi
  peak=$(for ((i = 0; i < runs; i++)); do tail -1 "$work/peak$i"; done | sort -n | tail -1)
  python3 -c "import sys; s=float(sys.argv[2])-float(sys.argv[1]); print('%-22s %10.2f %12.0f %8s %8.1f' % (sys.argv[3], s, int(sys.argv[4])/s, sys.argv[5], int(sys.argv[6])/1024))" \
    "$start" "$end" "$label" "$count" "$rows" "$peak"
}

# A first run reads the folder into the page cache and warms what the filter loads once, so that the
# first case measured pays nothing the others do not.
"$host" catalog "$work/files" --db "$work/warm.sqlite" --thumb-size 256 --quiet >/dev/null 2>&1
for runs in 1 2 4; do
  name=bench_$runs
  psql -XAtq "$uri" -c "CREATE DATABASE $name"
  measure "$runs" "${uri%/*}/$name" "PostgreSQL, $runs run(s)"
done
measure 1 "$work/catalog.sqlite" "SQLite, 1 run"
