#!/bin/sh
# Vorbel.exe must run on a bare Windows: it may import system DLLs only. It starts with those that
# a later instance and the button at rest need; the others are delay-loaded on first use
# (vorbel_delay_load in app/CMakeLists.txt), and each function called in them keeps the stub
# that its first call goes through. Lists what the program imports at its start, then what it
# delay-loads.
# check_imports.sh EXE [OBJDUMP]: without OBJDUMP, the MinGW objdump of the EXE's machine (i386
# or x86-64). Fails unless it read a non-empty import list and every entry is allowed.
set -eu
exe=${1:?usage: check_imports.sh EXE [OBJDUMP]}
fail() {
  echo "check_imports: $*" >&2
  exit 1
}
[ -f "$exe" ] || fail "no such file: $exe"
system='kernel32|user32|gdi32|advapi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|version|wininet|msvcrt|ws2_32|crypt32|uxtheme'
at_start='kernel32|user32|gdi32|advapi32|msvcrt'

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
delayed=$(/usr/bin/python3 "$(dirname "$0")/delay_imports.py" "$exe") || fail "the delay-load table of $exe could not be read"
echo "delay-loaded:"
echo "$delayed"
bad=$(printf '%s\n%s\n' "$dlls" "$(echo "$delayed" | sed 's/:.*//')" | grep -v '^$' |
      grep -Ev "^($system)\.dll$" || true)
[ -z "$bad" ] || fail "non-system DLLs imported: $(echo $bad)"
early=$(echo "$dlls" | grep -Ev "^($at_start)\.dll$" || true)
[ -z "$early" ] || fail "loaded at every start, though neither a later instance nor the button at rest needs them" \
                        "(delay-load them with vorbel_delay_load): $(echo $early)"
echo "only system DLLs: $(echo "$dlls" | wc -l) at start, $(echo "$delayed" | grep -c . || true) delay-loaded"
