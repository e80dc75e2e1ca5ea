#!/usr/bin/env bash
# Installs what building, testing and running Vorbel needs on Debian 12, only when something is
# missing: quiet when nothing is. The packages are those of tools/deps.txt, one list of every
# program the scripts start; those marked :i386 (32-bit Wine) everywhere, through user-mode
# emulation where the kernel cannot start 32-bit programs.
set -euo pipefail
list=$(dirname "$0")/deps.txt

. "$(dirname "$0")/../tests/rig/emulated-i386.sh"

packages=() i386=()
while read -r _ package _; do
  if [[ $package == *:i386 ]]; then
    [[ " ${i386[*]} " == *" $package "* ]] || i386+=("$package")
  else
    [[ " ${packages[*]} " == *" $package "* ]] || packages+=("$package")
  fi
done < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list")

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

install() {
  echo "Installing: $*"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

updated=
mapfile -t todo < <(missing "${packages[@]}")
if [ ${#todo[@]} -gt 0 ]; then
  apt-get update -q
  updated=1
  install "${todo[@]}"
fi

# The 32-bit packages come after the others: whether this kernel starts 32-bit programs is asked
# of the 32-bit loader (package libc6-i386), and where it does not, their maintainer scripts run
# through qemu-i386 (package qemu-user), registered on the machine for the installation only.
mapfile -t todo < <(missing "${i386[@]}")
if [ ${#todo[@]} -gt 0 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; updated=; }
  [ -n "$updated" ] || apt-get update -q
  if emu_i386_kernel_runs; then
    install "${todo[@]}"
  else
    echo "This kernel cannot start 32-bit programs: they run through qemu-i386 while they install."
    emu_i386_restore_stale
    trap emu_i386_restore EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    emu_i386_register_machine
    install "${todo[@]}"
    emu_i386_restore
    trap - EXIT INT TERM
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
