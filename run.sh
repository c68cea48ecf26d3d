#!/usr/bin/env bash
# Builds the program in the release preset and runs it with the given arguments. The build's
# output goes to build/run-build.log and is shown only when the build fails.
set -euo pipefail
cd "$(dirname "$0")"
bin=build/release
log=build/run-build.log

usage() {
  cat <<'EOF'
usage: ./run.sh                     open the VARN window (winvarn)
       ./run.sh [options] IMAGE     run IMAGE headless (varn-run)
       ./run.sh --legacy [IMAGE]    open the earlier release's window (winvarn-legacy)
       ./run.sh --help              this text

Builds what it runs first (release preset, into build/release/; the build's output goes to
build/run-build.log and is shown only when the build fails). Settings, system ROMs, save RAM,
states and screenshots are kept in the profile folder, ~/.config/varn/ (see README.md).

winvarn [IMAGE]
  The emulator's window: File > Load ROM opens Genesis (.bin .gen .md .smd), 32X (.32x),
  Sega CD (.iso .bin .raw, .cue sheets) and Master System (.sms) images, plain or inside a
  ZIP or RAR archive; an IMAGE named on its command line is started at once. It needs a
  display (X11 or Wayland); without one it says so and exits with status 1.

winvarn-legacy [IMAGE]
  The earlier release of the window: Genesis, 32X and Sega CD images (no Master System), no
  sound, no state saving (it loads Genecyst states); its settings are its own VARN.INI in
  ~/.config/varn-legacy/. Without a display, ./run.sh --legacy IMAGE runs IMAGE headless on
  the earlier machine (varn-run --legacy).

varn-run [options] IMAGE
  The headless runner: loads IMAGE as the window would (the extension picks the machine),
  runs it without window, sound or input (60 frames unless --frames N says otherwise) and
  prints frames, slices, samples and seconds. Often used options:
    --frames N              run N frames
    --profile DIR           use DIR/VARN.INI and DIR's files, as the window does
    --32x-system-roms off   boot a 32X image from its cartridge header, without the 32X
                            system ROM files
    --screenshot FILE       write the last frame as a PNG
    --wav FILE              write the sound as a WAV file
  Exit status 0 done, 1 a CPU halted, 2 bad arguments, image or file.
EOF
  if [ -x "$bin/varn-run" ]; then
    echo
    echo "All of varn-run's options (from $bin/varn-run --help):"
    echo
    "$bin/varn-run" --help
  else
    echo
    echo "After the first build, $bin/varn-run --help lists all of its options."
  fi
}

for arg in "$@"; do
  if [ "$arg" = --help ] || [ "$arg" = -h ]; then
    usage
    exit 0
  fi
done

. scripts/setup.sh
varn_ensure_packages

# build TARGET: configures and builds quietly; on failure shows the log and stops.
build() {
  mkdir -p build
  if [ ! -x "$bin/$1" ]; then
    echo "run.sh: building $1 (release preset; the first build takes a few minutes," \
      "log in $log)" >&2
  fi
  if ! { cmake --preset release && cmake --build --preset release --target "$1"; } \
    >"$log" 2>&1; then
    cat "$log" >&2
    echo "run.sh: the build failed; its output is above and in $log" >&2
    exit 1
  fi
}

has_display() { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; }

if [ "${1:-}" = --legacy ] && [ $# -le 2 ] && { [ $# -eq 1 ] || [ "${2:0:1}" != - ]; }; then
  # The earlier release's window, with the image when one is named.
  if ! has_display; then
    build varn-run
    if [ $# -eq 2 ]; then
      exec "$bin/varn-run" "$@"
    fi
    echo "There is no display to open the window on (DISPLAY and WAYLAND_DISPLAY are" >&2
    echo "unset). Run an image headless on the earlier machine: ./run.sh --legacy IMAGE" >&2
    exit 1
  fi
  build winvarn-legacy
  shift
  exec "$bin/legacy/winvarn-legacy" "$@"
fi

if [ $# -eq 0 ]; then
  # No arguments: the window program, when there is a display to open it on.
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    build varn-run
    echo "There is no display to open the VARN window on (DISPLAY and WAYLAND_DISPLAY are" >&2
    echo "unset). Run an image headless instead:" >&2
    echo >&2
    exec "$bin/varn-run" --help
  fi
  build winvarn
  exec "$bin/winvarn"
fi
# An image and options: the headless runner. Only the program is built, not the release
# preset's benchmarks.
build varn-run
exec "$bin/varn-run" "$@"
