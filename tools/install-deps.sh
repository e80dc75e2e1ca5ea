#!/usr/bin/env bash
# Installs what building, testing and running Vorbel needs on Debian 12, only when something is
# missing: quiet when nothing is. The packages are those of tools/deps.txt, one list of every
# program the scripts start.
set -euo pipefail
list=$(dirname "$0")/deps.txt

# 32-bit Wine, unless this kernel is known to refuse 32-bit programs: where the loader is
# present but cannot start, installing wine32 only brings maintainer-script errors.
i386=1
if [ -e /lib/ld-linux.so.2 ] && ! /lib/ld-linux.so.2 --help >/dev/null 2>&1; then i386=; fi

packages=()
while read -r _ package _; do
  [[ $package == *:i386 && -z $i386 ]] && continue
  [[ " ${packages[*]} " == *" $package "* ]] || packages+=("$package")
done < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]}" == *:i386* ]]; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
