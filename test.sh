#!/usr/bin/env bash
# Sets up, builds both Windows targets and runs every test: the core natively under ASan/UBSan,
# a short fuzzing smoke run, the Wine tests of each Windows build this host can run, and a short
# demo. The last lines say what ran, what did not and why; the very last sums it up, and says
# what failed when anything did.
# Each part runs in a process group of its own under a time limit (the table below): past it the
# part is ended, its own processes only, and counts as failed.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
summary=$root/build/test-summary.txt

# test.sh --part NAME [ARCH]: one part, as the loop below runs it.
if [ "${1:-}" = --part ]; then
  . tests/rig/wine-env.sh
  . tests/rig/ctest-run.sh
  case $2 in
    set-up) tools/install-deps.sh ;;
    tools)
      rc=0
      out=$(tests/check_tools.py) || rc=1
      echo "$out"
      grep '^tools: ' <<<"$out" >> "$summary"
      exit $rc ;;
    format)
      if tools/format.sh --check; then echo "format: 1 passed, 0 failed (every C++ file matches .clang-format)" >> "$summary"
      else echo "format: 0 passed, 1 failed (files named above; tools/format.sh formats them)" >> "$summary"; exit 1; fi ;;
    native)
      tools/build.sh native
      ctest_run native "$root/build/native" "$summary" -j"$(nproc)" ;;
    tidy)
      if tools/tidy.sh; then echo "clang-tidy: 1 passed, 0 failed (the core is clean)" >> "$summary"
      else echo "clang-tidy: 0 passed, 1 failed (findings above)" >> "$summary"; exit 1; fi ;;
    fuzz)
      tools/build.sh fuzz
      fuzz_seconds=5
      if fuzz_out=$(fuzz/run.sh build/fuzz "$fuzz_seconds"); then fuzz_bad=0; else fuzz_bad=1; fi
      echo "$fuzz_out"
      fuzz_targets=$(sed -n 's/^fuzz \([^:]*\):.*/\1/p' <<<"$fuzz_out" | tr '\n' ' ')
      echo "fuzz: $(wc -w <<<"$fuzz_targets") targets, ${fuzz_seconds} s each: ${fuzz_targets% }$([ $fuzz_bad = 0 ] && echo ', no finding' || echo ', FINDING')" >> "$summary"
      [ -n "$fuzz_targets" ] || { echo "fuzz: no target ran" >&2; exit 1; }
      exit $fuzz_bad ;;
    build) tools/build.sh "$(wine_arch_build "$3")" ;;
    host)   # $3: the build's architecture, whose Wine does not run here
      tools/build.sh "$(wine_arch_build "$3")"
      ctest_run "$3 host" "$root/build/$(wine_arch_build "$3")/tests/host" "$summary" ;;
    wine)
      tools/build.sh "$(wine_arch_build "$3")"
      LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 tests/rig/wine-suite.sh "$3" "$summary" ;;
    emulated) LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 tests/rig/wine-emulated.sh "$summary" ;;
    release) tests/check_release.sh "$summary" ;;
    monitors) tests/rig/monitors.sh "$summary" ;;
    demo)
      VORBEL_ARCHS=$3 VORBEL_DEMO_QUICK=1 VORBEL_DEMO_OUT="$root/build/demo-smoke" \
        LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 tools/demo.sh
      echo "demo ($3): 1 passed, 0 failed" >> "$summary" ;;
    *) echo "no part $2" >&2; exit 2 ;;
  esac
  exit 0
fi

mkdir -p build
: > "$summary"
failures=()
part_pid=
background_pid= background_label= background_log=

