#!/usr/bin/env bash
# installed_program.sh BUILD SAMPLE: installs the build into a fresh prefix and checks that the
# installed program, with an empty registry, registers and uses the module installed beside it, and
# that the thumbnailer entry, pkg-config file and CMake package are where desktops and builds look.
set -euo pipefail
build=$1 sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
export ALDRA_REGISTRY_DIR=$work/registry
mkdir -p "$ALDRA_REGISTRY_DIR"
"$work/prefix/bin/aldra-eps" thumbnail --size 64 "$sample" "$work/thumb.png"
test -s "$work/thumb.png"
grep -q "@=\"$work/prefix/lib[^\"]*/aldra/libaldra-eps.so\"" "$ALDRA_REGISTRY_DIR/classes.reg" ||
  { echo "the installed module is not the registered one:"; grep -A1 InprocServer32 "$ALDRA_REGISTRY_DIR/classes.reg"; exit 1; }
grep -qx 'Exec=aldra-eps thumbnail --size %s %i %o' "$work/prefix/share/thumbnailers/aldra-eps.thumbnailer"
test -f "$(find "$work/prefix" -name aldra-eps-filter.pc)"
test -f "$(find "$work/prefix" -name AldraEpsFilterConfig.cmake)"
echo "installed program works"
