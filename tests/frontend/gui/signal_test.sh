#!/usr/bin/env bash
# A termination signal while a message box waits for an answer: winvarn is started on a file
# it cannot load, so its error box is open; SIGTERM ends the program cleanly within seconds
# all the same, and the settings file is written as at any exit.
#
#   signal_test.sh WINVARN SHOTS_DIR
#
# Run under xvfb-run. The screenshot with the box open is kept in SHOTS_DIR.
set -euo pipefail
winvarn=$1 shots=$2

# shellcheck source=gui_session.sh
. "$(dirname "$0")/gui_session.sh"
gui_session_start xdotool import
printf 'not an image\n' >"$work/notes.txt"

SDL_AUDIODRIVER=dummy "$winvarn" "$work/notes.txt" &
pid=$!
wait_for "the error box did not appear" windows_at_least 2
shoot root "$shots/01-error-box.png"

kill -TERM "$pid"
wait_for_exit "SIGTERM did not end the program while the box was open"
[ -f "$XDG_CONFIG_HOME/varn/VARN.INI" ] || fail "the settings file was not written at exit"
echo "PASS"
