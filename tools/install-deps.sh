#!/usr/bin/env bash
# Installs what building, testing and running Vorbel needs on Debian 12, only when something is
# missing: quiet when nothing is.
set -euo pipefail

packages=(
  cmake g++ clang make googletest            # native core, its tests and the fuzz targets
  clang-format clang-tidy                    # the code's format and static analysis
  g++-mingw-w64-i686-posix                   # the x86 Windows program (the release build)
  g++-mingw-w64-x86-64-posix                 # the x64 Windows program
  wine wine64 xvfb xauth                     # running them, and their tests, under Wine on Xvfb
  xdotool                                    # a key held at the X server, for the Shift test
  nsis                                       # the installers
  wixl msitools libxml2-utils                # the MSI packages; the policy templates checked (xmllint)
  locales                                    # Wine tests run with the practices' French locale
  openssl python3-pyftpdlib                  # the web export's test servers: CA, HTTPS, FTP
  imagemagick                                # the demo's screenshots
)
# 32-bit Wine, unless this kernel is known to refuse 32-bit programs: where the loader is
# present but cannot start, installing wine32 only brings maintainer-script errors.
if [ ! -e /lib/ld-linux.so.2 ] || /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
  packages+=(wine32:i386 libgnutls30:i386)   # HTTPS inside 32-bit Wine (only recommended by wine32)
fi

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
