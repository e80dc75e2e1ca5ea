#!/bin/sh
# Signs one program or package in place with osslsigncode (Authenticode, SHA-256):
#   sign.sh PKCS12 [--timestamp URL] FILE
# The certificate's password comes from the environment (VORBEL_SIGN_PASSWORD), never from the
# command line, where any user could read it. Without a timestamp server the signature carries no
# time stamp and stops verifying when the certificate expires.
set -eu
pkcs12=$1 timestamp=
shift
if [ "$1" = --timestamp ]; then
  timestamp=$2
  shift 2
fi
file=$1
if [ -z "${VORBEL_SIGN_PASSWORD+set}" ]; then
  echo "sign.sh: VORBEL_SIGN_PASSWORD is not set: the password of $pkcs12 comes from it" >&2
  exit 1
fi
tmp=$file.signing
rm -f "$tmp"
set -- osslsigncode sign -pkcs12 "$pkcs12" -readpass /dev/stdin -h sha256 -n Vorbel -i https://info.vorbel.fr/
[ -z "$timestamp" ] || set -- "$@" -ts "$timestamp"
# The password on a pipe, without a newline: osslsigncode would take it as part of the password.
if ! printf '%s' "$VORBEL_SIGN_PASSWORD" | "$@" -in "$file" -out "$tmp" >"$tmp.log" 2>&1; then
  cat "$tmp.log" >&2
  rm -f "$tmp" "$tmp.log"
  echo "sign.sh: $file could not be signed with $pkcs12" >&2
  exit 1
fi
rm -f "$tmp.log"
mv "$tmp" "$file"
