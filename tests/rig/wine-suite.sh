#!/usr/bin/env bash
# Runs the Wine tests of one Windows build: tests/rig/wine-suite.sh x86|x64 SUMMARY_FILE [CTEST_ARGS]
# (for example -R CliniView, to run some of them).
# test.sh starts it as a process of its own with the practices' French locale, made by the
# set-up that ran just before (a shell that started without it cannot switch to it).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
arch=$1
summary=$2
shift 2

. tests/rig/wine-env.sh
. tests/rig/net-servers.sh
. tests/rig/ctest-run.sh
wine_arch_use "$arch"
build=${WINE_ARCH_BIN%/bin}
trap 'rc=$?; net_servers_stop; wine_env_stop; exit $rc' EXIT
wine_env_start own "$WINE_ARCH_BIN/keepalive.exe"
net_servers_start "$WINE_ARCH_BIN/trust_test_ca.exe"

# Tests share the registry profile and the Wine desktop: one at a time.
ctest_run "$arch wine" "$build" "$summary" -j1 "$@"
