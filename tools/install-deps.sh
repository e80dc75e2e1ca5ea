#!/usr/bin/env bash
# Installs what building and testing Vorbel needs on Debian 12, only when something is missing.
# --demo: also what ./run.sh --demo needs to take its screenshots.
set -euo pipefail

packages=(
  cmake g++ clang make googletest            # native core, its tests and the fuzz targets
  g++-mingw-w64-i686-posix                   # the 32-bit Windows program
  wine wine32:i386 xvfb xauth                # running it, and its tests, under Wine on Xvfb
  xdotool                                    # a key held at the X server, for the Shift test
  nsis                                       # the installer
  locales                                    # Wine tests run with the practices' French locale
  libgnutls30:i386                           # HTTPS inside Wine (only recommended by wine32)
  openssl python3-pyftpdlib                  # the web export's test servers: CA, HTTPS, FTP
)
if [ "${1:-}" = --demo ]; then
  packages+=(imagemagick)   # the screenshots
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
