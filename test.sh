#!/usr/bin/env bash
# Sets up, builds both targets and runs every test: the core natively under ASan/UBSan, a short
# fuzzing smoke run, and the Win32 tests under Wine.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

tools/install-deps.sh
jobs=$(nproc)

passed=0
failed=0
summary=()
run_ctest() {  # dir, label
  local log line total bad rc=0
  log=$(mktemp)
  (cd "$1" && ctest --timeout 120 --output-on-failure -j"$jobs") >"$log" 2>&1 || rc=1
  cat "$log"
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  rm -f "$log"
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  [ -n "$line" ] || { total=0; bad=1; }
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  summary+=("$2: $line")
  return $rc
}

echo "== Native core (ASan, UBSan)"
tools/build.sh native
run_ctest build/native native

echo "== Fuzzing smoke run"
tools/build.sh fuzz
fuzz/run.sh build/fuzz 5

echo "== Win32 under Wine"
tools/build.sh win32

export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
. tests/rig/wine-env.sh
. tests/rig/net-servers.sh
trap 'rc=$?; net_servers_stop; wine_env_stop; exit $rc' EXIT
wine_env_start own "$root/build/win32/bin/keepalive.exe"
net_servers_start "$root/build/win32/bin/trust_test_ca.exe"
# Tests share the registry profile and the Wine desktop: one at a time.
jobs=1
run_ctest build/win32 wine

# A short run of ./run.sh --demo on this screen, in the demo's own prefix.
if command -v import >/dev/null; then
  echo "== Demo smoke run"
  if VORBEL_DEMO_QUICK=1 VORBEL_DEMO_OUT="$root/build/demo-smoke" timeout 120 tools/demo.sh; then
    passed=$((passed + 1)); summary+=("demo: passed")
  else
    failed=$((failed + 1)); summary+=("demo: FAILED")
  fi
fi

echo
printf '%s\n' "${summary[@]}"
echo "total: $passed passed, $failed failed"
[ "$failed" = 0 ]
