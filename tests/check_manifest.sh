#!/bin/sh
# check_manifest.sh EXE ARCH: the manifest names the program's own architecture (Windows refuses
# to start a program whose manifest names another) and takes Common Controls 6 of any.
set -eu
ids=$(tr '\n\r' '  ' < "$1" | grep -a -o '<assemblyIdentity[^>]*>' | tr -s ' ')
echo "$ids"
own=$(echo "$ids" | grep 'name="Vorbel"' || true)
controls=$(echo "$ids" | grep 'name="Microsoft.Windows.Common-Controls"' || true)
[ -n "$own" ] || { echo "no identity of Vorbel in the manifest" >&2; exit 1; }
[ -n "$controls" ] || { echo "no Common Controls dependency in the manifest" >&2; exit 1; }
echo "$own" | grep -q "processorArchitecture=\"$2\"" || { echo "the identity does not name $2" >&2; exit 1; }
echo "$controls" | grep -q 'processorArchitecture="\*"' || { echo "Common Controls must be of any architecture" >&2; exit 1; }
