#!/bin/sh
# Every include points down: a folder includes only its own headers and those of the folders
# below it. Lowest first: text/ (platform-free text helpers), then resources/ (identifiers only).
set -eu
cd "$(dirname "$0")/.."
order="text resources win settings net locator patient handoff setup app"
rank() {
  i=0
  for f in $order; do
    [ "$f" = "$1" ] && { echo $i; return; }
    i=$((i + 1))
  done
  echo -1
}
status=0
for folder in $order; do
  [ -d "$folder" ] || continue
  own=$(rank "$folder")
  for file in "$folder"/*.h "$folder"/*.cpp "$folder"/*.in; do
    [ -f "$file" ] || continue
    for target in $(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_]*\)/.*|\1|p' "$file" | sort -u); do
      r=$(rank "$target")
      if [ "$r" -gt "$own" ]; then
        echo "$file includes $target/, which lies above $folder/" >&2
        status=1
      fi
    done
  done
done
exit $status
