#!/bin/sh
# Builds one MSI package from vorbel.wxs with wixl, then gives each component named If_PROPERTY
# the condition PROPERTY (IfOne_PROPERTY: PROPERTY="1"), which wixl cannot express.
# build-msi.sh WXS OUT ARCH VERSION EXE CHECK_DLL [SIGN_COMMAND]
# CHECK_DLL, the package's check of its properties, lies beside EXE.
# SIGN_COMMAND, when given, is run with the finished package as its last argument: the one place
# where a release signs both packages (its own signing script).
set -eu
wxs=$1 out=$2 arch=$3 version=$4 exe=$5 dll=$6 sign=${7:-}
[ "$(dirname "$dll")" = "$(dirname "$exe")" ]
tmp=$out.tmp
rm -f "$tmp"
# wixl finds a source only by a name relative to the current folder: it runs in the program's.
wxs=$(cd "$(dirname "$wxs")" && pwd)/$(basename "$wxs")
case $tmp in /*) ;; *) tmp=$(pwd)/$tmp ;; esac
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
(cd "$(dirname "$exe")" && wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D Exe="$(basename "$exe")" -D CheckDll="$(basename "$dll")" -o "$tmp" "$wxs")
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
mv "$tmp" "$out"
if [ -n "$sign" ]; then
  $sign "$out"
fi
