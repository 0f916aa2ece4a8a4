#!/usr/bin/env bash
# The CI job: builds every fuzzer and runs each for 25 seconds from its seeds alone, so that a run
# does not depend on what earlier runs on the same machine found (twenty-one targets keep the whole CI
# run under half an hour). Fails, naming the inputs, when anything is found; those inputs are then in
# tests/regressions/ for the normal tests to replay.
set -euo pipefail
ALDRA_FUZZ_FRESH=1 exec bash "$(dirname "$0")/run.sh" 25
