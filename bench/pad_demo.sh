#!/usr/bin/env bash
# pad_demo.sh OUT PRESS...: writes a demo file that holds a three-button pad in port 1 as
# scripted, for runs that must reach the same screen every time (the sound testers of the 32X
# benchmark images, played with `varn-run --play-demo OUT`).
#
# Each PRESS is FRAME:BUTTONS[:FRAMES]: from frame FRAME (0-based, ascending, not overlapping)
# the buttons are held for FRAMES frames (default 4). BUTTONS is a '+'-joined list of up,
# down, left, right, a, b, c, start. After the last press the stream waits 65535 frames, so
# that the demo outlasts any run.
#
#   bench/pad_demo.sh /tmp/gema.dem 120:start 200:c:8
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 OUT FRAME:BUTTONS[:FRAMES]..." >&2
    exit 2
fi
out=$1
shift

# Bytes as printf escapes.
byte() { printf '\\x%02x' "$1"; }
u16() { byte $(($1 & 0xFF)); byte $((($1 >> 8) & 0xFF)); }

stream='VARNDEMO'
stream+=$(byte 0; byte 0; byte 0; byte 0)   # reserved
stream+=$(byte 1; byte 0; byte 0; byte 0)   # port 1: three-button pad
stream+=$(byte 1; byte 0; byte 0; byte 0)   # port 2: three-button pad

frame=0  # the frame the next record belongs to
for press in "$@"; do
    IFS=: read -r at buttons held <<<"$press"
    held=${held:-4}
    if ! [[ $at =~ ^[0-9]+$ && $held =~ ^[0-9]+$ ]] || ((held == 0)); then
        echo "$0: bad press: $press" >&2
        exit 2
    fi
    if ((at < frame)); then
        echo "$0: presses must ascend without overlapping: $press" >&2
        exit 2
    fi
    bits=0
    IFS=+ read -ra names <<<"$buttons"
    for name in "${names[@]}"; do
        case $name in
            up) bits=$((bits | 0x01)) ;;
            down) bits=$((bits | 0x02)) ;;
            left) bits=$((bits | 0x04)) ;;
            right) bits=$((bits | 0x08)) ;;
            c) bits=$((bits | 0x10)) ;;
            b) bits=$((bits | 0x20)) ;;
            a) bits=$((bits | 0x40)) ;;
            start) bits=$((bits | 0x80)) ;;
            *)
                echo "$0: unknown button: $name" >&2
                exit 2
                ;;
        esac
    done
    # Frames without input up to the press. An opening wait stands for exactly its count;
    # later, the frame that reaches a wait ends there and the count passes after it.
    if ((frame == 0 && at > 0)); then
        stream+=$(byte 0; u16 "$at")
    elif ((at > frame)); then
        stream+=$(byte 0; u16 $((at - frame)))
    fi
    for ((i = 0; i < held; ++i)); do stream+=$(byte 1; byte "$bits"); done
    frame=$((at + held))
done
stream+=$(byte 0; u16 65535)
printf "$stream" >"$out"
