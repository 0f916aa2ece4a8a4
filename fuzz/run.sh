#!/usr/bin/env bash
# fuzz/run.sh [SECONDS [TARGET...]]: builds every fuzzer with clang 14, ASan and UBSan in
# build-fuzz/, writes the seeds, and runs each target (or only those named) for SECONDS (default 60)
# on its corpus, which is kept under build-fuzz/fuzz/run/corpus and grows from run to run
# (ALDRA_FUZZ_FRESH=1 starts from the seeds).
# Every crash, leak, hang or out-of-memory input becomes tests/regressions/<target>/crash-<sha1>, which
# the normal tests replay; the script then exits 1 and names them. At the end it prints executions per
# second and coverage per target (also in build-fuzz/fuzz/run/summary.tsv).
#   ALDRA_FUZZ_BUILD  build folder (default build-fuzz)   ALDRA_FUZZ_JOBS  build jobs (default 2)
set -euo pipefail

seconds=${1:-60}
case $seconds in '' | *[!0-9]*) echo "usage: $0 [SECONDS [TARGET...]]" >&2; exit 2 ;; esac
shift $(($# > 0 ? 1 : 0))
only=" $* "
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ALDRA_FUZZ_BUILD:-$root/build-fuzz}
jobs=${ALDRA_FUZZ_JOBS:-2}

bash "$root/scripts/install-deps.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DALDRA_FUZZ=ON -DALDRA_BUILD_TESTS=OFF -DALDRA_BUILD_BENCH=OFF
fi
cmake --build "$build" --target fuzz -j "$jobs"

run=$build/fuzz/run
rm -rf "$run/seeds" "$run/artifacts" "$run/tmp" "$run/logs"
if [ "${ALDRA_FUZZ_FRESH:-0}" = 1 ]; then rm -rf "$run/corpus"; fi
mkdir -p "$run/seeds" "$run/artifacts" "$run/tmp" "$run/logs" "$run/corpus"
"$build/fuzz/make_seeds" "$run/seeds"
# The targets' scratch folders live here, so that a run that dies leaves nothing in the real /tmp.
export TMPDIR=$run/tmp
# Leaks fail the run like crashes; UBSan findings abort (the build does not recover from them).
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Leaks inside the system's libraries that the filter cannot free are listed there.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/support/lsan.supp:print_suppressions=0}

found=()
printf 'target\tseconds\texecs_per_sec\tcoverage\tfeatures\tcorpus\tresult\n' >"$run/summary.tsv"
while read -r name max_len dict; do
  [ -n "$name" ] || continue
  if [ "$only" != "  " ] && [[ $only != *" $name "* ]]; then continue; fi
  corpus=$run/corpus/$name
  artifacts=$run/artifacts/$name
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$name: ${seconds}s, max_len $max_len"
  status=0
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len="$max_len" -dict="$dict" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "$run/seeds/$name" >"$run/logs/$name.log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$run/logs/$name.log" | tail -n 1)
  last=$(grep -E '^#[0-9]+' "$run/logs/$name.log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  units=$(find "$corpus" -type f | wc -l)
  result=ok
  for artifact in "$artifacts"/*; do
    [ -f "$artifact" ] || continue
    sha=$(sha1sum "$artifact" | cut -d' ' -f1)
    mkdir -p "$root/tests/regressions/$name"
    kept=$root/tests/regressions/$name/crash-$sha
    cp "$artifact" "$kept"
    found+=("${kept#"$root"/} ($(basename "$artifact" | cut -d- -f1))")
    result=finding
  done
  if [ "$status" -ne 0 ] && [ "$result" = ok ]; then
    result="exit $status"
    found+=("fuzz_$name exited $status without an input: see $run/logs/$name.log")
  fi
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$seconds" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$units" \
    "$result" >>"$run/summary.tsv"
  echo "   ${execs:-?} execs/s, cov ${cov:-?}, ft ${ft:-?}, corpus $units: $result"
done <"$build/fuzz/targets.txt"

echo
column -t -s $'\t' "$run/summary.tsv" 2>/dev/null || cat "$run/summary.tsv"
if [ ${#found[@]} -gt 0 ]; then
  echo
  echo "findings (logs in $run/logs):"
  printf '  %s\n' "${found[@]}"
  exit 1
fi
