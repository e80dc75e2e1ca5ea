#!/usr/bin/env bash
# What a release ships, checked against a second build: tests/check_release.sh SUMMARY_FILE
# - reproducible: the same sources built again in a fresh clone, in another folder, give the
#   same bytes as build/win32 and build/win64 (Vorbel.exe, the NSIS installer, the MSI package);
# - signing: that second x86 build, signed with a throwaway certificate authority's code-signing
#   certificate, verifies against that authority (the program, both installers, and the program
#   inside each installer), is the unsigned build once its signature is removed, and a signed
#   file with one byte changed does not verify.
# Run after both builds. The second build makes the product only: the program, the preset writer
# and the packages. A working tree with uncommitted changes is cloned with those changes.
# VORBEL_RELEASE_PRESETS="win32" compares one build only (the signing check needs win32).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
summary=$1
work=$(mktemp -d /tmp/vorbel-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
src=$work/second/vorbel

repro_pass=0 repro_fail=() sign_pass=0 sign_fail=()
repro_ok() { repro_pass=$((repro_pass + 1)); echo "same bytes: $1"; }
repro_bad() { repro_fail+=("$1"); echo "DIFFERENT: $1" >&2; }
sign_ok() { sign_pass=$((sign_pass + 1)); echo "signing: $1"; }
sign_bad() { sign_fail+=("$1"); echo "SIGNING FAILED: $1" >&2; }
report() {
  local label=$1 pass=$2
  shift 2
  local line="$label: $pass passed, $# failed"
  [ $# = 0 ] || line="$line ($(printf '%s; ' "$@" | sed 's/; $//'))"
  echo "$line" >> "$summary"
}

echo "Cloning $(git rev-parse --short HEAD) into $src"
git clone -q --no-local "$root" "$src"
git -C "$src" checkout -q --detach "$(git rev-parse HEAD)"
if ! git diff --quiet HEAD; then
  echo "The working tree has uncommitted changes: the second build takes them too."
  git diff --binary HEAD | git -C "$src" apply --binary
fi
git ls-files -z --others --exclude-standard | tar -c --null -T - | tar -x -C "$src"

# The release files of one build folder, by kind.
release_files() { (cd "$1/bin" && ls Vorbel.exe Vorbel-Setup-*.exe && ls Vorbel-*.msi | grep -v upgrade-test); }

for preset in ${VORBEL_RELEASE_PRESETS:-win32 win64}; do
  (cd "$src" && cmake --preset "$preset" >/dev/null)
  cmake --build "$src/build/$preset" -j"$(nproc)" --target Vorbel installer msi_package >/dev/null
  for f in $(release_files "$root/build/$preset"); do
    if [ ! -f "$src/build/$preset/bin/$f" ]; then
      repro_bad "$preset/$f: not built again"
    elif cmp "$root/build/$preset/bin/$f" "$src/build/$preset/bin/$f"; then
      repro_ok "$preset/$f"
    else
      repro_bad "$preset/$f"
    fi
  done
done
report reproducible "$repro_pass" ${repro_fail[@]+"${repro_fail[@]}"}

# A throwaway authority and its code-signing certificate, in a PKCS#12 file with a password.
ca=$work/ca
mkdir -p "$ca"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$ca/ca.key" -out "$ca/ca.pem" -days 2 -subj "/CN=Vorbel test CA" \
  -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout "$ca/signer.key" -out "$ca/signer.csr" -subj "/CN=Vorbel test signer" 2>/dev/null
printf '%s\n' "basicConstraints=critical,CA:false" "keyUsage=critical,digitalSignature" "extendedKeyUsage=codeSigning" \
  > "$ca/signer.ext"
openssl x509 -req -in "$ca/signer.csr" -CA "$ca/ca.pem" -CAkey "$ca/ca.key" -CAcreateserial -days 2 \
  -extfile "$ca/signer.ext" -out "$ca/signer.pem" 2>/dev/null
export VORBEL_SIGN_PASSWORD="not a real one"
openssl pkcs12 -export -inkey "$ca/signer.key" -in "$ca/signer.pem" -out "$ca/signer.p12" -passout env:VORBEL_SIGN_PASSWORD

# The x86 build again, signed: relinked so that its programs are signed before the installers pack them.
bin=$src/build/win32/bin
cmake -S "$src" -B "$src/build/win32" -DVORBEL_SIGN_PKCS12="$ca/signer.p12" >/dev/null
rm -f "$bin/Vorbel.exe" "$bin/vorbel_preset.exe"
cmake --build "$src/build/win32" -j"$(nproc)" --target Vorbel installer msi_package >/dev/null

verifies() { osslsigncode verify -CAfile "$ca/ca.pem" -in "$1" >"$work/verify.log" 2>&1; }
setup=$(cd "$bin" && ls Vorbel-Setup-*.exe)
msi=$(cd "$bin" && ls Vorbel-*.msi | grep -v upgrade-test)
for f in Vorbel.exe vorbel_preset.exe "$setup" "$msi"; do
  if verifies "$bin/$f"; then sign_ok "$f verifies"; else sign_bad "$f does not verify: $(tail -n 3 "$work/verify.log" | tr '\n' ' ')"; fi
done

# A signature adds nothing but itself: without it the program is the unsigned build's, byte for byte.
if osslsigncode remove-signature -in "$bin/Vorbel.exe" -out "$work/unsigned.exe" >/dev/null 2>&1 &&
  cmp -s "$work/unsigned.exe" "$root/build/win32/bin/Vorbel.exe"; then
  sign_ok "Vorbel.exe without its signature is the unsigned build"
else
  sign_bad "Vorbel.exe without its signature is not the unsigned build"
fi

# The program each installer carries is the signed one.
mkdir -p "$work/nsis" "$work/msi"
7z x -y -o"$work/nsis" "$bin/$setup" >/dev/null
(cd "$work/msi" && msiextract "$bin/$msi" >/dev/null)
for packed in "$setup:$work/nsis/Vorbel.exe" "$setup:$work/nsis/\$PLUGINSDIR/vorbel_preset.exe" \
  "$msi:$work/msi/Program Files/Vorbel/Vorbel.exe"; do
  from=${packed%%:*} file=${packed#*:}
  name=$(basename "$file")
  if [ -f "$file" ] && cmp -s "$file" "$bin/$name" && verifies "$file"; then
    sign_ok "the $name in $from is the signed one"
  else
    sign_bad "the $name in $from is not the signed one"
  fi
done

# One byte changed halfway through each signed file: its signature no longer verifies.
for f in Vorbel.exe "$setup" "$msi"; do
  cp "$bin/$f" "$work/tampered"
  size=$(stat -c %s "$work/tampered")
  byte=$(od -An -tu1 -j $((size / 2)) -N1 "$work/tampered" | tr -d ' ')
  printf "\\$(printf '%03o' $(((byte + 1) % 256)))" | dd of="$work/tampered" bs=1 seek=$((size / 2)) conv=notrunc 2>/dev/null
  if verifies "$work/tampered"; then sign_bad "$f verifies with one byte changed"; else sign_ok "$f with one byte changed fails"; fi
done
report signing "$sign_pass" ${sign_fail[@]+"${sign_fail[@]}"}
[ ${#repro_fail[@]} = 0 ] && [ ${#sign_fail[@]} = 0 ]
