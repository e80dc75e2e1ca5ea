#!/bin/sh
# Builds the NSIS installer from vorbel.nsi:
#   build-nsis.sh NSI OUT ARCH VERSION EXE PRESET ICON EPOCH [SIGN_COMMAND...]
# NSIS stores each packed file's date: the programs are packed from copies dated EPOCH, so that
# the same inputs give the same bytes. SIGN_COMMAND, when given, is run with the finished
# installer as its last argument.
set -eu
nsi=$1 out=$2 arch=$3 version=$4 exe=$5 preset=$6 icon=$7 epoch=$8
shift 8
stage=$out.stage
rm -rf "$stage" "$out"
mkdir -p "$stage"
cp "$exe" "$stage/Vorbel.exe"
cp "$preset" "$stage/vorbel_preset.exe"
touch -d "@$epoch" "$stage/Vorbel.exe" "$stage/vorbel_preset.exe"
x64=
[ "$arch" != x64 ] || x64=-DX64
makensis -V2 -DVERSION="$version" -DEXE="$stage/Vorbel.exe" -DPRESET="$stage/vorbel_preset.exe" -DICON="$icon" \
  -DOUTFILE="$out" $x64 "$nsi"
rm -rf "$stage"
if [ $# -gt 0 ]; then
  "$@" "$out"
fi
