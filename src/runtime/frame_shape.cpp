#include "runtime/frame_shape.h"

namespace varn {

FramePosition frame_pos{0, kPhaseVblank, 0};
RunStats run_stats{};

void scheduler_reset() {
    frame_pos.slice_counter = 0;
    frame_pos.slice_phase   = kPhaseVblank;
}

}  // namespace varn
