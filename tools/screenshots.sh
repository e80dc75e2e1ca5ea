#!/usr/bin/env bash
# Refreshes the README's screenshots together: plays the whole demo (tools/demo.sh) into
# build/screenshots and copies the chosen steps into docs/. tools/screenshots.sh, after
# tools/install-deps.sh; like the demo, on $DISPLAY when there is one, else on a screen of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build/screenshots

# docs/ name, then the demo's step.
shots=(
  demo-bouton.png 01-bouton.png
  demo-parametrage.png 02-parametrage.png
  demo-parametrage-150.png 02-parametrage-150.png
  demo-confirmation.png 04-fenetre-confirmation.png
  demo-imagerie.png 04-fenetre-imagerie.png
)

unset VORBEL_DEMO_QUICK
VORBEL_DEMO_OUT=$out timeout -k 20 900 tools/demo.sh
for ((i = 0; i < ${#shots[@]}; i += 2)); do
  cp "$out/${shots[i + 1]}" "docs/${shots[i]}"
  echo "docs/${shots[i]} <- ${shots[i + 1]}"
done
