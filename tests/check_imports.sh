#!/bin/sh
# Vorbel.exe must run on a bare Windows: it may import system DLLs only. It starts with those that
# a later instance and the button at rest need; the others are delay-loaded on first use
# (vorbel_delay_load in app/CMakeLists.txt), and each function called in them keeps the stub
# that its first call goes through. Lists what the program imports at its start, then what it
# delay-loads.
set -eu
system='kernel32|user32|gdi32|advapi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|version|wininet|msvcrt|ws2_32|crypt32|uxtheme'
at_start='kernel32|user32|gdi32|advapi32|msvcrt'
# The x86_64 objdump reads both builds.
dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "$dlls"
delayed=$(python3 "$(dirname "$0")/delay_imports.py" "$1")
echo "delay-loaded:"
echo "$delayed"
bad=$(printf '%s\n%s\n' "$dlls" "$(echo "$delayed" | sed 's/:.*//')" | grep -v '^$' |
      grep -Ev "^($system)\.dll$" || true)
if [ -n "$bad" ]; then
  echo "non-system DLLs imported: $bad" >&2
  exit 1
fi
early=$(echo "$dlls" | grep -Ev "^($at_start)\.dll$" || true)
if [ -n "$early" ]; then
  echo "loaded at every start, though neither a later instance nor the button at rest needs them" \
       "(delay-load them with vorbel_delay_load): $early" >&2
  exit 1
fi
