#!/usr/bin/env bash
# The x86 build's smoke tests where the kernel cannot start 32-bit programs:
#   tests/rig/wine-emulated.sh SUMMARY_FILE
# 32-bit Wine runs through qemu-i386 (tests/rig/emulated-i386.sh), slower than natively and with
# some of Wine's services astray (see the README), so only the tests of what differs between the
# two builds run, in
# one start of the x86 test program: whole links through the x86 Vorbel.exe (later instances hand
# their command lines to the button, the hand-off reaches the recording stand-in, and one to the
# confirmation) and the web export's worker. The accessibility reader does not run: its process
# crashes under qemu-i386 (see the README). The prefix is a 64-bit one
# (made natively, its 32-bit half under emulation), so that the Wine server runs natively, and the
# helpers that are not under test (the stand-ins, the keep-alive, the CA's trust) are the x64
# build's, which start natively: a 32-bit Vorbel reading and starting 64-bit programs, as on
# 64-bit Windows. Run after both builds.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
summary=$1
label="x86 wine (emulated)"
tests=ConfirmationTest.CommandLineLinksHandOverExactlyThePatientWithoutShowingTheDialog
tests+=:LaunchButtonTest.LaterInstanceHandsItsCommandLineOver
tests+=:WebExportTest.UploadsThePatientToTheAddressLookedUp
# VORBEL_EMULATED_TESTS (a GoogleTest filter) runs others instead.
tests=${VORBEL_EMULATED_TESTS:-$tests}

. tests/rig/emulated-i386.sh
why=$(emu_i386_missing)
if [ -n "$why" ]; then
  echo "$label: $why" >&2
  exit 1
fi

. tests/rig/wine-env.sh
. tests/rig/net-servers.sh
if [ "${2:-}" != --inside ]; then
  # The loopback servers bind ports below 1024, which the emulation's namespace cannot.
  emu_i386_restore_stale
  trap 'net_servers_stop; emu_i386_restore' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  net_servers_launch
  emu_i386_run "$0" "$summary" --inside
  exit
fi

# From here on, i386 programs start under qemu-i386.
export WINEARCH=win64 WINEPREFIX=$root/build/wineprefix-x86-emulated PATH=$root/tests/rig/wine64:$PATH
# How much slower than natively: Wine's bounds and the tests' waits (not the bounds they assert).
export WINE_ENV_SCALE=${VORBEL_EMULATION_SCALE:-10}
export VORBEL_TEST_TIME_SCALE=$WINE_ENV_SCALE
# The x86 test program and Vorbel.exe, beside the x64 helpers they start.
bin=$root/build/x86-emulated
results=$root/build/x86-emulated-results.xml
rm -rf "$bin"
mkdir -p "$bin"
cp "$root/build/win32/bin/vorbel_win_tests.exe" "$root/build/win32/bin/Vorbel.exe" "$bin/"
for helper in imaging_standin drawn_standin practice_standin keepalive trust_test_ca; do
  cp "$root/build/win64/bin/$helper.exe" "$bin/"
done
trap 'rc=$?; wine_env_stop; exit $rc' EXIT
start=$SECONDS
wine_env_start own "$bin/keepalive.exe"
net_servers_trust "$bin/trust_test_ca.exe"
echo "Wine ready under emulation after $((SECONDS - start)) s"
rm -f "$results"
rc=0
LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 wine_env_bounded 600 wine "$bin/vorbel_win_tests.exe" --gtest_filter="$tests" \
  --gtest_output="xml:Z:${results//\//\\}" </dev/null || rc=$?
echo "The smoke tests took $((SECONDS - start)) s in all (exit status $rc)"
tests/rig/gtest_summary.py "$label" "$results" "$summary" || rc=1
echo "x86 wine (emulated), accessibility reader: not run, its process crashes under qemu-i386 (README)" >> "$summary"
exit $rc
