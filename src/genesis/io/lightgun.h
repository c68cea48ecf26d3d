#pragma once
// Light-gun sensor. A mouse-aimed gun (the controller code's gun devices) arms the latch with
// the screen point it aims at when its trigger fires; once the emulated beam passes that
// point, the latch stores the beam position as the VDP would latch its HV counter and raises
// the 68000's external interrupt (level 2) when VDP register 11 bit 3 enables it.
//
// `lightgun_tick` runs once per 68000 slice, after the Z80's slice when the Z80 runs. It also
// counts the six-button pad time-outs (pad_timeout.h). The chain's next step (the YM2612
// timers) is the caller's.

#include "base/types.h"
#include "genesis/bus/pad_timeout.h"

namespace varn {

struct LightgunLatch {
    u32 armed;     // non-zero while waiting for the beam
    u32 target_x;  // screen pixels
    u32 target_y;  // screen line
    u32 hv_latch;  // beam position latched at the last hit: line << 8 | x / 2
};

// Zero when the program starts; a power-on leaves it as it is.
extern LightgunLatch lightgun_latch;

// The gun devices' trigger.
void lightgun_arm(u32 x, u32 y);

// The work of a slice in which the gun is armed or a pad counter runs.
void lightgun_tick_busy(u32 slice_counter, u32 slice_phase);

// One 68000 slice. `slice_counter` is the scheduler's position (line << 4 | slice in the
// line), `slice_phase` its phase (1 = the line's horizontal-blank slices). Runs 16 million
// times a second and almost always finds nothing to do, so the idle test stays inline.
inline void lightgun_tick(u32 slice_counter, u32 slice_phase) {
    if ((lightgun_latch.armed | pad_timeout[0] | pad_timeout[1]) != 0) {
        lightgun_tick_busy(slice_counter, slice_phase);
    }
}

// Clears the latch and the pad time-outs (tests).
void lightgun_reset();

}  // namespace varn
