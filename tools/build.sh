#!/usr/bin/env bash
# Configures (once) and builds one CMake preset: tools/build.sh native|fuzz|win32|win64
# win32 is the x86 Windows program (the release build), win64 the x64 one.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  native | fuzz | win32 | win64) ;;
  *) echo "usage: $0 native|fuzz|win32|win64" >&2; exit 2 ;;
esac
# Configured again when the presets changed since.
[ "build/$1/CMakeCache.txt" -nt CMakePresets.json ] || cmake --preset "$1" >/dev/null
cmake --build --preset "$1" -j"$(nproc)"
