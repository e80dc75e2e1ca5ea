#!/usr/bin/env bash
# check_tools.py against small scripts: the programs it must name, and the words it must not
# take for programs. One case a row: expected status, the name it must print ("-" for none),
# file name, file text. The list given to the check holds xdotool and Xvfb only.
set -uo pipefail
check=$(dirname "$0")/check_tools.py
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '%s\n' "xdotool xdotool keys" "Xvfb xvfb screen" > "$dir/deps.txt"

cases=(
  '1|Xephyr|a.sh|DISPLAY=:1 timeout -k 5 10 Xephyr :2 &'
  '1|convert|a.sh|echo "size: $(convert x.png -format %w info:)"'
  '1|wineserver|a.sh|trap '"'"'rm -f x; wineserver -k'"'"' EXIT'
  '1|unzip|a.sh|sh -c "unzip -q x.zip"'
  '1|python3:pyftpdlib|a.py|from pyftpdlib.servers import FTPServer'
  '1|ctest|a.py|import subprocess; subprocess.run(["ctest", "-N"])'
  '1|makensis|CMakeLists.txt|find_program(MAKENSIS makensis)'
  '1|/usr/lib/wine/wine64|a.sh|/usr/lib/wine/wine64 --version'
  '0|-|a.sh|/usr/bin/xdotool key shift; Xvfb :9 &'
  '0|-|a.sh|f() { :; }; case $a in x86) f ;; esac; command -v nothere; local x=1; "$bin/x.exe"'
  '0|-|a.py|import os, json, subprocess'
  '1|wineboot|a.sh|run() { timeout -k 5 "$@"; }; run 60 wineboot -i'
)
fails=0
for row in "${cases[@]}"; do
  IFS='|' read -r want name file text <<<"$row"
  printf '%s\n' "$text" > "$dir/$file"
  out=$("$check" --list "$dir/deps.txt" "$dir/$file" 2>&1)
  got=$?
  if [ "$got" != "$want" ] || { [ "$name" != - ] && ! grep -qF -- "$name " <<<"$out"; }; then
    echo "FAIL: $text"
    echo "  expected status $want naming ${name}, got $got:"
    sed 's/^/    /' <<<"$out"
    fails=$((fails + 1))
  fi
  rm -f "$dir/$file"
done
echo "$(( ${#cases[@]} - fails )) of ${#cases[@]} cases as expected"
[ "$fails" = 0 ]
