#!/usr/bin/env bash
# The launch button on two monitors; the button, the dialogs, the field picker and the field
# reading at 150 % and 200 %. Under Wine, on screens the plain test run does not have, with the
# x64 build (test.sh runs it; tests/rig/monitors.sh SUMMARY_FILE by hand, after tools/build.sh
# win64). Its own prefix, each phase on a fresh wineserver, since Wine reads the monitors and
# the dpi when its desktop starts. The prefix is 64-bit: Wine's desktop process reads the
# Xinerama heads, and only the 64-bit one can here (no 32-bit libXinerama). Exit status 0 when
# every phase passed; the summary line counts phases.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
summary=${1:-/dev/null}
export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
export WINEPREFIX=${VORBEL_MONITORS_PREFIX:-$root/build/wineprefix-monitors}
. tests/rig/wine-env.sh
. tests/rig/xephyr.sh
wine_arch_use x64
bin=$WINE_ARCH_BIN
trap 'wine_env_stop; xephyr_stop' EXIT

results=()
failed=0
broken=   # what did not start: every later phase would fail the same way

# $1 title, $2 LogPixels, $3 monitors (space-separated WxH+X+Y), then pairs of test program and
# gtest filter.
phase() {
  local title=$1 dpi=$2 screens=$3 rc=0
  shift 3
  # VORBEL_MONITORS_ONLY="scale 200 %" runs that phase alone.
  if [ -n "${VORBEL_MONITORS_ONLY:-}" ] && [ "$title" != "$VORBEL_MONITORS_ONLY" ]; then return 0; fi
  if [ -n "$broken" ]; then
    results+=("$title: FAILED, not run: $broken")
    failed=1
    return 0
  fi
  echo "== $title"
  # shellcheck disable=SC2086
  if ! wine_env_prefix; then
    broken="the Wine prefix could not be made"
  elif ! wine_env_bounded 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1 </dev/null ||
       ! wine_env_bounded 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null ||
       ! wine_env_bounded 60 wineserver -w; then
    broken="Wine did not start ($WINE_ENV_HINT)"
  elif ! xephyr_start $screens; then
    broken="its X screens did not start"
  elif ! wine_env_start display "$bin/keepalive.exe"; then
    broken="Wine did not start on them"
  fi
  [ -z "$broken" ] || rc=1
  while [ $# -gt 0 ] && [ $rc = 0 ]; do
    # A filter that matches no test would pass: at least one must have run.
    (cd "$bin" && wine_env_bounded 600 wine "$1" --gtest_filter="$2" </dev/null) 2>&1 | tee "$root/build/monitors-phase.log"
    [ "${PIPESTATUS[0]}" = 0 ] && grep -q '^\[  PASSED  \] [1-9]' "$root/build/monitors-phase.log" || rc=1
    shift 2
  done
  wine_env_stop
  xephyr_stop
  if [ $rc = 0 ]; then results+=("$title: passed"); else results+=("$title: FAILED${broken:+, $broken}"); failed=1; fi
}

two="1280x1024+0+0 1024x768+1280+0"
one="1280x1024+0+0"
phase "two monitors" 96 "$two" vorbel_monitor_tests.exe 'TwoMonitors.*'
phase "second monitor gone" 96 "$one" vorbel_monitor_tests.exe 'SecondMonitorGone.*'
for dpi in 144 192; do
  phase "scale $((dpi * 100 / 96)) %" "$dpi" "$one" \
    vorbel_monitor_tests.exe 'ButtonAtScale.*' \
    vorbel_ui_tests.exe 'FieldPickerTest.*:WindowTree.*:DialogLayout.*:IconSizes.*' \
    vorbel_win_tests.exe 'FieldLocatorTest.*:WindowFieldsTest.*'
done
# Back to 100 % for whoever uses the prefix next.
if [ -z "$broken" ]; then
  wine_env_bounded 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1 </dev/null
  wine_env_bounded 60 wineserver -w
fi

echo
printf 'monitors: %s\n' "${results[@]}"
bad=$(printf '%s\n' "${results[@]}" | grep -c FAILED)
echo "monitors (x64, phases): $((${#results[@]} - bad)) passed, $bad failed" >> "$summary"
exit $failed
