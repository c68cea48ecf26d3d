# Sourced by the window tests. picture_matches WINDOW_PNG EXPECTED_PNG SCRATCH_DIR: true when
# the window shows the expected picture at its left edge, below the menu bar (the offset is
# searched, as the menu bar's height depends on the desktop's font). The window shows 5-6-5
# pixels widened by the X server, the runner's picture widens them by shifting: a few levels
# of difference a component are the same colour.
picture_matches() {
  local size w h y differ
  size=$(identify -format '%wx%h' "$2")
  w=${size%x*} h=${size#*x}
  for y in $(seq 0 60); do
    convert "$1" -crop "${w}x${h}+0+${y}" +repage "$3/crop.png"
    differ=$(compare -metric AE -fuzz 4% "$3/crop.png" "$2" null: 2>&1 || true)
    [ "$differ" = 0 ] && return 0
  done
  return 1
}
