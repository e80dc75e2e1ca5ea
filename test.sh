#!/usr/bin/env bash
# Sets up, builds both Windows targets and runs every test: the core natively under ASan/UBSan,
# a short fuzzing smoke run, the Wine tests of each Windows build this host can run, and a short
# demo. The last lines say what ran, what did not and why; the very last sums it up.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

tools/install-deps.sh
. tests/rig/wine-env.sh
. tests/rig/ctest-run.sh

summary=$root/build/test-summary.txt
mkdir -p build
: > "$summary"
status=0
not_run() { echo "$1: not run, $2" >> "$summary"; }

echo "== Format"
if tools/format.sh --check; then echo "format: every C++ file matches .clang-format" >> "$summary"
else echo "format: FAILED, files named above (tools/format.sh formats them)" >> "$summary"; status=1; fi

echo "== Native core (ASan, UBSan)"
tools/build.sh native
ctest_run native "$root/build/native" "$summary" -j"$(nproc)" || status=1

echo "== clang-tidy on the core"
if tools/tidy.sh; then echo "clang-tidy: the core is clean" >> "$summary"
else echo "clang-tidy: FAILED, findings above" >> "$summary"; status=1; fi

echo "== Fuzzing smoke run"
tools/build.sh fuzz
fuzz_seconds=5
if fuzz_out=$(fuzz/run.sh build/fuzz "$fuzz_seconds"); then fuzz_bad=0; else fuzz_bad=1; status=1; fi
echo "$fuzz_out"
fuzz_targets=$(sed -n 's/^fuzz \([^:]*\):.*/\1/p' <<<"$fuzz_out" | tr '\n' ' ')
echo "fuzz: $(wc -w <<<"$fuzz_targets") targets, ${fuzz_seconds} s each: ${fuzz_targets% }$([ $fuzz_bad = 0 ] && echo ', no finding' || echo ', FINDING')" >> "$summary"
[ -n "$fuzz_targets" ] || { echo "fuzz: no target ran" >> "$summary"; status=1; }

# Both Windows builds are made everywhere: cross-building runs no Windows code. A build that
# is not run under Wine here (its Wine cannot start, or VORBEL_ARCHS leaves it out, as on a host
# that cannot run it) still has its host-side checks run, and the summary says why.
wanted=" $(wine_archs_wanted) "
for arch in x86 x64; do
  echo "== $arch build"
  build=$root/build/$(wine_arch_build "$arch")
  tools/build.sh "$(wine_arch_build "$arch")"
  why=
  if [[ $wanted != *" $arch "* ]]; then
    why="VORBEL_ARCHS=$VORBEL_ARCHS"
  elif ! wine_arch_runs "$arch"; then
    why=$(wine_arch_why_not "$arch")
  fi
  if [ -n "$why" ]; then
    echo "== $arch host-side checks only: $why"
    ctest_run "$arch host" "$build/tests/host" "$summary" || status=1
    not_run "$arch wine" "$why"
    continue
  fi
  echo "== $arch under Wine"
  LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 tests/rig/wine-suite.sh "$arch" "$summary" || status=1
done

# Two monitors, and display scales of 150 % and 200 %: screens of their own, 64-bit Wine only.
if [[ $wanted != *" x64 "* ]]; then
  not_run "monitors" "VORBEL_ARCHS=$VORBEL_ARCHS leaves out x64, whose Wine they need"
elif ! wine_arch_runs x64; then
  not_run "monitors" "64-bit Wine does not start here"
else
  echo "== Two monitors, 150 % and 200 % (x64)"
  tests/rig/monitors.sh "$summary" || status=1
fi

# A short run of ./run.sh --demo on its own screen and prefix, with the build it would use.
if demo_arch=$(wine_arch_pick 2>/dev/null); then
  echo "== Demo smoke run ($demo_arch)"
  if VORBEL_ARCHS=$demo_arch VORBEL_DEMO_QUICK=1 VORBEL_DEMO_OUT="$root/build/demo-smoke" \
       LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 timeout 180 tools/demo.sh; then
    echo "demo ($demo_arch): 1 passed, 0 failed" >> "$summary"
  else
    echo "demo ($demo_arch): 0 passed, 1 failed" >> "$summary"
    status=1
  fi
else
  not_run demo "no Windows build runs here"
fi

echo
echo "== Summary"
cat "$summary"
# The closing line sums the runners; disabled tests count with the skipped ones there.
awk '/^[^:]+: [0-9]+ passed, [0-9]+ failed/ {
       for (i = 1; i <= NF; i++) {
         if ($(i+1) ~ /^passed/) p += $i
         if ($(i+1) ~ /^failed/) f += $i
         if ($(i+1) ~ /^(skipped|disabled)/) s += $i
       }
     }
     END { printf "total: %d passed, %d failed, %d skipped\n", p, f, s }' "$summary"
exit $status
