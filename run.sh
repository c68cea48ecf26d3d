#!/usr/bin/env bash
# Builds the release preset and runs the program with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
varn_ensure_packages
cmake --preset release
cmake --build --preset release
bin=build/release
if [ -x "$bin/winvarn" ]; then
  exec "$bin/winvarn" "$@"
elif [ -x "$bin/varn-run" ]; then
  echo "The window program is not built yet: running the headless runner varn-run." >&2
  exec "$bin/varn-run" "$@"
else
  echo "Built the libraries, tests and benchmarks; no program to run yet." >&2
fi
