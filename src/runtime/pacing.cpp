#include "runtime/pacing.h"

#include "base/config.h"
#include "runtime/thread_link.h"

namespace varn {

PaceState pace;

void pace_rebase(u32 now_ms) {
    pace.pace_base_ms = now_ms;
    pace.pace_target  = kFrameTime;
}

bool frame_pace() {
    const bool fast_forward = emu_fast_forward();
    if (fast_forward || cfg(cfg_frame_skip) == kFrameSkipAuto) {
        const u32 frame = fast_forward ? kFastForwardFrameTime : kFrameTime;
        u32 now         = sys_time_ms();
        if (now - pace.pace_base_ms > kStaleBaseMs) {
            // The thread stood still for seconds (a debugger, a suspended host): start
            // counting again from here instead of skipping or waiting for the gap.
            pace.pace_base_ms = now;
            pace.pace_target  = 0;
        }
        const u32 d = ((now - pace.pace_base_ms) << 20) - pace.pace_target;
        if (d < kLateThreshold) {
            // On time.
        } else if (static_cast<s32>(d) >= static_cast<s32>(kLateThreshold)) {
            if (pace.frame_skip_level < kMaxSkipLevel) ++pace.frame_skip_level;
        } else {
            // Early: wait for the target.
            while (((now - pace.pace_base_ms) << 20) < pace.pace_target) {
                thread_yield();
                now = sys_time_ms();
            }
            if (pace.frame_skip_level > 0) --pace.frame_skip_level;
        }
        pace.pace_target += frame;
        if (pace.pace_target >= kRebasePoint) {
            pace.pace_base_ms = now;
            pace.pace_target -= kRebasePoint;
        }
    }
    const bool skipped = !frame_drawn();
    if (skipped) {
        pace.frame_skip_count = static_cast<u8>(pace.frame_skip_count + 8);
    } else {
        pace.frame_skip_count = 0;
    }
    return skipped;
}

void frame_skip_select(u32 setting) {
    u8 level = 0;
    switch (setting) {
        case 0:
            level = 0;
            break;
        case 1:
            level = 8;
            break;
        case 3:
            level = 24;
            break;
        case 7:
            level = 56;
            break;
        default:
            setting = kFrameSkipAuto;
            break;
    }
    cfg_set(cfg_frame_skip, setting);
    pace.frame_skip_level = level;
}

void pace_reset() { pace = PaceState{}; }

}  // namespace varn
