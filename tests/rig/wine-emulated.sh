#!/usr/bin/env bash
# The x86 build's smoke tests where the kernel cannot start 32-bit programs:
#   tests/rig/wine-emulated.sh SUMMARY_FILE
# 32-bit Wine runs through qemu-i386 (tests/rig/emulated-i386.sh), many times slower than natively:
# too slow for the whole suite, so only the tests of what differs between the two builds run, in
# one start of the x86 test program: a whole link through the x86 Vorbel.exe (a later instance
# hands its command line to the button, the hand-off reaches the recording stand-in), the
# accessibility reader's worker thread and the web export's worker. The prefix is a 64-bit one
# (made natively, its 32-bit half under emulation), so that the Wine server runs natively.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
summary=$1
label="x86 wine (emulated)"
tests=ConfirmationTest.ALinkWithoutConfirmationBuildsNoDialog
tests+=:DrawnFields.DesignatedAtAPointAndReadThroughTheTree
tests+=:WebExportTest.UploadsThePatientToTheAddressLookedUp

. tests/rig/emulated-i386.sh
why=$(emu_i386_missing)
if [ -n "$why" ]; then
  echo "$label: $why" >&2
  exit 1
fi

if [ "${2:-}" != --inside ]; then
  emu_i386_restore_stale
  trap emu_i386_restore EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  emu_i386_run "$0" "$summary" --inside
  exit
fi

# From here on, i386 programs start under qemu-i386.
. tests/rig/wine-env.sh
. tests/rig/net-servers.sh
export WINEARCH=win64 WINEPREFIX=$root/build/wineprefix-x86-emulated PATH=$root/tests/rig/wine64:$PATH
# How much slower than natively: Wine's bounds and the tests' waits (not the bounds they assert).
export WINE_ENV_SCALE=${VORBEL_EMULATION_SCALE:-8}
export VORBEL_TEST_TIME_SCALE=$WINE_ENV_SCALE
bin=$root/build/win32/bin
results=$root/build/x86-emulated-results.xml
trap 'rc=$?; net_servers_stop; wine_env_stop; exit $rc' EXIT
start=$SECONDS
wine_env_start own "$bin/keepalive.exe"
net_servers_start "$bin/trust_test_ca.exe"
echo "Wine ready under emulation after $((SECONDS - start)) s"
rm -f "$results"
rc=0
LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 wine_env_bounded 600 wine "$bin/vorbel_win_tests.exe" --gtest_filter="$tests" \
  --gtest_output="xml:Z:${results//\//\\}" </dev/null || rc=$?
echo "The smoke tests took $((SECONDS - start)) s in all (exit status $rc)"
tests/rig/gtest_summary.py "$label" "$results" "$summary" || rc=1
exit $rc
