#!/usr/bin/env bash
# installed_program.sh BUILD SAMPLES SOURCE: installs the build into a fresh prefix and checks that
# - the installed program, with an empty registry, registers and uses the module installed beside it,
#   and the thumbnailer entry, pkg-config file and CMake package are where desktops and builds look,
#   exactly the files the README's table names;
# - a second install uses the module beside it, not the one the first registered;
# - a host built from the installed headers and CMake package alone (external_host/) loads the module
#   without creating the control's window, follows the user's settings and gets a CMYK preview, for
#   files named in Cyrillic.
set -euo pipefail
build=$1 samples=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
export ALDRA_REGISTRY_DIR=$work/registry
mkdir -p "$ALDRA_REGISTRY_DIR"
"$work/prefix/bin/aldra-eps" thumbnail --size 64 "$samples/harbour.eps" "$work/thumb.png"
test -s "$work/thumb.png"
grep -q "@=\"$work/prefix/lib[^\"]*/aldra/libaldra-eps.so\"" "$ALDRA_REGISTRY_DIR/classes.reg" ||
  { echo "the installed module is not the registered one:"; grep -A1 InprocServer32 "$ALDRA_REGISTRY_DIR/classes.reg"; exit 1; }
grep -qx 'Exec=aldra-eps thumbnail --force -s %s %i %o' "$work/prefix/share/thumbnailers/aldra-eps.thumbnailer"
# A second install uses its own module, never the one the first registered (gone here), and leaves
# the first one's registration alone.
cmake --install "$build" --prefix "$work/second" >/dev/null
mv "$work/prefix/lib" "$work/first-lib"
"$work/second/bin/aldra-eps" thumbnail -s 32 "$samples/harbour.eps" - >"$work/second.png" 2>"$work/second.err"
[ ! -s "$work/second.err" ] && test -s "$work/second.png" ||
  { echo "the second install did not use its own module:"; cat "$work/second.err"; exit 1; }
grep -q "@=\"$work/prefix/lib" "$ALDRA_REGISTRY_DIR/classes.reg" ||
  { echo "the second install replaced the first one's registration"; exit 1; }
mv "$work/first-lib" "$work/prefix/lib"
test -f "$(find "$work/prefix" -name aldra-eps-filter.pc)"
# The README's table of installed files names every file installed, and each of its rows is there.
mapfile -t patterns < <(sed -n '/^| installed file |/,/^$/p' "$source/README.md" |
  sed -n 's/^| \(`[^|]*\) |.*/\1/p' | grep -o '`[^`]*`' | tr -d '`')
[ ${#patterns[@]} -gt 0 ] || { echo "the README has no table of installed files"; exit 1; }
for pattern in "${patterns[@]}"; do
  compgen -G "$work/prefix/$pattern" >/dev/null || { echo "the README names $pattern, which is not installed"; exit 1; }
done
while IFS= read -r file; do
  named=
  for pattern in "${patterns[@]}"; do
    # shellcheck disable=SC2053
    [[ $file == $pattern ]] && named=1
  done
  [ -n "$named" ] || { echo "installed but not in the README's table: $file"; exit 1; }
done < <(cd "$work/prefix" && find . -type f -o -type l | sed 's|^\./||')
# The installed headers are the public folder and the COM vocabulary it uses, nothing of the filter's
# insides.
(cd "$work/prefix/include/aldra" && find . -name '*.h' | sort | tr '\n' ' ') >"$work/headers"
(cd "$source/include/aldra" && find . -name '*.h' -printf './%P\n' | sort | tr '\n' ' ') >"$work/public"
grep -v '^\./platform/com/' <(tr ' ' '\n' <"$work/headers" | grep .) | tr '\n' ' ' | cmp -s - "$work/public" ||
  { echo "installed headers: $(cat "$work/headers")"; exit 1; }

# A sanitized build installs sanitized libraries, which a host must link with the same runtime.
flags=
grep -q '^ALDRA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" && flags=-fsanitize=address,undefined
cmake -S "$source/tests/host/external_host" -B "$work/external" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_FLAGS="$flags" >"$work/configure.log" || { cat "$work/configure.log"; exit 1; }
cmake --build "$work/external" >"$work/build.log" || { cat "$work/build.log"; exit 1; }
# The user wants only Helios layouts catalogued: the high-resolution file is refused, its layout taken.
picture="$work/Пример.eps"
cp "$samples/inks.eps" "$picture"
cp "$samples/inks.eps" "$picture.lay"
cat >"$ALDRA_REGISTRY_DIR/user.reg" <<'HIVE'
REGEDIT4

[HKEY_CURRENT_USER\Software\Aldra\FilterManager\SettingsAldra.AldraFilter.EPS.1]
"HeliosAware"=dword:00000001
"HeliosLayoutsOnly"=dword:00000001
HIVE
expected="$picture: refused 2: Helios OPI high resolution files are disabled.
$picture.lay: thumbnail 64x42, in colour"
actual=$("$work/external/external_host" "$picture" "$picture.lay")
if [ "$actual" != "$expected" ]; then
  printf 'the external host said:\n%s\nexpected:\n%s\n' "$actual" "$expected"
  exit 1
fi
echo "installed program and external host work"
