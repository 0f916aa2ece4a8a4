#!/usr/bin/env bash
# Installs what is missing, builds plain and under ASan+UBSan, and runs every test in both builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
bash scripts/build.sh build-asan -DALDRA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ctest --output-on-failure -j "$(nproc)")
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cd build && ctest --output-on-failure -j "$(nproc)"
