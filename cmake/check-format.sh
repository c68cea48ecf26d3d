#!/usr/bin/env bash
# Fails when a tracked C++ source is not formatted as .clang-format says.
set -euo pipefail
fmt=${1:-clang-format}
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.h' '*.cpp' '*.hpp' '*.cc')
else
  mapfile -t files < <(find src tests tools bench fuzz -name '*.h' -o -name '*.cpp' 2>/dev/null)
fi
[ ${#files[@]} -eq 0 ] && exit 0
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
[ ${#existing[@]} -eq 0 ] && exit 0
"$fmt" --dry-run --Werror "${existing[@]}"
