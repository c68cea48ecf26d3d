#pragma once
// The slice scheduler and the frame structure of the Genesis.
//
// Time is cut into timeslices of the main 68000. A visible line is 10 slices: 8 of drawing
// and 2 of horizontal blank; 224 lines are followed by 512 slices of vertical blank, 2752
// slices a frame for every machine and region. Before every slice a pass of the loop
// advances the sample clock (one sample on each carry), counts the position, raises the
// line and frame events of the video chip and renders each visible line; after the 68000
// slice the rest of the chain runs: the Z80, the light-gun tick, the FM timers and, when
// present, the Sega CD and the 32X.
//
// `run_frame` runs one frame from a CPU step to the next frame end (its hand-over of
// sound and picture, input poll and pacing); the emulation thread's run entry loops over
// it with the pause and stop check in between.

#include "base/host.h"
#include "base/types.h"

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

// Frame shape shared by every machine's loop. The phase that ends with the counter at `n`
// gives way to the next: the position is set, and true means the frame end (line 224).
bool frame_phase_change(u32 phase, u32 n);
// Slices run from the position `counter` of `phase` until the count that ends the phase:
// the first step of the counter that sets the phase's end bit.
u32 slices_to_phase_end(u32 phase, u32 counter);
// The sample clock's step for the rate option's value.
u32 sample_step_for_option(u32 option);

// Runs from the CPU step to the end of the next frame (pacing included).
FrameResult run_frame();

// The Genesis run entry: frames until a stop or a halt.
void genesis_run_entry();

// Places the scheduler at a frame start: the first slice of the vertical blank, the state
// just after a frame end, so that the next `run_frame` is a whole frame.
void scheduler_reset();

// The boot's start position: a line taken from the low 8 bits of the millisecond clock,
// so the first frame after a boot is partial.
void video_reset_line_counters(u32 clock_ms);

// Seams for the add-on units and for parts that join the frame later. Null entries are
// skipped. They are called on the emulation thread.
struct FrameSeams {
    // Sega CD: runs the sub-CPU slice and the drive/timer tick (it keeps its own run state
    // and does nothing while the sub-CPU is stopped); adds the PCM chip's sample; raised
    // once a frame for the machine's own frame work.
    void (*segacd_slice)();
    void (*segacd_pcm_sample)(s16* slot);
    // 32X: the two SH-2s with their on-chip units and the PWM line step (called only while
    // the 32X is active); the palette-access flag at each phase change, the palette
    // refresh at line 0, the H-blank line hook and the frame hook.
    void (*s32x_slice)();
    void (*s32x_palette_access)();
    void (*s32x_palette_refresh)();
    void (*s32x_hint_line)();
    void (*s32x_vint_frame)();
    // 32X: adds the PWM output to each sample.
    void (*s32x_pwm_sample)(s16* slot);
    // Clears the halt bits of the CPUs of the add-on units and the Master System.
    void (*clear_addon_halts)();
};
extern FrameSeams frame_seams;

// Called at the end of every slice, after the chain (and at the slice that halts a CPU),
// when bound: the checks that watch the whole machine slice by slice. Taken at each frame
// start; null (the default) runs the frame loop without it.
extern void (*slice_end_probe)();

// Binds the 68000 core's successor and halt hooks to this loop's chain (start-up).
void scheduler_bind_hooks();

// Back to the program-start position and counts, seams unbound (tests).
void scheduler_reset_all();

}  // namespace varn
