#!/usr/bin/env bash
# The keyboard as the first pad: winvarn plays the joypad test cartridge with the default
# keys, and holding each key of the pad (the keypad's arrows, A, S, D and Return for U, D, L,
# R, A, B, C and Start) marks that button on the screen, each in a place of its own.
#
#   joypad_test.sh WINVARN IMAGE SHOTS_DIR
#
# Run under xvfb-run. The window screenshots (idle and one a key) are kept in SHOTS_DIR.
set -euo pipefail
winvarn=$1 image=$2 shots=$3

# shellcheck source=gui_session.sh
. "$(dirname "$0")/gui_session.sh"
[ -f "$image" ] || { echo "SKIP: $image is not there"; exit 77; }
gui_session_start xdotool import compare

SDL_AUDIODRIVER=dummy "$winvarn" "$image" &
pid=$!
wait_for "no window appeared" windows_at_least 1
main=$(windows | head -n1)
sleep 2
# Without a window manager the focus is given by hand, as a click into the window would.
xdotool windowfocus --sync "$main"
sleep 0.5
shoot "$main" "$shots/00-idle.png"

differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != 0 ]; }
keys=(KP_Up KP_Down KP_Left KP_Right a s d Return)
names=(up down left right a b c start)
for i in "${!keys[@]}"; do
  shot="$shots/$((i + 1))-${names[$i]}.png"
  xdotool keydown "${keys[$i]}"
  sleep 0.4
  shoot "$main" "$shot"
  xdotool keyup "${keys[$i]}"
  sleep 0.3
  differs "$shot" "$shots/00-idle.png" || fail "holding ${keys[$i]} shows nothing"
  for ((j = 0; j < i; j++)); do
    differs "$shot" "$shots/$((j + 1))-${names[$j]}.png" ||
      fail "${keys[$i]} shows the same as ${keys[$j]}"
  done
done
# Released, the screen is as it was.
shoot "$main" "$shots/09-released.png"
differs "$shots/09-released.png" "$shots/00-idle.png" && fail "a button stays marked"

kill -TERM "$pid"
wait "$pid" || fail "winvarn did not end cleanly"
pid=
echo "PASS"
