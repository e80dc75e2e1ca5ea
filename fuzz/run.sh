#!/usr/bin/env bash
# Runs every fuzz target for a bounded time: fuzz/run.sh BUILD_DIR SECONDS_EACH.
# Seeds and kept crash inputs live in fuzz/seeds/<target>; new corpus entries stay in the build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=${2:-10}
status=0
for bin in "$build"/bin/*_fuzz; do
  name=$(basename "$bin" _fuzz)
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts" "$here/seeds/$name"
  log="$build/$name-${seconds}s.log"  # a long run and a smoke run may overlap
  if "$bin" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts" \
       "$corpus" "$here/seeds/$name" >"$log" 2>&1; then
    runs=$(grep -a -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz $name: $runs runs in ${seconds}s ($((runs / seconds)) exec/s), no finding"
  else
    echo "fuzz $name: FINDING, see $log and $artifacts" >&2
    tail -30 "$log" >&2
    status=1
  fi
done
exit $status
