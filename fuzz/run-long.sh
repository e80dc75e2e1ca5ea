#!/usr/bin/env bash
# Long fuzzing run of every target: fuzz/run-long.sh [SECONDS_EACH] (default 600).
# Copy any crash input it reports into fuzz/seeds/<target>/ to keep it as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh fuzz
fuzz/run.sh build/fuzz "${1:-600}"
