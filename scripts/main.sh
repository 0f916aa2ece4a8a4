#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Until the catalogue host exists, the main job is the line-reader demo over a generated EPS file.
./build/bench/bench_read_line --benchmark_min_time=0.2
