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

void wait_stretch_reset() {
    wait_stretch = WaitStretch{};
    m68k_wait_replay_reset();
    z80_wait_loop_reset();
}

}  // namespace varn
