#!/usr/bin/env bash
# bench_catalog.sh [BUILD] [COUNT]: files per second for `aldra-eps catalog` over a generated folder of
# COUNT mixed files (default 10,000), with and without thumbnails, with 1 and 2 worker processes. Each
# case starts from an empty catalogue, and a last run shows what an unchanged folder costs. The peak
# memory (largest resident set of the run and its workers, /usr/bin/time) shows whether it grows with
# the folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
count=${2:-10000}
host=$build/src/host/aldra-eps
maker=$build/tools/samples/aldra_make_mixed_folder
for program in "$host" "$maker"; do
  [ -x "$program" ] || { echo "bench_catalog: $program is missing; build first (scripts/main.sh)" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/aldra-bench-catalog.XXXXXX")
trap 'rm -rf "$work"' EXIT
export ALDRA_REGISTRY_DIR=$work/registry
mkdir -p "$ALDRA_REGISTRY_DIR"
"$maker" "$count" "$work/files" >/dev/null
echo "folder: $count mixed files, $(du -sh "$work/files" | cut -f1)"
printf '%-6s %-11s %10s %12s %8s\n' jobs thumbnails seconds files/s 'peak MB'
run() {
  local jobs=$1 size=$2 label=$3 start end
  start=$(date +%s.%N)
  /usr/bin/time -f %M -o "$work/peak" \
    "$host" catalog "$work/files" --db "$work/catalog.sqlite" --jobs "$jobs" --thumb-size "$size" --quiet >/dev/null
  end=$(date +%s.%N)
  python3 -c "import sys; s=float(sys.argv[2])-float(sys.argv[1]); print('%-6s %-11s %10.2f %12.0f %8.1f' % (sys.argv[3], sys.argv[4], s, int(sys.argv[5])/s, int(sys.argv[6])/1024))" \
    "$start" "$end" "$jobs" "$label" "$count" "$(tail -1 "$work/peak")"
}
for jobs in 1 2; do
  for size in 0 256; do
    rm -f "$work"/catalog.sqlite*
    run "$jobs" "$size" "$([ "$size" = 0 ] && echo none || echo "$size px")"
  done
done
run 2 256 "unchanged"
