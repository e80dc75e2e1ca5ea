#!/bin/sh
# Builds one MSI package from vorbel.wxs with wixl, then gives each component named If_PROPERTY
# the condition PROPERTY (IfOne_PROPERTY: PROPERTY="1"), which wixl cannot express.
# build-msi.sh WXS OUT ARCH VERSION EXE CHECK_DLL EPOCH [SIGN_COMMAND...]
# CHECK_DLL is the package's check of its properties, carried inside it.
# The same inputs give the same bytes: the product code follows the version, the package code the
# package, and the dates (the package's, and the files' inside its cabinet) are EPOCH.
# SIGN_COMMAND, when given, is run with the finished package as its last argument.
set -eu
wxs=$1 out=$2 arch=$3 version=$4 exe=$5 dll=$6 epoch=$7
shift 7
here=$(cd "$(dirname "$0")" && pwd)
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
tmp=$out.tmp
stage=$out.stage
rm -rf "$tmp" "$stage"
mkdir -p "$stage"
cp "$exe" "$dll" "$stage/"
touch -d "@$epoch" "$stage/$(basename "$exe")" "$stage/$(basename "$dll")"
exe=$stage/$(basename "$exe")
dll=$stage/$(basename "$dll")
# wixl finds a source only by a name relative to the current folder: it runs in the stage.
wxs=$(cd "$(dirname "$wxs")" && pwd)/$(basename "$wxs")
product=$(/usr/bin/python3 "$here/msi_identity.py" product-code "$arch" "$version")
(cd "$stage" && wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D ProductCode="$product" \
  -D Exe="$(basename "$exe")" -D CheckDll="$(basename "$dll")" -o "$tmp" "$wxs")
msiinfo export "$tmp" Component | sed -n 's/^\(If\(One\)\{0,1\}_[A-Z]*\)\t.*/\1/p' | while read -r component; do
  property=${component#*_}
  case $component in
    IfOne_*) condition="$property=\"1\"" ;;
    *) condition=$property ;;
  esac
  msibuild "$tmp" -q "UPDATE \`Component\` SET \`Condition\` = '$condition' WHERE \`Component\` = '$component'"
done
# A package whose components lost their conditions would write every policy value, empty.
[ "$(msiinfo export "$tmp" Component | grep -c '^If')" -eq "$(msiinfo export "$tmp" Component | grep -c '^If[^	]*	[^	]*	[^	]*	[^	]*	[^	]')" ]
/usr/bin/python3 "$here/msi_identity.py" seal "$tmp" "$epoch"
rm -rf "$stage"
mv "$tmp" "$out"
if [ $# -gt 0 ]; then
  "$@" "$out"
fi
