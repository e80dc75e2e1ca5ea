#!/usr/bin/env bash
# Configures (once) and builds one target: tools/build.sh native|fuzz|win32|win64
# win32 is the x86 Windows program (the release build), win64 the x64 one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
case "$1" in
  native) opts=(-DCMAKE_BUILD_TYPE=Debug -DVORBEL_SANITIZE=ON) ;;
  fuzz) opts=(-DCMAKE_BUILD_TYPE=Debug -DVORBEL_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  win32) opts=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-i686.cmake") ;;
  win64) opts=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-x86_64.cmake") ;;
  *) echo "usage: $0 native|fuzz|win32|win64" >&2; exit 2 ;;
esac
dir=build/$1
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
