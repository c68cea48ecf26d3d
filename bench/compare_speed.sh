#!/usr/bin/env bash
# Unpaced speed of the working tree against a base commit, image by image.
#
# Builds the base commit and the working tree (uncommitted changes included) with the
# release settings, each in its own build folder outside the source, then runs
# `varn-run --frames N --fake-clock --bench` on every shared Genesis, Master System and 32X
# test image, both builds in turn, pinned to one core, for several rounds. Prints the median
# frames a second of each build and their ratio (working tree / base; above 1 is faster).
#
# Usage: bench/compare_speed.sh [--base COMMIT] [--rounds R] [--cpu C] [--scale X]
#                               [--only PATTERN] [--dir DIR]
#   --base    the commit to compare against (default 25395c1)
#   --rounds  interleaved rounds, the median is taken over them (default 5, at least 5
#             for figures worth quoting)
#   --cpu     the core every run is pinned to (default the last one)
#   --scale   multiplies every image's frame count (default 1; 0.2 for a quick look)
#   --only    runs only the images whose file name matches PATTERN (an extended regular
#             expression, e.g. 'minimusic|stereo')
#   --dir     where the base source and both builds are kept between runs (default
#             $TMPDIR/varn-compare-speed); a second run rebuilds only what changed
#
# A developer tool, not part of CI. Wall-clock figures depend on the machine's load: say
# how loaded it was when quoting them.
set -euo pipefail

base=25395c1
rounds=5
cpu=$(($(nproc) - 1))
scale=1
only=
work_dir=${TMPDIR:-/tmp}/varn-compare-speed

while [ $# -gt 0 ]; do
    case $1 in
        --base|--rounds|--cpu|--scale|--only|--dir)
            [ $# -ge 2 ] || { echo "compare_speed.sh: $1 takes a value" >&2; exit 2; } ;;
    esac
    case $1 in
        --base) base=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --cpu) cpu=$2; shift 2 ;;
        --scale) scale=$2; shift 2 ;;
        --only) only=$2; shift 2 ;;
        --dir) work_dir=$2; shift 2 ;;
        -h|--help) sed -n '2,23p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "compare_speed.sh: unknown option: $1" >&2; exit 2 ;;
    esac
done
case $rounds in ''|*[!0-9]*) echo "compare_speed.sh: --rounds takes a number" >&2; exit 2 ;; esac
[ "$rounds" -ge 1 ] || { echo "compare_speed.sh: --rounds must be at least 1" >&2; exit 2; }

root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
testdata=${VARN_TESTDATA:-/work/shared/testdata}/roms
base_sha=$(git -C "$root" rev-parse --verify "$base^{commit}")

# The images, with the frames each runs (about a second or two on an idle core) and the
# options it needs. A new image or a new way to drive one goes here.
image_frames() {
    case $1 in
        *.32x) echo 450 ;;
        *.sms) echo 12000 ;;
        *) echo 8000 ;;
    esac
}
image_options() {
    case $1 in
        # The 32X sound testers are started by the pad (demo files written below): the
        # sound plays from about frame 104 (gema) and 254 (nikona).
        */gema-soundtest_mars.32x) echo "--filter 2 --32x-system-roms off --play-demo $work_dir/gema.dem" ;;
        */nikona-rom_mars.32x) echo "--filter 2 --32x-system-roms off --play-demo $work_dir/nikona.dem" ;;
        *.32x) echo "--filter 2 --32x-system-roms off" ;;
        *) echo "" ;;
    esac
}

images=()
for f in "$testdata"/genesis/*.bin "$testdata"/sms/*.sms "$testdata"/32x/*.32x; do
    [ -f "$f" ] || continue
    [ -z "$only" ] || basename "$f" | grep -qE -- "$only" || continue
    images+=("$f")
done
[ ${#images[@]} -gt 0 ] || { echo "compare_speed.sh: no images under $testdata" >&2; exit 1; }

# ---- the two builds ---------------------------------------------------------------------

build() {  # source folder, build folder
    # A build folder made from another source tree (another clone) starts afresh.
    if [ -f "$2/CMakeCache.txt" ] && ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$1" "$2/CMakeCache.txt"; then
        rm -rf "$2"
    fi
    cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DVARN_TESTS=OFF -DVARN_BENCH=OFF >"$2.log" 2>&1 &&
        cmake --build "$2" -j4 --target varn-run >>"$2.log" 2>&1 ||
        { echo "compare_speed.sh: the build in $2 failed; see $2.log" >&2; exit 1; }
}

mkdir -p "$work_dir"
"$root/bench/pad_demo.sh" "$work_dir/gema.dem" 100:c
"$root/bench/pad_demo.sh" "$work_dir/nikona.dem" 150:start 250:c
base_src=$work_dir/base-src
if [ "$(cat "$base_src/.commit" 2>/dev/null)" != "$base_sha" ]; then
    rm -rf "$base_src"
    mkdir -p "$base_src"
    git -C "$root" archive "$base_sha" | tar -x -C "$base_src"
    echo "$base_sha" >"$base_src/.commit"
fi
echo "building ${base_sha:0:7} and the working tree in $work_dir ..." >&2
build "$base_src" "$work_dir/base-build"
build "$root" "$work_dir/work-build"
base_run=$work_dir/base-build/varn-run
work_run=$work_dir/work-build/varn-run

# ---- the runs ---------------------------------------------------------------------------

results=$work_dir/results.txt
: >"$results"
fps_of() {  # binary, image: frames a second, or "-" when the run printed none
    local frames opts out
    frames=$(awk -v n="$(image_frames "$2")" -v s="$scale" 'BEGIN { f = int(n * s); print f < 1 ? 1 : f }')
    opts=$(image_options "$2")
    # shellcheck disable=SC2086  # the options are words
    out=$(taskset -c "$cpu" "$1" --frames "$frames" --fake-clock --bench $opts "$2" 2>/dev/null || true)
    awk '/^fps / { print $2; found = 1 } END { if (!found) print "-" }' <<<"$out"
}

echo "pinned to core $cpu, $rounds rounds, load before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
for ((r = 1; r <= rounds; r++)); do
    echo "round $r of $rounds" >&2
    for img in "${images[@]}"; do
        # Alternate which build goes first, so neither always follows the other.
        if ((r % 2)); then order="base work"; else order="work base"; fi
        for which in $order; do
            bin=$base_run
            [ "$which" = work ] && bin=$work_run
            echo "$which $(basename "$img") $(fps_of "$bin" "$img")" >>"$results"
        done
    done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

# ---- the table --------------------------------------------------------------------------

printf '%-30s %10s %10s %7s\n' image "${base_sha:0:7}" "working" ratio
for img in "${images[@]}"; do
    name=$(basename "$img")
    awk -v name="$name" '
        function median(a, n,    i, j, t) {
            for (i = 2; i <= n; i++)
                for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
            return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
        }
        $2 == name && $3 != "-" { if ($1 == "base") b[++nb] = $3; else w[++nw] = $3 }
        END {
            if (nb == 0 || nw == 0) { printf "%-30s %10s %10s %7s\n", name, "-", "-", "-"; exit }
            mb = median(b, nb); mw = median(w, nw)
            printf "%-30s %10.0f %10.0f %6.2fx\n", name, mb, mw, mw / mb
        }' "$results"
done
