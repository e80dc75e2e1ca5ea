#!/bin/sh
# Makes a delay-import library for one system DLL from MinGW's import library of it:
#   delay_import.sh NM DLLTOOL IMPORT_LIB DLL_NAME OUT_DEF OUT_LIB
# Every function of the import library goes into the .def, so a function that the program starts
# to call later is delay-loaded as well. On x86, the stdcall names keep their "@n" in the link and
# lose it in the DLL's import name (-k), as in the import library.
set -eu
nm=$1 dlltool=$2 implib=$3 dll=$4 def=$5 lib=$6
case $($nm -g "$implib" | sed -n 's/^[0-9a-f]* T //p' | head -n1) in
  _*@*) x86=1 ;;
  *) x86= ;;
esac
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  if [ -n "$x86" ]; then
    # Functions have a thunk "_Name@n" (T) beside "__imp__Name@n" (I); data only the latter.
    $nm -g "$implib" | sed -n 's/^[0-9a-f]* T _//p'
  else
    $nm -g "$implib" | sed -n 's/^[0-9a-f]* T //p'
  fi | sort -u
} > "$def.tmp"
mv "$def.tmp" "$def"
rm -f "$lib"
$dlltool ${x86:+-k} -d "$def" -D "$dll" -y "$lib"
