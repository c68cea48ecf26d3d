#pragma once
// The frame's shape, the same for every machine: 224 visible lines of 10 timeslices (8 of
// drawing, 2 of horizontal blank) and 512 slices of vertical blank, 2752 slices a frame in
// every region; a 32-bit sample clock steps once a slice and makes one sample on each carry,
// 735 a frame at 44100 Hz. Each machine's frame loop runs its own CPU slice and chips and
// leaves the counting to the slice-clock tail below.

#include <array>

#include "base/types.h"
#include "runtime/sound_options.h"

namespace varn {

inline constexpr u32 kSlicesPerLine  = 10;
inline constexpr u32 kVisibleLines   = 224;
inline constexpr u32 kVblankSlices   = 512;
inline constexpr u32 kSlicesPerFrame = kVisibleLines * kSlicesPerLine + kVblankSlices;

// Phases of `slice_phase`.
inline constexpr u32 kPhaseDraw   = 0;  // a line's 8 drawing slices
inline constexpr u32 kPhaseHblank = 1;  // a line's 2 horizontal-blank slices
inline constexpr u32 kPhaseVblank = 2;  // the 512 slices of vertical blank

// Sample clock steps by rate index: 2^32 x (samples a frame) / 2752, rounded.
inline constexpr u32 kSampleSteps[3] = {0x445f417d, 0x222fa0bf, 0x1117d05f};

struct FramePosition {
    // During the visible part: line in bits 4 and up, slice within the phase in bits 0-3.
    // During the vertical blank: the blank slices run so far.
    u32 slice_counter;
    u32 slice_phase;
    u32 sound_sample_clock;  // a carry out of bit 31 makes one sample due
};
extern FramePosition frame_pos;

// The line being run, valid while `slice_phase` is not the vertical blank.
inline u32 current_line() { return frame_pos.slice_counter >> 4; }

// Counts for the headless runner and benchmarks (never reset by a boot).
struct RunStats {
    u64 frames;
    u64 slices;
    u64 samples;
};
extern RunStats run_stats;

enum class FrameResult {
    kFrameEnd,  // the frame ended normally
    kHalted,    // a CPU halted: the run is abandoned
};

// Places the scheduler at a frame start: the first slice of the vertical blank, the state
// just after a frame end, so that the next frame run is a whole frame.
void scheduler_reset();

namespace frame_shape_detail {
// By phase: the counter bit that ends it, the counter correction and the phase step.
inline constexpr u32 kPhaseMask[3] = {8, 2, 0x200};
inline constexpr u32 kPhaseAdd[3]  = {static_cast<u32>(-8), 14, static_cast<u32>(-512)};
inline constexpr u32 kPhaseStep[3] = {1, static_cast<u32>(-1), static_cast<u32>(-2)};

// The sample clock's step by the low byte of the rate option, so that a slice reads it
// with one load.
inline constexpr std::array<u32, 256> kSampleStepByOption = [] {
    std::array<u32, 256> t{};
    for (u32 b = 0; b < 256; ++b) t[b] = kSampleSteps[sound_rate_index_of(b)];
    return t;
}();
}  // namespace frame_shape_detail

// The phase that ends with the counter at `n` gives way to the next: the position is set,
// and true means the frame end (line 224).
inline bool frame_phase_change(u32 phase, u32 n) {
    frame_pos.slice_counter = n + frame_shape_detail::kPhaseAdd[phase];
    frame_pos.slice_phase   = phase + frame_shape_detail::kPhaseStep[phase];
    return (frame_pos.slice_counter & 0xE00) == 0xE00;
}

// Slices run from the position `counter` of `phase` until the count that ends the phase:
// the first step of the counter that sets the phase's end bit.
inline u32 slices_to_phase_end(u32 phase, u32 counter) {
    const u32 end_bit = frame_shape_detail::kPhaseMask[phase];
    const u32 next    = counter + 1;
    return (next & end_bit) != 0 ? 1 : 1 + end_bit - (next & (end_bit - 1));
}

// The sample clock's step for the rate option's value.
inline u32 sample_step_for_option(u32 option) {
    return frame_shape_detail::kSampleStepByOption[option & 0xFF];
}

// The tail of every slice of a frame loop, after the machine's CPUs and chips have run it:
// the sample clock advances (a carry makes one sample through `MakeSample`), the position
// counts on and, once the slices counted down in `phase_left` run out, the phase ends
// through `PhaseEnd(phase, counter)`, which returns true at the frame end. After a phase
// change `phase_left` holds the slices to the next phase end.
enum class SliceEnd { kPhaseGoesOn, kPhaseChanged, kFrameEnded };
template <auto MakeSample, auto PhaseEnd>
[[gnu::always_inline]] inline SliceEnd slice_clock_tail(u32 sample_step, u32& phase_left) {
    const u32 before = frame_pos.sound_sample_clock;
    frame_pos.sound_sample_clock += sample_step;
    if (frame_pos.sound_sample_clock < before) MakeSample();
    ++frame_pos.slice_counter;
    if (--phase_left != 0) [[likely]]
        return SliceEnd::kPhaseGoesOn;
    if (PhaseEnd(frame_pos.slice_phase, frame_pos.slice_counter)) return SliceEnd::kFrameEnded;
    phase_left = slices_to_phase_end(frame_pos.slice_phase, frame_pos.slice_counter);
    return SliceEnd::kPhaseChanged;
}

}  // namespace varn
