#!/usr/bin/env bash
# ./run.sh --demo: plays whole links under Wine and writes a screenshot of every step.
# Round 1: the stand-in practice program shows a patient, its three fields are designated as
# Setup would, the button is clicked, the patient is confirmed and the stand-in imaging program
# shows what it received. Round 2: another patient given on a command line, in each convention.
# Round 3: round 1 again at a display scale of 150 %, its screenshots named *-150.png.
# Runs on $DISPLAY when there is one, else on a virtual screen of its own; its settings live in
# a Wine prefix of its own (build/wineprefix-demo). The demo programs are never installed.
#   VORBEL_DEMO_OUT   folder of the screenshots (default demo-out)
#   VORBEL_DEMO_QUICK when set: round 1 and one convention only (the test suite's smoke run)
# Plays the x86 build where this host runs it, else the x64 one (VORBEL_ARCHS can choose).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${VORBEL_DEMO_OUT:-$root/demo-out}

export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
export WINEPREFIX=${VORBEL_DEMO_PREFIX:-$root/build/wineprefix-demo}
. tests/rig/wine-env.sh
arch=$(wine_arch_pick)
tools/build.sh "$(wine_arch_build "$arch")" >/dev/null
wine_arch_use "$arch"
bin=$WINE_ARCH_BIN
echo "The demo plays the $arch build."

vorbel_pid=
practice_pid=
# Asks each program to close, gives it a moment, then the rig ends whatever is left.
finish() {
  local rc=$? pid
  [ -n "$vorbel_pid" ] && step command Vorbel 67 || true
  [ -n "$practice_pid" ] && step post class:PmsPatientForm 16 0 || true
  for pid in $vorbel_pid $practice_pid; do
    for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  wine_env_stop
  set_scale 96
  [ $rc = 0 ] || echo "demo: failed; the screenshots taken so far are in $out/" >&2
  exit $rc
}
trap finish EXIT

step() { wine "$bin/vorbel_demo.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# Waits for a window and prints its rectangle; fails the demo when it never shows.
await() {
  local geometry
  geometry=$(step wait "$1" "${2:-15000}") || { echo "demo: the window \"$1\" never showed" >&2; return 1; }
  echo "$geometry"
}

# shot NAME WxH+X+Y [WxH+X+Y]: the screen around the given windows, with a small margin.
shot() {
  local name=$1 l=100000 t=100000 r=0 b=0 g w h x y
  shift
  sleep 0.8   # let every window finish painting
  for g in "$@"; do
    IFS='x+' read -r w h x y <<<"$g"
    ((x < l)) && l=$x; ((y < t)) && t=$y
    ((x + w > r)) && r=$((x + w)); ((y + h > b)) && b=$((y + h))
  done
  l=$((l > 12 ? l - 12 : 0)); t=$((t > 12 ? t - 12 : 0)); r=$((r + 12)); b=$((b + 12))
  import -display "$DISPLAY" -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/$name.png"
  echo "  $out/$name.png"
}

# confirm NAME: screenshots the confirmation dialog, confirms it, screenshots the imaging program.
confirm() {
  local dialog imaging w h x y
  dialog=$(await "Informations extraites")
  shot "$1-confirmation" "$dialog"
  step command "Informations extraites" 1
  imaging=$(await class:WVXMAIN)
  # Started maximised, as the real one: its top-left corner shows all it received.
  IFS='x+' read -r w h x y <<<"$imaging"
  shot "$1-imagerie" "$((w > 490 ? 490 : w))x$((h > 300 ? 300 : h))+$x+$y"
  step post class:WVXMAIN 16 0
  step gone class:WVXMAIN >/dev/null
  # The button comes back 2 s after the link.
  await Vorbel >/dev/null
}

# The display scale of the prefix, in dots per inch (96 is 100 %); Wine reads it when its
# wineserver starts.
set_scale() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
}

own_screen=
[ -n "${DISPLAY:-}" ] || own_screen=1
start_wine() {
  if [ -z "$own_screen" ]; then
    wine_env_start shared "$bin/keepalive.exe"
  else
    wine_env_start own "$bin/keepalive.exe"
  fi
}

mkdir -p "$out"
rm -f "$out"/*.png
if [ -z "$own_screen" ]; then
  echo "The demo plays on the display $DISPLAY."
else
  echo "No DISPLAY: the demo plays on a virtual screen of its own."
fi
wine_env_prefix
set_scale 96
start_wine

# A clean profile, and the stand-in imaging program where a practice would keep its program.
wine reg delete 'HKCU\Software\ZEMO\Vorbel' /f >/dev/null 2>&1 || true
mkdir -p "$WINEPREFIX/drive_c/Imagerie"
cp "$bin/imaging_standin.exe" "$WINEPREFIX/drive_c/Imagerie/imaging_standin.exe"

# round1 SUFFIX: the practice program, Setup, the window-tree picker and a link from a click.
round1() {
  local practice button setup tree
  wine "$bin/practice_standin.exe" --title="Dossier patient — Cabinet du Dr Lemoine" --chart=$chart --last=$last \
    --first="$first" --birth=$birth --civility=2 --pos=40,40 >/dev/null 2>&1 </dev/null &
  practice_pid=$!
  practice=$(await class:PmsPatientForm)
  step designate 'C:\Imagerie\imaging_standin.exe' 'C:\Vximages'

  wine "$bin/Vorbel.exe" >/dev/null 2>&1 </dev/null &
  vorbel_pid=$!
  button=$(await Vorbel)
  shot "01-bouton$1" "$practice" "$button"

  step command Vorbel 66   # the context menu's "Setup"
  setup=$(await "Paramétrage")
  shot "02-parametrage$1" "$setup"
  step command "Paramétrage" 1007   # "+" beside "Dossier": the window-tree picker
  tree=$(await "Liste des fenêtres")
  shot "03-liste-des-fenetres$1" "$tree"
  step command "Liste des fenêtres" 2
  step gone "Liste des fenêtres" >/dev/null
  step command "Paramétrage" 2
  await Vorbel >/dev/null

  step post Vorbel 32769 514   # WM_APP + 1, a click on the button
  confirm "04-fenetre$1"
}

chart=4217 last=MARTIN first='Hélène' birth=12/09/1984
echo "Round 1: patient $chart $last $first read from the practice program's window"
round1 ""

# Another patient than the one on screen, so that each shot shows where the patient came from.
chart=5310 last=BERNARD first='Loïc' birth=03/02/1961
echo "Round 2: patient $chart $last $first given on a command line, in each convention"
conventions="1 2 3 4"
[ -n "${VORBEL_DEMO_QUICK:-}" ] && conventions=2
for n in $conventions; do
  step convention "$n"
  step later "$n" $chart $last "$first" $birth >/dev/null
  echo "  convention $n"
  confirm "05-convention-$n"
done

if [ -z "${VORBEL_DEMO_QUICK:-}" ]; then
  echo "Round 3: round 1 at 150 %"
  step command Vorbel 67
  step post class:PmsPatientForm 16 0
  for pid in $vorbel_pid $practice_pid; do wait "$pid" 2>/dev/null || true; done
  vorbel_pid= practice_pid=
  wine_env_stop
  set_scale 144
  start_wine
  wine reg delete 'HKCU\Software\ZEMO\Vorbel' /f >/dev/null 2>&1 || true
  chart=4217 last=MARTIN first='Hélène' birth=12/09/1984
  round1 -150
fi

echo "The screenshots are in $out/"
