#pragma once
// The speed paths' proof on the real 32X: the Genesis comparison (machine_compare.h) with the
// 32X unit's parts beside it, compared at every slice end, the point where the 68000, both
// SH-2s, their on-chip units and the PWM timer meet: both SH-2s' records, SDRAM, the frame
// buffers, the palette, the unit's registers with the on-chip modules, and the PWM output
// (the picture and the sound, mixed, are the Genesis parts').

#include <functional>

#include "support/machine_compare.h"

namespace varn::test {

SpeedPathComparison compare_speed_paths_32x(const std::function<void()>& start, u64 frames,
                                            const std::function<void(u64)>& before_frame = {});

}  // namespace varn::test
