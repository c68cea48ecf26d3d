#pragma once
// A run of output samples from both Genesis sound chips, for callers that make sound
// outside the slice scheduler (tests, benchmarks, tools). The scheduler itself takes one
// sample at a time: psg_render_sample, then ym2612_output_sample, on the same sample.

#include <span>

#include "base/types.h"

namespace varn {

// Fills every sample of out: the PSG stores it, the YM2612 adds to it.
void genesis_sound_render_samples(std::span<s16> out);

}  // namespace varn
