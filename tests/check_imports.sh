#!/bin/sh
# Vorbel.exe must run on a bare Windows: it may import system DLLs only.
# check_imports.sh EXE [OBJDUMP]: without OBJDUMP, the MinGW objdump of the EXE's machine (i386
# or x86-64). Fails unless it read a non-empty import list and every entry is allowed.
set -eu
exe=${1:?usage: check_imports.sh EXE [OBJDUMP]}
fail() {
  echo "check_imports: $*" >&2
  exit 1
}
[ -f "$exe" ] || fail "no such file: $exe"

if [ $# -ge 2 ]; then
  objdump=$2
else
  # The machine field of the PE header, whose offset is at 0x3C.
  [ "$(head -c 2 "$exe")" = MZ ] || fail "not a Windows program: $exe"
  pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
  [ "$(od -An -c -j"$pe" -N2 "$exe" | tr -d ' ')" = PE ] || fail "no PE header in $exe"
  machine=$(od -An -tx1 -j$((pe + 4)) -N2 "$exe" | tr -d ' ')
  case $machine in
    4c01) objdump=i686-w64-mingw32-objdump ;;
    6486) objdump=x86_64-w64-mingw32-objdump ;;
    *) fail "machine $machine of $exe is neither i386 nor x86-64" ;;
  esac
fi
command -v "$objdump" >/dev/null || fail "no $objdump"

# objdump translates its headings ("DLL Name") in other locales.
headers=$(LC_ALL=C "$objdump" -p "$exe") || fail "$objdump could not read $exe"
dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$dlls" ] || fail "no import list read from $exe by $objdump"
echo "$dlls"
bad=$(printf '%s\n' "$dlls" | grep -Ev '^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|version|wininet|msvcrt|ws2_32|crypt32|uxtheme)\.dll$' || true)
[ -z "$bad" ] || fail "non-system DLLs imported: $(echo $bad)"
echo "only system DLLs: $(echo "$dlls" | wc -l) imported"
