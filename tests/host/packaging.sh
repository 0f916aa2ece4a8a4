#!/usr/bin/env bash
# packaging.sh BUILD SOURCE: configures the project as a distribution does (under /usr, a multiarch
# library folder, staged in DESTDIR), installs what hosts are built against, and checks that
# - no static archive is installed;
# - pkg-config answers from the staged tree and a program built with its flags links;
# - tests/host/external_host builds with the CMake package alone, taking C++20 from the target.
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
multiarch=lib/x86_64-linux-gnu
cmake -S "$source" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_INSTALL_LIBDIR=$multiarch -DALDRA_BUILD_TESTS=OFF -DALDRA_BUILD_BENCH=OFF >"$work/configure.log" ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" --target aldra_interfaces >"$work/build.log" || { cat "$work/build.log"; exit 1; }
root=$work/root
DESTDIR=$root cmake --install "$work/build" --component Development >/dev/null
# The package names the module beside the library; the module itself is the ordinary build's.
mkdir -p "$root/usr/$multiarch/aldra"
cp "$build/src/control/libaldra-eps.so" "$root/usr/$multiarch/aldra/"

archives=$(find "$root" -name '*.a')
[ -z "$archives" ] || { echo "static archives installed: $archives"; exit 1; }
test -f "$root/usr/$multiarch/pkgconfig/aldra-eps-filter.pc" || { echo "no pkg-config file in $multiarch"; exit 1; }
test -f "$root/usr/$multiarch/cmake/AldraEpsFilter/AldraEpsFilterConfig.cmake" ||
  { echo "no CMake package in $multiarch"; exit 1; }

export PKG_CONFIG_PATH=$root/usr/$multiarch/pkgconfig
flags=$(pkg-config --cflags --libs aldra-eps-filter)
# The paths go through the pkg-config file's folder; what counts is where they lead.
resolved=
for flag in $flags; do
  case $flag in -I* | -L*) resolved+=" ${flag:0:2}$(realpath -m "${flag:2}")" ;; *) resolved+=" $flag" ;; esac
done
for expected in "-I$root/usr/include/aldra" "-L$root/usr/$multiarch" -laldra-com; do
  [[ "$resolved " == *" $expected "* ]] || { echo "pkg-config gave '$flags', lacking $expected"; exit 1; }
done
moduledir=$(realpath -m "$(pkg-config --variable=moduledir aldra-eps-filter)")
[ "$moduledir" = "$root/usr/$multiarch/aldra" ] || { echo "moduledir: $moduledir"; exit 1; }
cat >"$work/probe.cpp" <<'CPP'
#include "aldra/Guids.h"
#include "aldra/Picture.h"
int main() {
    aldra::BSTR text = aldra::SysAllocString(u"x");
    bool ok = aldra::SysStringLen(text) == 1;
    aldra::SysFreeString(text);
    return ok ? 0 : 1;
}
CPP
# shellcheck disable=SC2086
c++ -std=c++20 "$work/probe.cpp" -o "$work/probe" $flags
LD_LIBRARY_PATH=$root/usr/$multiarch "$work/probe" || { echo "the pkg-config probe did not run"; exit 1; }

cmake -S "$source/tests/host/external_host" -B "$work/external" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" \
  >"$work/external-configure.log" || { cat "$work/external-configure.log"; exit 1; }
cmake --build "$work/external" >"$work/external-build.log" || { cat "$work/external-build.log"; exit 1; }
echo "packaging works under /usr with $multiarch"
