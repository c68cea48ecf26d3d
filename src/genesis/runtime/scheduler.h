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
#include "runtime/frame_shape.h"

namespace varn {

// Runs from the CPU step to the end of the next frame (pacing included).
FrameResult run_frame();

// The Genesis run entry: frames until a stop or a halt.
void genesis_run_entry();

// The boot's start position: a line taken from the low 8 bits of the millisecond clock,
// so the first frame after a boot is partial.
void video_reset_line_counters(u32 clock_ms);

// Slots for the add-on units and for parts that join the frame later. Null entries are
// skipped. They are called on the emulation thread.
struct FrameSlots {
    // Sega CD: runs the sub-CPU slice and the drive/timer tick (it keeps its own run state
    // and does nothing while the sub-CPU is stopped); adds the PCM chip's sample; raised
    // once a frame for the machine's own frame work.
    void (*segacd_slice)();
    void (*segacd_pcm_sample)(s16* slot);
    // 32X: the two SH-2s with their on-chip units and the PWM line step (called only while
    // the 32X is active); the palette-access flag at each phase change, the palette
    // refresh at line 0, the H-blank line slot and the frame slot.
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
extern FrameSlots frame_slots;

// Called at the end of every slice, after the chain (and at the slice that halts a CPU),
// when bound: the checks that watch the whole machine slice by slice. Taken at each frame
// start; null (the default) runs the frame loop without it.
extern void (*slice_end_slot)();

// Binds the 68000 core's successor and halt slots to this loop's chain (start-up).
void scheduler_bind_slots();

// Back to the program-start position and counts, slots unbound (tests).
void scheduler_reset_all();

}  // namespace varn
