#!/usr/bin/env bash
# compare.sh [--quick] [--build DIR] [--out DIR] [--runs N] [--no-install] [FOLDER]
#
# aldra-eps against ExifTool and Ghostscript, whole processes, several runs: metadata over a folder in
# one process and one process per file, 256-pixel thumbnails from stored previews, Illustrator drawings
# without a preview drawn by the filter's interpreter and by Ghostscript, a process that only reads the
# first 32 KiB of each file, peak memory and cost against file size. Then the fields both programs
# report are compared (bench/compare_fields.py).
#
# Installs what is missing (the build's packages, ExifTool, Ghostscript, GNU time, matplotlib), builds
# the host and the folder generator into DIR (default build-bench, Release), and without FOLDER writes
# a mixed folder of 2,000 files (200 with --quick) and 36 drawings (12 with --quick). Results go to
# DIR/compare/ (or --out): measures.csv, ratios.csv, per_kind.csv, sizes.csv, memory.csv, fields.csv,
# table.md and compare.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
quick=0
runs=""
install=1
folder=""
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --build) build=$(realpath -m "$2"); shift ;;
    --out) out=$(realpath -m "$2"); shift ;;
    --runs) runs=$2; shift ;;
    --no-install) install=0 ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "compare: unknown option $1" >&2; exit 2 ;;
    *) folder=$(realpath "$1") ;;
  esac
  shift
done
out=${out:-$build/compare}
python=/usr/bin/python3  # Debian's, which sees the packaged matplotlib

# ---- what the run needs ----------------------------------------------------------------------------
if [ "$install" = 1 ]; then
  bash "$root/scripts/install-deps.sh"
  missing=()
  for p in libimage-exiftool-perl ghostscript time python3 python3-matplotlib; do
    if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then missing+=("$p"); fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    echo "compare: installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi
for program in exiftool gs /usr/bin/time cc "$python"; do
  command -v "$program" >/dev/null || { echo "compare: $program is missing (run without --no-install)" >&2; exit 2; }
done

host=$build/src/host/aldra-eps
maker=$build/tools/samples/aldra_make_compare_folder
artmaker=$build/bench/aldra_make_artwork_folder
if [ ! -f "$build/build.ninja" ]; then
  echo "compare: building into $build"
  bash "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release
elif ! cmake --build "$build" -j "$(nproc)" --target aldra_eps_host aldra_make_compare_folder aldra_make_artwork_folder >"$build/compare-build.log" 2>&1; then
  if [ -x "$host" ] && [ -x "$maker" ] && [ -x "$artmaker" ]; then
    echo "compare: warning: the build failed (see $build/compare-build.log); measuring the programs built before" >&2
  else
    cat "$build/compare-build.log" >&2
    exit 2
  fi
fi
mkdir -p "$out"
floor=$out/floor32k
if [ ! -x "$floor" ] || [ "$root/bench/floor32k.c" -nt "$floor" ]; then
  cc -O2 -o "$floor" "$root/bench/floor32k.c"
fi

# ---- the folders -----------------------------------------------------------------------------------
# Written again only when the generator's sources or the request changed.
generate() {
  local target=$1; shift
  local stamp="$target.stamp" want
  want="$(cat "$root"/tools/samples/{CompareFiles.h,MakeCompareFolder.cpp,SampleFiles.h} \
    "$root"/tools/fixtures/*.{h,cpp} | md5sum | cut -d' ' -f1) $*"
  if [ -d "$target" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then return; fi
  rm -rf "$target" "$stamp"
  echo "compare: writing $target"
  "$maker" "$@" >/dev/null
  echo "$want" >"$stamp"
}
if [ "$quick" = 1 ]; then
  count=200; large=20; subset=60; runs=${runs:-3}; slow=2
else
  count=2000; large=20,60,200; subset=300; runs=${runs:-5}; slow=3
fi
if [ -z "$folder" ]; then
  folder=$out/folder-$count
  generate "$folder" "$count" "$folder" --large "$large"
fi
sizes=$out/sizes
generate "$sizes" --sizes 1,10,100 "$sizes"
# The drawings: written again only when their builder changed.
art_count=$([ "$quick" = 1 ] && echo 12 || echo 36)
artwork=$out/artwork-$art_count
art_want="$(cat "$root"/tools/fixtures/ArtworkFile.{h,cpp} "$root"/bench/make_artwork_folder.cpp | md5sum | cut -d' ' -f1)"
if [ ! -d "$artwork" ] || [ "$(cat "$artwork.stamp" 2>/dev/null)" != "$art_want" ]; then
  rm -rf "$artwork"
  echo "compare: writing $artwork"
  "$artmaker" "$art_count" "$artwork"
  echo "$art_want" >"$artwork.stamp"
fi

machine="$(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), \
$(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo) RAM, $(. /etc/os-release && echo "$PRETTY_NAME"), \
ExifTool $(exiftool -ver), Ghostscript $(gs --version)"

# ---- the measurements ------------------------------------------------------------------------------
export ALDRA_REGISTRY_DIR=$out/registry
mkdir -p "$ALDRA_REGISTRY_DIR"
"$python" "$root/bench/compare_run.py" --host "$host" --floor "$floor" --folder "$folder" --sizes-folder "$sizes" \
  --out "$out" --runs "$runs" --slow-runs "$slow" --subset "$subset" --machine "$machine" --artwork-folder "$artwork"

echo
echo "Fields both report, aldra-eps against ExifTool:"
"$python" "$root/bench/compare_fields.py" --host "$host" --out "$out" "$folder" | tee "$out/fields.txt"
