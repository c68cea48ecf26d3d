#!/usr/bin/env bash
# The window program on a real X server: it opens its window, boots a cartridge named on its
# command line through the image loader (under the filter its name and header call for), and
# the picture in the window is the headless runner's frame of that cartridge, scaled to
# double size. At exit it writes its settings file.
#
#   window_picture_test.sh WINVARN VARN_RUN IMAGE
#
# Run under xvfb-run. VARN_E2E_DUMP=<dir> keeps the screenshot and the expected picture.
set -euo pipefail
winvarn=$1 varn_run=$2 image=$3

for tool in xdotool import convert compare; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -f "$image" ] || { echo "SKIP: $image is not there"; exit 77; }

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A profile of its own, asking for double size; every other key keeps its default.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/varn"
printf '[Graphics]\nScreenSize=1\n' >"$XDG_CONFIG_HOME/varn/VARN.INI"

# The picture is still once the cartridge has drawn it: any later frame will do.
"$varn_run" --frames 300 --fake-clock --dump-frame "$work/expected.ppm" "$image" >/dev/null
convert "$work/expected.ppm" -scale 200% "$work/expected.png"

SDL_AUDIODRIVER=dummy "$winvarn" "$image" &
pid=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window appeared"; exit 1; }
sleep 3  # a few seconds of frames

timeout 15 import -window "$window" "$work/window.png"
size=$(identify -format '%wx%h' "$work/window.png")
echo "window $size"

if [ -n "${VARN_E2E_DUMP:-}" ]; then
  mkdir -p "$VARN_E2E_DUMP"
  cp "$work/window.png" "$VARN_E2E_DUMP/winvarn-window.png"
  cp "$work/expected.png" "$VARN_E2E_DUMP/winvarn-expected.png"
fi

# The picture area is 640 x 448 pixels below the menu bar (the status bar is below it).
# shellcheck source=picture_match.sh
. "$(dirname "$0")/picture_match.sh"
matches=1
picture_matches "$work/window.png" "$work/expected.png" "$work" || matches=0

kill -TERM "$pid"
wait "$pid" || { echo "FAIL: winvarn did not end cleanly"; exit 1; }
pid=
# The file held one section; the writer rewrites all of them.
grep -q '^\[Sound\]' "$XDG_CONFIG_HOME/varn/VARN.INI" ||
  { echo "FAIL: the settings file was not written at exit"; exit 1; }

[ "$matches" = 1 ] || { echo "FAIL: the window's picture differs from the runner's frame"; exit 1; }
echo "PASS"
