#!/usr/bin/env bash
# Sets up, builds and starts Vorbel under Wine. Its settings live in a Wine prefix of its own
# (build/wineprefix-run), apart from the tests'. With --demo, plays whole links instead and
# writes their screenshots into demo-out/ (tools/demo.sh).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

if [ "${1:-}" = --demo ]; then
  tools/install-deps.sh
  exec tools/demo.sh
fi

tools/install-deps.sh
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-run}
. tests/rig/wine-env.sh
# The x86 build where this host runs it, else the x64 one (VORBEL_ARCHS can choose).
arch=$(wine_arch_pick)
tools/build.sh "$(wine_arch_build "$arch")"
wine_arch_use "$arch"
echo "Vorbel runs its $arch build."
trap 'rc=$?; wine_env_stop; exit $rc' EXIT
if [ -n "${DISPLAY:-}" ]; then
  echo "Vorbel runs on the display $DISPLAY."
  wine_env_start shared
else
  wine_env_start own
  echo "No DISPLAY: Vorbel runs on a virtual screen of its own ($DISPLAY)."
fi
wine "$WINE_ARCH_BIN/Vorbel.exe" "$@"
