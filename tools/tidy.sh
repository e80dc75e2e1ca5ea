#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy's checks) on the platform-free core, from the native build's
# compile commands: tools/tidy.sh (after tools/build.sh native).
set -euo pipefail
cd "$(dirname "$0")/.."
db=build/native/compile_commands.json
[ -f "$db" ] || { echo "no $db: run tools/build.sh native first" >&2; exit 1; }
mapfile -t files < <(/usr/bin/python3 -c '
import json, sys
print("\n".join(sorted({e["file"] for e in json.load(open(sys.argv[1])) if "vorbel_core.dir" in e["command"]})))' "$db")
[ ${#files[@]} -gt 0 ] || { echo "no file of the core in $db" >&2; exit 1; }
# .clang-tidy makes every finding an error, so the status says whether any file had one.
if ! out=$(clang-tidy -p build/native --quiet "${files[@]}" 2>&1); then
  grep -v ' warnings\? generated\.$' <<<"$out" >&2
  echo "clang-tidy: findings in the core (above)" >&2
  exit 1
fi
echo "clang-tidy: ${#files[@]} files of the core clean"
