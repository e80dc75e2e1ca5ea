#!/usr/bin/env bash
# Measures Vorbel against baselines taken in the same run, in a Wine prefix and X screen of its
# own, for each Windows build this host runs (VORBEL_ARCHS can choose). Each line is a ratio
# (these machines are noisy: absolute times mean nothing), the bounded time per field of the
# capture from a hung program, a size, or the DLLs that each stage loads. About two minutes a
# build.
#   bench/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/install-deps.sh
# Never the tests' prefix: a test run may go on at the same time.
export WINEPREFIX=$root/build/wineprefix-bench
export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
. tests/rig/wine-env.sh

started=()
cleanup() {
  local p
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  wine_env_stop
}
trap cleanup EXIT

private_kb() {
  awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s}' "/proc/$1/smaps_rollup"
}

# 4. Footprint. Private memory is what Linux counts as private to the process (clean and dirty
# pages), read once the program has sat idle; Wine's own share is the same in both programs.
footprint() {
  local bin=$1 size_target=$2 vorbel bare
  wine "$bin/Vorbel.exe" >/dev/null 2>&1 </dev/null &
  vorbel=$!
  started+=("$vorbel")
  wine "$bin/bench_bare_window.exe" >/dev/null 2>&1 </dev/null &
  bare=$!
  started+=("$bare")
  sleep 8
  grep -q 'Vorbel.exe' "/proc/$vorbel/cmdline" || { echo "FAILED: Vorbel.exe is not running"; exit 1; }
  grep -q 'bench_bare_window.exe' "/proc/$bare/cmdline" || { echo "FAILED: the bare window is not running"; exit 1; }
  LC_ALL=C awk -v size="$(stat -c %s "$bin/Vorbel.exe")" -v target="$size_target" \
      -v v="$(private_kb "$vorbel")" -v b="$(private_kb "$bare")" 'BEGIN {
    printf "4. Footprint: Vorbel.exe %d KB (target <= %d KB); idle private memory %.2f of a bare Win32 window process (target <= 1.3)\n", size / 1024, target, v / b
  }'
  kill "$vorbel" "$bare" 2>/dev/null || true
  wait "$vorbel" "$bare" 2>/dev/null || true
  started=()
}

measured=0
for arch in $(wine_archs_wanted); do
  if ! wine_arch_runs "$arch"; then
    echo "== $arch build: not measured, $(wine_arch_why_not "$arch")"
    continue
  fi
  tools/build.sh "$(wine_arch_build "$arch")" >/dev/null
  wine_arch_use "$arch"
  bin=$WINE_ARCH_BIN
  case $arch in x86) size_target=450 ;; *) size_target=500 ;; esac
  echo "== $arch build"
  wine_env_start own "$bin/keepalive.exe"
  timeout 300 wine "$bin/bench_link_latency.exe"
  timeout 300 wine "$bin/bench_tree_fill.exe"
  timeout 120 wine "$bin/bench_hung_capture.exe"
  timeout 300 wine "$bin/bench_drawn_capture.exe"
  footprint "$bin" "$size_target"
  timeout 120 wine "$bin/bench_loaded_dlls.exe"
  # The same X screen for the next build.
  wine_env_stop keep
  measured=$((measured + 1))
done
[ "$measured" -gt 0 ] || { echo "FAILED: no Windows build runs here"; exit 1; }
