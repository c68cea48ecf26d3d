#pragma once
// Wait stretches: a speed path (base/speed_paths.h) for the slices in which every CPU waits.
//
// While the main 68000 goes round a wait loop on a steady read of work RAM and the Z80 either does
// not run or goes round a loop that only reads (m68k_wait_replay.h, z80_wait_loop.h; the Z80's
// calls may store their return addresses into one stack word, part of the loop's state), neither
// CPU writes anything else, so what each one reads stays as it is until something outside them
// changes it: a line or frame event of the video chip, an interrupt, a timer overflow of the
// YM2612. Each CPU's slice is then a function of its own state, and the frame loop takes the kept
// outcome of a slice run before from the same state instead of running it, following each CPU's
// chain of kept slices. The records are written only where something else may look at them: before
// a phase change, at the stretch's end and before each check of the whole machine. Everything else
// a slice does (the sample clock and the samples, the position, the line and frame events, the
// six-button pads' time-outs, the FM timers) still runs slice by slice, so that the machine is
// exactly where plain execution has it at every slice end; the stretch ends at the first slice
// after which a CPU's read could give another value or an interrupt is due, or when a light gun is
// armed.

#include "base/types.h"
#include "genesis/bus/pad_timeout.h"
#include "genesis/io/lightgun.h"
#include "genesis/z80/genesis_z80.h"
#include "genesis/z80/z80_wait_loop.h"
#include "m68k/m68k.h"
#include "m68k/m68k_speed_paths.h"
#include "m68k/m68k_wait_replay.h"

namespace varn {

struct WaitStretch {
    bool z80_runs = false;  // the Z80 runs its slices (in a loop that only reads)
    // After a try that found the Z80 doing more than wait, the next tries are spaced out
    // (doubling up to a limit), so that a machine whose 68000 waits while its Z80 works pays
    // little for them.
    u32 back_off = 0;
    u32 skip     = 0;
    // A stretch ran in the last frame: the next one looks for one at every slice from its
    // start (scheduler.cpp).
    bool ran_last_frame = false;
};
extern WaitStretch wait_stretch;

// Made after every slice that is not in a stretch: true when a stretch starts at the next
// slice. The cheap tests stay inline: the 68000 stands where a wait loop left it, and no
// back-off is running.
bool wait_stretch_begin_slow();
inline bool wait_stretch_begin() {
    if (m68k_context.fetch_pos != m68k::m68k_wait_stop.at) return false;
    if (wait_stretch.skip != 0) {
        --wait_stretch.skip;
        return false;
    }
    return wait_stretch_begin_slow();
}

// Both CPUs' records brought up to date: at a stretch's end, at each phase change (the
// line and frame events look at them) and wherever the machine is looked at from outside.
inline void wait_stretch_catch_up() {
    m68k_wait_catch_up();
    z80_wait_catch_up();
}

// The CPUs' part of a slice within a stretch: the 68000's slice, then the Z80's when it runs.
// The common case is inline: both follow their chains of kept slices (the Z80's only while it
// may still run, and the Z80 still held while it does not run), and nothing but the slice's
// own events can then end the stretch. Otherwise wait_stretch_cpus_rest does the rest of the
// slice the slow way (`m68k_done`: the 68000's link was taken) and tells whether the stretch
// holds after it (the slice itself ran as it would have).
bool wait_stretch_cpus_rest(bool m68k_done);
[[gnu::always_inline]] inline bool wait_stretch_cpus_chained(bool& m68k_done) {
    m68k_done = m68k_wait_chain_step();
    if (!m68k_done) return false;
    if (wait_stretch.z80_runs) return z80_may_run() && z80_wait_chain_step();
    return !z80_may_run();
}

// After the rest of a stretch's slice (the chain, the sample, the phase change): true while
// the stretch holds for the next slice. `ym_moved`: the YM2612's timers reached an event in
// this slice, the only thing that changes its status while nothing writes. The six-button
// pads' time-outs may run on: they change only the pads, which neither waiting CPU reads.
// Interrupts, halts and the Z80's booked cycles change only at a phase change or in a slice
// run the slow way, so within a phase a chained slice needs only the quick test: the 68000's
// next slice is not one the counter skips, and the Z80's reads of the status still hold.
inline bool wait_stretch_holds(bool ym_moved) {
    if (lightgun_latch.armed != 0) return false;
    if (!m68k_wait_only_loop_due()) return false;
    if (!wait_stretch.z80_runs) return true;
    return z80_wait_no_irq_due() && (!ym_moved || z80_wait_ym_holds());
}
[[gnu::always_inline]] inline bool wait_stretch_holds_chained(bool ym_moved) {
    if (m68k_wait_replay.cur->next_skipped) return false;
    return !ym_moved || !wait_stretch.z80_runs || z80_wait_ym_holds();
}

// Forgets what the stretches keep (power-on, tests).
void wait_stretch_reset();

}  // namespace varn
