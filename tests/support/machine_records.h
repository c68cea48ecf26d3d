#pragma once
// Start-up state for tests that run the whole Genesis machine. Option words stay the
// caller's: each suite sets the ones it relies on between the two resets, so that the
// components reset in the second step see them.

#include "genesis/bus/bus.h"
#include "genesis/io/lightgun.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"

namespace varn::test {

// The emulation thread's link words, the scheduler, the sound output and the pacing.
inline void reset_runtime_records() {
    thread_link_reset();
    scheduler_reset_all();
    sound_output_reset();
    pace_reset();
}

// Every Genesis component's records: memories, 68000 and its bus, VDP and render output,
// Z80, YM2612 and light gun; the machine running is a Genesis.
inline void reset_genesis_records() {
    memory_clear();
    m68k_reset_records();
    genesis_bus_reset_records();
    vdp_reset_all();
    render_output_reset();
    z80_reset_records();
    ym2612_clear();
    lightgun_reset();
    machine_kind = kMachineGenesis;
}

}  // namespace varn::test
