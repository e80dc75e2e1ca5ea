#!/usr/bin/env bash
# tools/format.sh: formats every C++ file git tracks with .clang-format.
# tools/format.sh --check: changes nothing, names each file that does not match and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" != --check ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${bad[@]}" >&2
  echo "run tools/format.sh to format them" >&2
  exit 1
fi
echo "format: ${#files[@]} files match .clang-format"
