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
# pages), read once the program has sat idle, right after its start and again at rest after a
# link; Wine's own share is the same in both programs.
footprint() {
  local bin=$1 size_target=$2 vorbel bare start_v start_b
  # Where the stand-in records its start, for the button that starts it and the link's program.
  export VORBEL_STANDIN_RECORD='C:\vorbel-bench-footprint.txt'
  wine "$bin/bench_link_once.exe" configure >/dev/null 2>&1 </dev/null
  wine "$bin/Vorbel.exe" >/dev/null 2>&1 </dev/null &
  vorbel=$!
  started+=("$vorbel")
  wine "$bin/bench_bare_window.exe" >/dev/null 2>&1 </dev/null &
  bare=$!
  started+=("$bare")
  sleep 8
  grep -q 'Vorbel.exe' "/proc/$vorbel/cmdline" || { echo "FAILED: Vorbel.exe is not running"; exit 1; }
  grep -q 'bench_bare_window.exe' "/proc/$bare/cmdline" || { echo "FAILED: the bare window is not running"; exit 1; }
  start_v=$(private_kb "$vorbel")
  start_b=$(private_kb "$bare")
  timeout 60 wine "$bin/bench_link_once.exe" link </dev/null
  sleep 8
  rest_v=$(private_kb "$vorbel")
  rest_b=$(private_kb "$bare")
  timeout 60 wine "$bin/bench_link_once.exe" link confirmed </dev/null
  sleep 8
  LC_ALL=C awk -v size="$(stat -c %s "$bin/Vorbel.exe")" -v target="$size_target" \
      -v v="$start_v" -v b="$start_b" -v rv="$rest_v" -v rb="$rest_b" \
      -v cv="$(private_kb "$vorbel")" -v cb="$(private_kb "$bare")" 'BEGIN {
    printf "4. Footprint: Vorbel.exe %d KB (target <= %d KB); private memory of a bare Win32 window process: %.2f right after start (target <= 1.3), %.2f at rest after a link (target <= 1.5)\n", size / 1024, target, v / b, rv / rb
    printf "   At rest after a further link through the confirmation dialog: %.2f (no target: the dialog loads the common controls and a font, which stay)\n", cv / cb
  }'
  kill "$vorbel" "$bare" 2>/dev/null || true
  wait "$vorbel" "$bare" 2>/dev/null || true
  started=()
  wine "$bin/bench_link_once.exe" clear >/dev/null 2>&1 </dev/null
  unset VORBEL_STANDIN_RECORD
}

# What is printed goes to docs/performance.md too, with the commit it was measured on.
results=$(mktemp)
exec 3>&1 > >(tee "$results")
tee_pid=$!

measured=0
for arch in $(wine_archs_wanted); do
  if ! wine_arch_runs "$arch"; then
    echo "== $arch build: not measured, $(wine_arch_why_not "$arch")"
    continue
  fi
  tools/build.sh "$(wine_arch_build "$arch")" >/dev/null
  wine_arch_use "$arch"
  bin=$WINE_ARCH_BIN
  size_target=400
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

exec >&3 3>&-
wait "$tee_pid" 2>/dev/null || true
commit=$(git rev-parse --short HEAD)
[ -z "$(git status --porcelain --untracked-files=no)" ] || commit="$commit with uncommitted changes"
{
  echo "# Performance figures"
  echo
  echo "Written by \`bench/run.sh\` (see the README's performance section for what each figure"
  echo "means). Measured on commit $commit, $(LC_ALL=C date -u '+%d %b %Y %H:%M UTC'), $(nproc) cores,"
  echo "$(wine --version 2>/dev/null || echo Wine)."
  echo
  echo '```'
  cat "$results"
  echo '```'
} >docs/performance.md
rm -f "$results"
echo "Written to docs/performance.md"
