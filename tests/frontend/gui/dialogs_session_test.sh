#!/usr/bin/env bash
# The dialogs as a person opens them: each from its menu command or accelerator, a
# screenshot of each, and what closing it leaves behind. Define Keys takes a real key event
# from the X server (Q) for Up, which the settings file holds at exit as its DirectInput code;
# Load ROM on an archive of two cartridges asks which one to load.
#
#   dialogs_session_test.sh WINVARN IMAGE SHOTS_DIR
#
# Run under xvfb-run. The screenshots are kept in SHOTS_DIR for review.
set -euo pipefail
winvarn=$1 image=$2 shots=$3

# shellcheck source=gui_session.sh
. "$(dirname "$0")/gui_session.sh"
[ -f "$image" ] || { echo "SKIP: $image is not there"; exit 77; }
gui_session_start xdotool import zip
: >"$XDG_CONFIG_HOME/varn/VARN.INI"

# An archive with two cartridges.
cp "$image" "$work/one.bin"
cp "$image" "$work/two.bin"
(cd "$work" && zip -q pair.zip one.bin two.bin)

focus() {
  timeout 3 xdotool windowactivate --sync "$1" 2>/dev/null || timeout 3 xdotool windowfocus --sync "$1"
}
newest() { windows | grep -v "^$main\$" | tail -n1; }
shot() { shoot "$1" "$shots/$2.png"; }

# Opens a menu command with the keyboard: a click on the first menu of the bar, then
# Right to the menu wanted and the keys given through its popups.
menu() {  # menu RIGHTS KEY...
  local i
  for i in 1 2 3 4 5; do
    focus "$main"
    xdotool mousemove --window "$main" 12 8
    sleep 0.2
    xdotool click 1
    sleep 0.5
    windows_at_least 2 && break
  done
  windows_at_least 2 || fail "the menu did not open"
  for ((i = 0; i < $1; i++)); do
    xdotool key Right
    sleep 0.3
  done
  shift
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.3
  done
}

# A dialog by its title: waits for it, lets it draw, keeps its picture.
named() {
  xdotool search --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | grep -v "^$main\$" |
    tail -n1 || true
}
has_named() { [ -n "$(named "$1")" ]; }
opened() {  # opened TITLE SHOT
  wait_for "\"$1\" did not open" has_named "$1"
  dialog=$(named "$1")
  sleep 0.5
  shot "$dialog" "$2"
}
# Keys to a window that has the keyboard focus.
send() {
  focus "$1" 2>/dev/null || true
  shift
  xdotool key "$@"
}
# Closes a window with a key, again while it stays (the key may arrive before the window
# takes the focus).
close_with() {  # close_with WINDOW KEY
  local i
  for i in 1 2 3 4 5; do
    send "$1" "$2"
    for _ in $(seq 20); do
      windows_exactly 1 && return 0
      sleep 0.1
    done
  done
}
closed() { wait_for "\"$1\" did not close" windows_exactly 1; }

SDL_AUDIODRIVER=dummy "$winvarn" &
pid=$!
wait_for "no window appeared" windows_at_least 1
main=$(windows | head -n1)
sleep 1
focus "$main"
shot "$main" 00-main-window

# About (F1), closed with Enter.
xdotool key --window "$main" F1
opened "About Varn\\.\\.\\." 01-about
close_with "$dialog" Return
closed "About"

# Config > File IO > Set Default CD Drive: modeless; Escape stores and closes it.
menu 1 Right c
opened "CD Drive Chooser" 02-cd-drive-chooser
close_with "$dialog" Escape
closed "CD Drive Chooser"

# Config > File IO > Set BRM Path: the folder tree; Cancel keeps the path.
menu 1 Right b
opened "Set BRM Path" 03-brm-path
close_with "$dialog" Escape
closed "Set BRM Path"

# Config > Input > Player 1a > Define Keys: Change for Up, then Q.
menu 1 Down Down Down Right Right k
opened "Define Input" 04-define-keys
focus "$dialog"
# The first Change button has the focus when the dialog opens.
send "$dialog" space
sleep 0.4
shot "$dialog" 05-define-keys-waiting
send "$dialog" q
sleep 0.5
shot "$dialog" 06-define-keys-changed
close_with "$dialog" Escape
closed "Define Input"

# Config > Input > Player 1a > Define Joystick without a joystick: the message.
menu 1 Down Down Down Right Right j
wait_for "no joystick message" windows_at_least 2
dialog=$(newest)
sleep 0.5
shot "$dialog" 07-no-joystick-message
close_with "$dialog" Return
closed "joystick message"

# Load ROM on the archive of two: the Load File dialog; the second entry is loaded.
focus "$main"
xdotool key --window "$main" --clearmodifiers alt+l
wait_for "Alt+L opened no file dialog" windows_at_least 2
sleep 0.5
# Without a window manager the new dialog need not have the keyboard: give it the focus.
# The name typed before the dialog takes keys is lost: type it again while the dialog stays.
file_dialog=$(newest)
gone() { ! windows | grep -qx "$1"; }
for _ in 1 2 3 4 5; do
  focus "$file_dialog" || true
  xdotool key ctrl+a
  xdotool type --delay 10 "$work/pair.zip"
  xdotool key Return
  for _ in $(seq 30); do
    gone "$file_dialog" && break 2
    sleep 0.1
  done
done
wait_for "the file dialog did not close" gone "$file_dialog"
opened "Load File" 08-load-file
sleep 0.5
shot "$dialog" 08-load-file
send "$dialog" Down Down Return
closed "Load File"
# Without a window manager nobody hands the focus back: the user clicks into the window.
focus "$main"
sleep 3
shot "$main" 09-running-from-archive
xdotool getwindowname "$main" | grep -q two.bin || fail "the second entry was not loaded"

focus "$main"
quit_with_alt_x
ini=$XDG_CONFIG_HOME/varn/VARN.INI
cp "$ini" "$shots/VARN.INI"
# Q is DirectInput key 0x10.
grep -q '^Player1AKeyU=10' "$ini" || fail "the settings file lacks Player1AKeyU=10"
grep -q '^Player1AKeyD=50' "$ini" || fail "Down changed too"
echo "PASS"
