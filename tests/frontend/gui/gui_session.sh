# What the window sessions share, sourced after `set -euo pipefail` with `shots` set:
#   gui_session_start TOOL...   skips (exit 77) unless the tools are there; makes the work
#                               folder $work (removed at exit, with winvarn killed) and an
#                               empty profile of its own under $work/config; clears $shots
#   windows, window_count, windows_at_least N, windows_exactly N   the program's windows
#   wait_for WHAT COMMAND...    until the command succeeds (10 s), else fails with WHAT
#   wait_for_exit WHAT          the program must end cleanly within 10 s, else fails with WHAT
#   quit_with_alt_x             Alt+X to the main window; the program must end cleanly
#   shoot WINDOW FILE           a screenshot of one window (or root)
# The program's pid is kept in $pid, its main window in $main.

fail() {  # keeps a picture of the whole screen beside the shots
  echo "FAIL: $*"
  timeout 15 import -window root "$shots/failure-screen.png" 2>/dev/null || true
  exit 1
}

# ImageMagick's import now and then never returns from a window that is being mapped or
# restacked on the X server; it gets 15 s a try and three tries before the session fails.
shoot() {
  local try
  for try in 1 2 3; do
    timeout 15 import -window "$1" "$2" && return 0
    sleep 0.5
  done
  fail "no screenshot of window $1 for $2"
}

gui_session_start() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  work=$(mktemp -d)
  pid=
  trap gui_session_cleanup EXIT
  rm -rf "$shots"
  mkdir -p "$shots"
  export XDG_CONFIG_HOME=$work/config
  mkdir -p "$XDG_CONFIG_HOME/varn"
}
gui_session_cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  rm -rf "$work"
}

windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true; }
window_count() { windows | wc -l; }
windows_at_least() { [ "$(window_count)" -ge "$1" ]; }
windows_exactly() { [ "$(window_count)" -eq "$1" ]; }
wait_for() {
  local what=$1
  shift
  for _ in $(seq 100); do
    "$@" && return 0
    sleep 0.1
  done
  fail "$what"
}

# wait_for_exit WHAT: the program ends cleanly within 10 s, else fails with WHAT.
wait_for_exit() {
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "$1"
  wait "$pid" || fail "winvarn did not end cleanly"
  pid=
}

quit_with_alt_x() {
  xdotool key --window "$main" alt+x
  wait_for_exit "Alt+X did not end the program"
}
