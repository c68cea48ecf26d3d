#!/usr/bin/env bash
# Builds the program in the release preset and runs it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
varn_ensure_packages
cmake --preset release
bin=build/release
if [ $# -eq 0 ]; then
  # No arguments: the window program, when there is a display to open it on.
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cmake --build --preset release --target varn-run
    echo "There is no display to open the VARN window on (DISPLAY and WAYLAND_DISPLAY are" >&2
    echo "unset). Run an image headless instead:" >&2
    echo >&2
    exec "$bin/varn-run" --help
  fi
  cmake --build --preset release --target winvarn
  exec "$bin/winvarn"
fi
# An image and options: the headless runner. Only the program is built, not the release
# preset's benchmarks.
cmake --build --preset release --target varn-run
exec "$bin/varn-run" "$@"