# Prints the summary; the closing line sums the runners (disabled tests count with the skipped
# ones) and names what failed.
finish() {
  local rc=$?
  trap - EXIT
  # A part killed while qemu-i386 was registered on the machine leaves it there: put it back.
  ! declare -F emu_i386_restore_stale >/dev/null || emu_i386_restore_stale || true
  [ $rc = 0 ] || [ ${#failures[@]} -gt 0 ] || failures+=("test.sh itself (exit status $rc)")
  echo
  echo "== Summary"
  cat "$summary"
  local why=
  [ ${#failures[@]} = 0 ] || why=$(printf '; FAILED: %s' "$(printf '%s, ' "${failures[@]}" | sed 's/, $//')")
  awk -v why="$why" '/^[^:]+: [0-9]+ passed, [0-9]+ failed/ {
         for (i = 1; i <= NF; i++) {
           if ($(i+1) ~ /^passed/) p += $i
           if ($(i+1) ~ /^failed/) f += $i
           if ($(i+1) ~ /^(skipped|disabled)/) s += $i
         }
       }
       END { printf "total: %d passed, %d failed, %d skipped%s\n", p, f, s, why }' "$summary"
  [ ${#failures[@]} = 0 ] || rc=1
  exit $rc
}
trap finish EXIT
# An interrupted run ends the part that runs (timeout passes the signal to its group).
trap 'for p in $part_pid $background_pid; do kill -TERM "$p" 2>/dev/null; done; failures+=("interrupted"); exit 130' INT TERM

# part LABEL SECONDS NAME [ARCH]: runs one part under its time limit (VORBEL_PARTS="tools
# monitors" runs those parts alone, by NAME). A part that fails without
# a counted failure of its own in the summary gets a line that counts one.
part() {
  part_chosen "$@" || return 0
  part_start "$@"
  part_pid=$!
  part_end "$1" "$2" "$part_pid"
  part_pid=
}
# part_background LABEL SECONDS NAME [ARCH]: the same, beside the parts that follow, its output in
# build/ until part_background_end shows it and counts it.
part_background() {
  part_chosen "$@" || return 0
  background_label=$1 background_log=$root/build/part-$3.log
  part_start "$@" > "$background_log" 2>&1
  background_pid=$!
  background_limit=$2
}
part_background_end() {
  [ -n "$background_pid" ] || return 0
  echo "== $background_label (ran beside the parts above)"
  part_end "$background_label" "$background_limit" "$background_pid"
  cat "$background_log"
  background_pid=
}
part_chosen() {
  if [ -n "${VORBEL_PARTS:-}" ] && [[ " $VORBEL_PARTS " != *" $3 "* ]]; then
    not_run "$1" "VORBEL_PARTS=$VORBEL_PARTS"
    return 1
  fi
}
part_start() {
  local limit=$2
  shift 2
  timeout -k 20 "$limit" "$root/test.sh" --part "$@" &
}
part_end() {
  local label=$1 limit=$2 rc=0 why
  wait "$3" || rc=$?
  [ $rc != 0 ] || return 0
  why="exit status $rc"
  if [ $rc = 124 ] || [ $rc = 137 ]; then why="ended after its time limit of $limit s"; fi
  if ! grep -F "$label: " "$summary" | grep -Eq ': [0-9]+ passed, [1-9][0-9]* failed'; then
    echo "$label: 0 passed, 1 failed ($why)" >> "$summary"
  fi
  failures+=("$label ($why)")
}
not_run() { echo "$1: not run, $2" >> "$summary"; }

echo "== Set-up"
part set-up 1800 set-up
. tests/rig/wine-env.sh

echo "== Every program the scripts start is installed by the set-up"
part tools 120 tools
echo "== Format"
part format 300 format
echo "== Native core (ASan, UBSan)"
part native 2400 native
echo "== clang-tidy on the core"
part clang-tidy 1200 tidy
echo "== Fuzzing smoke run"
part fuzz 900 fuzz

# Both Windows builds are made everywhere: cross-building runs no Windows code. A build that
# is not run under Wine here (its Wine cannot start, or VORBEL_ARCHS leaves it out, as on a host
# that cannot run it) still has its host-side checks run, and the summary says why.
wanted=" $(wine_archs_wanted) "
# Where the kernel cannot start 32-bit programs, the x86 build's smoke tests run through
# qemu-i386 once both builds are made (they start the x64 helpers), beside the x64 tests: nearly
# all of their time is one emulated core.
emulate_x86=
start_emulated() {
  [ -n "$emulate_x86" ] || return 0
  echo "== x86 build under emulated Wine, smoke tests (beside what follows; build/part-emulated.log)"
  part_background "x86 wine (emulated)" 1800 emulated
}
for arch in x86 x64; do
  why=
  if [[ $wanted != *" $arch "* ]]; then
    why="VORBEL_ARCHS=$VORBEL_ARCHS"
  elif ! wine_arch_runs "$arch"; then
    why=$(wine_arch_why_not "$arch")
  fi
  if [ -n "$why" ]; then
    echo "== $arch build, host-side checks only: $why"
    part "$arch host" 1800 host "$arch"
    not_run "$arch wine" "$why"
    if [ "$arch" = x86 ] && [[ $wanted == *" x86 "* ]] && ! emu_i386_kernel_runs; then emulate_x86=1; fi
    [ "$arch" != x64 ] || start_emulated
  else
    echo "== $arch build under Wine"
    if [ "$arch" = x64 ] && [ -n "$emulate_x86" ]; then
      part "$arch build" 1800 build "$arch"
      start_emulated
    fi
    part "$arch wine" 3600 wine "$arch"
  fi
done

# The same bytes again from a second clone, and the signatures of a release.
echo "== Reproducible and signed releases"
part "release" 1200 release

part_background_end

# Two monitors, and display scales of 150 % and 200 %: screens of their own, 64-bit Wine only.
if [[ $wanted != *" x64 "* ]]; then
  not_run "monitors" "VORBEL_ARCHS=$VORBEL_ARCHS leaves out x64, whose Wine they need"
elif ! wine_arch_runs x64; then
  not_run "monitors" "64-bit Wine does not start here"
else
  echo "== Two monitors, 150 % and 200 % (x64)"
  part monitors 1200 monitors
fi

# A short run of ./run.sh --demo on its own screen and prefix, with the build it would use.
if demo_arch=$(wine_arch_pick 2>/dev/null); then
  echo "== Demo smoke run ($demo_arch)"
  part "demo ($demo_arch)" 300 demo "$demo_arch"
else
  not_run demo "no Windows build runs here"
fi
