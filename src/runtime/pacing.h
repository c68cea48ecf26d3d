#pragma once
// Frame pacing and frame skipping.
//
// Every machine runs at 60 frames a second. With automatic frame skip (and always in
// fast-forward) each frame end is compared with a millisecond target that advances one
// frame at a time: a frame 4 ms late or more raises the skip level, an early one waits for
// the clock and lowers it. The skip level, in eighths of a frame, decides through the skip
// counter which frames are drawn: level L draws one frame in 1 + ceil(L / 8). The fixed
// settings draw one frame in 1, 2, 4 or 8 and do not pace.
//
// Times are milliseconds in 12.20 fixed point (1 ms = 0x100000).

#include "base/types.h"

namespace varn {

inline constexpr u32 kFrameTime            = 0x10AAAAA;   // 16.667 ms
inline constexpr u32 kFastForwardFrameTime = 0x555555;    // 5.333 ms
inline constexpr u32 kLateThreshold        = 0x400000;    // 4 ms
inline constexpr u32 kRebasePoint          = 0x3E800000;  // 1000 ms
inline constexpr u32 kMaxSkipLevel         = 56;
// A base older than this is taken again: (now - base) << 20 holds only 4095 ms.
inline constexpr u32 kStaleBaseMs = 4000;

inline constexpr u32 kFrameSkipAuto = 15;

struct PaceState {
    u8 frame_skip_level = 0;  // eighths of a frame, 0 to 56
    u8 frame_skip_count = 0;  // the frame is drawn while count >= level
    u32 pace_base_ms    = 0;  // clock value the target counts from
    u32 pace_target     = 0;  // next frame end after the base, 12.20 ms
};
extern PaceState pace;

// True when the frame under way is drawn (its lines rendered and presented).
inline bool frame_drawn() { return pace.frame_skip_count >= pace.frame_skip_level; }

// Paces and counts the frame that just ended; returns true when it was not drawn.
bool frame_pace();

// Takes a new base at `now_ms`: the next frame end is due one frame later.
void pace_rebase(u32 now_ms);

// The frame-skip menu choice: stores the setting and its level together (automatic and 0
// level 0, 1 level 8, 3 level 24, 7 level 56). Any other value selects automatic.
void frame_skip_select(u32 setting);

void pace_reset();

}  // namespace varn
