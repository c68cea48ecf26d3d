#!/usr/bin/env bash
# A session at the keyboard: winvarn starts with an empty profile, Alt+L opens the file
# dialog, the cartridge typed into it boots and runs; F2 saves a state and F3 loads it back;
# F9 writes a screenshot equal to the frame; Alt+Z and Alt+Num+ change options; Alt+X quits
# and the settings file holds the changed options.
#
#   session_test.sh WINVARN VARN_RUN IMAGE SHOTS_DIR
#
# Run under xvfb-run. The window screenshots of every step are kept in SHOTS_DIR.
set -euo pipefail
winvarn=$1 varn_run=$2 image=$3 shots=$4

# shellcheck source=gui_session.sh
. "$(dirname "$0")/gui_session.sh"
[ -f "$image" ] || { echo "SKIP: $image is not there"; exit 77; }
gui_session_start xdotool import convert compare identify
mkdir -p "$work/states" "$work/shots"

# A profile of its own; states and screenshots go to folders of the test.
printf '[File IO]\nGSSPath=%s/\nSHTPath=%s/\n' "$work/states" "$work/shots" \
  >"$XDG_CONFIG_HOME/varn/VARN.INI"

shot() {  # shot NAME: the main window as a PNG in the shots folder
  shoot "$main" "$shots/$1.png"
}

# The still picture the cartridge draws, from the headless runner.
"$varn_run" --frames 300 --fake-clock --dump-frame "$work/expected.ppm" "$image" >/dev/null
convert "$work/expected.ppm" "$work/expected.png"

# shellcheck source=picture_match.sh
. "$(dirname "$0")/picture_match.sh"

SDL_AUDIODRIVER=dummy "$winvarn" &
pid=$!
wait_for "no window appeared" windows_at_least 1
main=$(windows | head -n1)
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
shot 01-started

# Alt+L: the file dialog opens as a second window.
xdotool key --window "$main" --clearmodifiers alt+l
wait_for "Alt+L opened no file dialog" windows_at_least 2
dialog=$(windows | grep -v "^$main\$" | tail -n1)
sleep 0.5
shoot "$dialog" "$shots/02-file-dialog.png"
xdotool type --delay 10 "$image"
xdotool key Return
wait_for "the file dialog did not close" windows_exactly 1
# Without a window manager nobody hands the focus back: the user clicks into the window.
focus_main() { xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"; }
focus_main
sleep 3  # the game runs
shot 03-running
picture_matches "$shots/03-running.png" "$work/expected.png" "$work" ||
  fail "the window does not show the cartridge's picture"

# F2 saves a state under its automatic name, F3 loads it back.
xdotool key --window "$main" F2
wait_for "F2 wrote no state file" compgen -G "$work/states/*.VK0"
state=$(compgen -G "$work/states/*.VK0" | head -n1)
[ -s "$state" ] || fail "the state file is empty"
xdotool key --window "$main" F3
sleep 1
[ "$(window_count)" -eq 1 ] || { shot 04-load-state-message; fail "F3 showed a message"; }
shot 04-state-loaded
picture_matches "$shots/04-state-loaded.png" "$work/expected.png" "$work" ||
  fail "the picture changed after loading the state"

# F9: a screenshot of the frame.
xdotool key --window "$main" F9
wait_for "F9 wrote no screenshot" compgen -G "$work/shots/*.PNG"
png=$(compgen -G "$work/shots/*.PNG" | head -n1)
cp "$png" "$shots/05-screenshot-file.png"
differ=$(compare -metric AE -fuzz 4% "$png" "$work/expected.png" null: 2>&1 || true)
[ "$differ" = 0 ] || fail "the screenshot differs from the frame ($differ pixels)"

# Options from the accelerators: Disable Z80 and the double size.
xdotool key --window "$main" alt+z
xdotool key --window "$main" alt+KP_Add
sleep 1.5
shot 06-double-size
convert "$work/expected.png" -scale 200% "$work/expected2.png"
picture_matches "$shots/06-double-size.png" "$work/expected2.png" "$work" ||
  fail "Alt+Num+ did not double the picture"

# Alt+X quits and writes the settings.
quit_with_alt_x
ini=$XDG_CONFIG_HOME/varn/VARN.INI
cp "$ini" "$shots/VARN.INI"
grep -q '^GENDisableZ80=1' "$ini" || fail "the settings file lacks GENDisableZ80=1"
grep -q '^ScreenSize=1' "$ini" || fail "the settings file lacks ScreenSize=1"
grep -q "^ROMPath=.*genesis" "$ini" || fail "the settings file lacks the ROM folder"
echo "PASS"
