#!/usr/bin/env bash
# Builds the program in the release preset and runs it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
varn_ensure_packages
cmake --preset release
bin=build/release
# The window program once the build has it; until then the headless runner. Only the
# program is built, not the release preset's benchmarks.
if ninja -C "$bin" -t query winvarn > /dev/null 2>&1; then
  cmake --build --preset release --target winvarn
  exec "$bin/winvarn" "$@"
fi
cmake --build --preset release --target varn-run
echo "The window program is not built yet: running the headless runner varn-run." >&2
exec "$bin/tools/varn-run/varn-run" "$@"
