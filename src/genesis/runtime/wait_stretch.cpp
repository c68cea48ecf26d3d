#include "genesis/runtime/wait_stretch.h"

#include <algorithm>

namespace varn {

WaitStretch wait_stretch{};

namespace {
constexpr u32 kMaxBackOff = 1024;
}  // namespace

bool wait_stretch_begin_slow() {
    WaitStretch& s = wait_stretch;
    // A loop on a port (the video chip's status) reads a value that may change with the
    // position: only loops on work RAM, which nothing writes while the machine waits.
    bool begins =
        lightgun_latch.armed == 0 && m68k_wait_replay_start() && m68k_wait_reads_work_ram();
    if (begins) {
        s.z80_runs = z80_may_run();
        begins     = !s.z80_runs || z80_wait_loop_prove();
    }
    if (!begins) {
        s.back_off = s.back_off == 0 ? 1 : std::min(2 * s.back_off, kMaxBackOff);
        s.skip     = s.back_off;
        return false;
    }
    s.back_off = 0;
    return true;
}

bool wait_stretch_cpus_rest(bool m68k_done) {
    bool holds = true;
    if (!m68k_done) {
        z80_wait_catch_up();
        holds = m68k_wait_slice_slow();
    }
    if ((m68k_context.status & kM68kStatusHalted) != 0) return false;
    if (!z80_may_run()) return holds && !wait_stretch.z80_runs;
    if (holds && wait_stretch.z80_runs) {
        m68k_wait_catch_up();
        return z80_wait_slice_slow();
    }
    wait_stretch_catch_up();
    z80_run_paths_on();
    return false;
}

void wait_stretch_reset() {
    wait_stretch = WaitStretch{};
    m68k_wait_replay_reset();
    z80_wait_loop_reset();
}

}  // namespace varn
