#!/usr/bin/env bash
# A session with the earlier release's window: winvarn-legacy starts with an empty profile of
# its own; File > Load ROM... opens the file dialog and the cartridge typed into it boots and
# shows the picture the earlier machine draws headless; Alt+X quits and writes the earlier
# release's VARN.INI in its own profile folder, leaving the main program's alone.
#
#   gui_session_test.sh WINVARN_LEGACY VARN_RUN IMAGE SHOTS_DIR
#
# Run under xvfb-run. The window screenshots of every step are kept in SHOTS_DIR.
set -euo pipefail
program=$1 varn_run=$2 image=$3 shots=$4
gui_dir=$(dirname "$0")/../../frontend/gui

# shellcheck source=../../frontend/gui/gui_session.sh
. "$gui_dir/gui_session.sh"
[ -f "$image" ] || { echo "SKIP: $image is not there"; exit 77; }
gui_session_start xdotool import convert compare identify
rmdir "$XDG_CONFIG_HOME/varn"
# shellcheck source=../../frontend/gui/picture_match.sh
. "$gui_dir/picture_match.sh"

shot() { shoot "$main" "$shots/$1.png"; }

# The still picture the cartridge draws on the earlier machine, from the headless runner.
"$varn_run" --legacy --frames 300 --fake-clock --dump-frame "$work/expected.ppm" "$image" >/dev/null
convert "$work/expected.ppm" "$work/expected.png"

"$program" &
pid=$!
wait_for "no window appeared" windows_at_least 1
main=$(windows | head -n1)
sleep 1
focus_main() { xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"; }
focus_main
shot 01-started
[ -f "$XDG_CONFIG_HOME/varn-legacy/VARN.INI" ] || fail "start-up made no VARN.INI of its own"

# File > Load ROM...: the File menu is the menu bar's first entry, Load ROM its first item.
xdotool mousemove --window "$main" 20 10 click 1
sleep 0.5
shoot root "$shots/02-file-menu.png"
xdotool key Down Return
wait_for "File > Load ROM... opened no file dialog" windows_at_least 2
dialog=$(windows | grep -v "^$main\$" | tail -n1)
sleep 0.5
shoot "$dialog" "$shots/03-file-dialog.png"
xdotool type --delay 10 "$image"
xdotool key Return
wait_for "the file dialog did not close" windows_exactly 1
focus_main
sleep 3  # the game runs
shot 04-running
picture_matches "$shots/04-running.png" "$work/expected.png" "$work" ||
  fail "the window does not show the cartridge's picture"

quit_with_alt_x
ini=$XDG_CONFIG_HOME/varn-legacy/VARN.INI
cp "$ini" "$shots/VARN.INI"
[ "$(grep -ac '=' "$ini")" -eq 222 ] || fail "the settings file does not hold the 222 keys"
grep -q "^ROMPath=.*genesis" "$ini" || fail "the settings file lacks the ROM folder"
grep -q '^SCDUseCartridgeBatteryRAMs=0' "$ini" || fail "the settings file is not the earlier layout"
[ ! -e "$XDG_CONFIG_HOME/varn" ] || fail "the main program's profile folder was touched"
echo "PASS"
