#!/usr/bin/env bash
# Keeps the layers of src/ pointing one way: a folder includes only folders on floors below
# its own (and itself), never one above it or a different folder on the same floor. Lower
# code that must reach a unit above it calls through the machine table or a named slot that
# the composition point fills. A folder missing from the table fails too, so every new
# folder is given its place.
#
# usage: check-includes.sh [SOURCE_ROOT]   (default: the folder above this script)
set -euo pipefail
root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root"

# floor  folder (under src/; the longest folder that starts a path names its unit)
floors='
0   base
10  memory
10  romnamer
20  m68k
20  z80
20  sh2
25  legacy/m68k
25  legacy/sh2
30  runtime
40  genesis/sound
41  genesis/z80
42  genesis/vdp
43  genesis/bus
44  genesis/io
45  genesis/state
45  genesis/runtime
50  settings
60  cddrive
70  sms
70  s32x
70  segacd
75  legacy/s32x
82  legacy/segacd
80  media
85  legacy
90  compose
100 frontend/input
100 frontend/host
101 frontend/dialogs
102 frontend
103 legacy/frontend
'

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- 'src/*.h' 'src/*.cpp')
else
  mapfile -t files < <(find src -name '*.h' -o -name '*.cpp')
fi
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
[ ${#existing[@]} -eq 0 ] && exit 0

awk -v floors="$floors" '
  BEGIN {
    n = split(floors, lines, "\n")
    for (i = 1; i <= n; ++i) {
      if (split(lines[i], f, " ") == 2) floor_of[f[2]] = f[1] + 0
    }
    bad = 0
  }
  # The unit of a path under src/: the longest folder of the table it starts with.
  function unit_of(path,    best, u) {
    best = ""
    for (u in floor_of)
      if (index(path, u "/") == 1 && length(u) > length(best)) best = u
    return best
  }
  FNR == 1 {
    path = substr(FILENAME, 5)  # without "src/"
    own  = unit_of(path)
    if (own == "") {
      printf "%s: its folder has no floor in cmake/check-includes.sh\n", FILENAME
      bad = 1
    }
  }
  own != "" && /^[ \t]*#[ \t]*include[ \t]*"/ {
    line = $0
    sub(/^[^"]*"/, "", line)
    sub(/".*$/, "", line)
    if (index(line, "/") == 0) next  # beside the file itself
    target = unit_of(line)
    if (target == "" || target == own) next
    if (floor_of[target] > floor_of[own]) {
      printf "%s:%d: includes %s, a floor above %s\n", FILENAME, FNR, line, own
      bad = 1
    } else if (floor_of[target] == floor_of[own]) {
      printf "%s:%d: includes %s, beside %s on its own floor\n", FILENAME, FNR, line, own
      bad = 1
    }
  }
  END { exit bad }
' "${existing[@]}"
