#!/usr/bin/env bash
# missing_libraries.sh PROGRAM: the libraries the filter loads on first need (FreeType and fontconfig
# for text, SQLite for a catalogue) are hidden from the program one at a time under bubblewrap. Text
# is then left undrawn and a catalogue refused with a message; nothing crashes.
set -euo pipefail
program=$1
if ! command -v bwrap >/dev/null; then echo "bwrap is not installed"; exit 1; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ALDRA_REGISTRY_DIR=$work/registry XDG_CACHE_HOME=$work/cache
printf '%s\n' '%!PS-Adobe-2.0 EPSF-1.2' '%%Creator: Adobe Illustrator(TM) 1.1' '%%BoundingBox: 0 0 200 100' \
  '%%EndComments' '%%EndProlog' '0 g' '0 To' '1 0 0 1 10 40 0 Tp' 'TP' '0 Tr' '/_Helvetica-Bold 36 Tf' \
  '(Hello) Tx' 'TO' '%%Trailer' >"$work/text.ai"

without() {  # without SONAME COMMAND...: runs the command with the library masked by an empty file
  local path
  path=$(ldconfig -p | awk -v name="$1" '$1 == name { print $NF; exit }')
  [ -n "$path" ] || { echo "$1 is not installed here"; exit 1; }
  shift
  bwrap --dev-bind / / --ro-bind /dev/null "$(realpath "$path")" "$@"
}

for library in libfreetype.so.6 libfontconfig.so.1; do
  rm -f "$work/out.png"
  without "$library" "$program" thumbnail "$work/text.ai" "$work/out.png" ||
    { echo "without $library the text drawing gave no thumbnail"; exit 1; }
  head -c 8 "$work/out.png" | od -An -c | grep -q 'P   N   G' || { echo "without $library: not a PNG"; exit 1; }
done

set +e
message=$(without libsqlite3.so.0 "$program" catalog "$work" --db "$work/catalog.sqlite" -q 2>&1)
status=$?
set -e
[ "$status" != 0 ] && [ "$status" -lt 128 ] || { echo "catalog without SQLite: exit status $status"; exit 1; }
grep -q "SQLite" <<<"$message" || { echo "catalog without SQLite said: $message"; exit 1; }
echo "ok"
