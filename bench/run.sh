#!/usr/bin/env bash
# Measures Vorbel against baselines taken in the same run, in a Wine prefix and X screen of its
# own. Each line is a ratio (these machines are noisy: absolute times mean nothing) or, for the
# capture from a hung program, the bounded time per field. Takes about two minutes.
#   bench/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/install-deps.sh
# Never the tests' prefix: a test run may go on at the same time.
export WINEPREFIX=$root/build/wineprefix-bench
export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
. tests/rig/wine-env.sh
# The x86 build where this host runs it, else the x64 one (VORBEL_ARCHS can choose).
arch=$(wine_arch_pick)
tools/build.sh "$(wine_arch_build "$arch")" >/dev/null
wine_arch_use "$arch"
bin=$WINE_ARCH_BIN
echo "Measuring the $arch build."
started=()
cleanup() {
  local p
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  wine_env_stop
}
trap cleanup EXIT
wine_env_start own "$bin/keepalive.exe"

timeout 180 wine "$bin/bench_link_latency.exe"
timeout 300 wine "$bin/bench_tree_fill.exe"
timeout 120 wine "$bin/bench_hung_capture.exe"

# 4. Footprint. Private memory is what Linux counts as private to the process (clean and dirty
# pages), read once the program has sat idle; Wine's own share is the same in both programs.
size=$(stat -c %s "$bin/Vorbel.exe")
private_kb() {
  awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s}' "/proc/$1/smaps_rollup"
}
wine "$bin/Vorbel.exe" >/dev/null 2>&1 </dev/null &
vorbel=$!
started+=("$vorbel")
wine "$bin/bench_bare_window.exe" >/dev/null 2>&1 </dev/null &
bare=$!
started+=("$bare")
sleep 8
grep -q 'Vorbel.exe' "/proc/$vorbel/cmdline" || { echo "FAILED: Vorbel.exe is not running"; exit 1; }
grep -q 'bench_bare_window.exe' "/proc/$bare/cmdline" || { echo "FAILED: the bare window is not running"; exit 1; }
vorbel_kb=$(private_kb "$vorbel")
bare_kb=$(private_kb "$bare")
LC_ALL=C awk -v size="$size" -v v="$vorbel_kb" -v b="$bare_kb" 'BEGIN {
  printf "4. Footprint: Vorbel.exe %d KB (target <= 600 KB); idle private memory %.2f of a bare Win32 window process (target <= 1.5)\n", size / 1024, v / b
}'
