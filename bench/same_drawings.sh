#!/usr/bin/env bash
# same_drawings.sh HOST OUT [FOLDER...]: draws every Illustrator file of the folders (default: the
# corpus beside the checkout) without its stored preview at three sizes into OUT, one PNG a file and
# size. Run it with two builds and compare the folders with `cmp`/`diff -r` to show that a change to
# the interpreter or the drawing layer leaves every picture as it was.
set -euo pipefail
host=$1; out=$2; shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/../shared/corpus"
mkdir -p "$out"
find "$@" -type f | sort | while read -r f; do
  # PostScript text or a DOS EPS binary header, then an Illustrator creator among the first lines.
  magic=$(head -c 4 "$f" | od -An -tx1 | tr -d ' \n')
  case $magic in 2521* | c5d0d3c6) ;; *) continue ;; esac
  head -c 4096 "$f" | grep -aq '%%Creator:[[:space:]]*Adobe Illustrator' || continue
  name=$(echo "${f#/}" | tr '/' '_')
  for size in 96 256 800; do
    "$host" thumbnail --force --size "$size" --prefer rendered "$f" "$out/$name.$size.png" >/dev/null 2>&1 ||
      echo "no picture" >"$out/$name.$size.none"
  done
done
echo "same_drawings: $(ls "$out" | wc -l) outputs in $out"
