#pragma once
// What the VDP needs of its neighbours: the line scheduler's position, the region flag,
// the 68000's slice and interrupt lines, the Z80 interrupt line and the display-size
// notice. Kept in one place so that the register code reads as the chip does.

#include "base/types.h"
#include "genesis/vdp/vdp.h"

namespace varn {

// The 68000 the VDP interrupts and whose slice the HV counter measures: its pending-level
// bits, its re-check flag and its slice counter and length. The main program's 68000 until
// a machine with another 68000 core points them at that core's record (its power-on).
struct VdpCpuLinks {
    u8* irq_pending;
    u8* irq_check;
    const s32* cycle_counter;
    const s32* slice_cycles;
};
extern VdpCpuLinks vdp_cpu_links;
// Points the links at the main program's 68000.
void vdp_cpu_links_main();

}  // namespace varn

namespace varn::vdp_link {

// Scheduler position: line number in bits 4 and up, slice within the phase in bits 0-3;
// phase 0 drawing, 1 horizontal blank, 2 vertical blank. An unbound word reads 0.
inline u32 slice_counter() { return *vdp_runtime_slots.slice_counter; }
inline u32 slice_phase() { return *vdp_runtime_slots.slice_phase; }

// Region: 1 on a 50 Hz console.
inline u32 pal_flag() { return *vdp_runtime_slots.pal_flag; }

// Cycles the 68000 has run in its current slice, and the slice's length (both >= 0).
s64 m68k_slice_elapsed();
s64 m68k_slice_length();

// 68000 interrupt request convention: set the level bit and the re-check flag, or clear
// the bit alone.
void m68k_raise(u32 level);
void m68k_withdraw(u32 level);

// Raises the Z80 interrupt line (frame end).
void z80_irq_raise();

// Tells the front end that screen_width or screen_height changed.
void post_display_size_changed();

}  // namespace varn::vdp_link
