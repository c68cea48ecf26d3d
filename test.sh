#!/usr/bin/env bash
# Builds the dev preset (Debug, ASan + UBSan, warnings as errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
varn_ensure_packages
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j "$(nproc)"
