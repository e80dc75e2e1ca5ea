#!/bin/sh
# Vorbel.exe must run on a bare Windows: it may import system DLLs only.
set -eu
# The x86_64 objdump reads both builds.
dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "$dlls"
bad=$(echo "$dlls" | grep -Ev '^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|version|wininet|msvcrt|ws2_32|crypt32|uxtheme)\.dll$' || true)
if [ -n "$bad" ]; then
  echo "non-system DLLs imported: $bad" >&2
  exit 1
fi
