#pragma once
// The earlier machine's Genesis: its power-on, its frame loop and the frame copy, and the
// reboot by system code.
//
// The frame has the main program's shape (224 lines of 10 slices, 512 slices of vertical
// blank: 2,752 slices). Each slice runs the older 68000, then the chain: the older Z80
// while the 68000 does not hold its bus (and the Disable Z80 option is off), the YM2612
// timer step, the Sega CD slice and, while the 32X is active, the 32X slice. Line events:
//   start of every line's drawing (and the end of the vertical blank): interrupt lapse,
//     the 68000's pending levels 4 and 6 are dropped;
//   end of every line's drawing (its 8th slice): the H-interrupt counter step, the 32X
//     line step, the line rendered into row n of the frame buffer (unless the frame is
//     skipped);
//   frame end: the V-interrupt raise (level 6 when register 1 bit 5 is set; the H-interrupt
//     counter cleared; no field toggle, no Z80 interrupt), the 32X frame step, pacing, the
//     whole frame copied to the surface and presented (unless skipped), the input poll.
// The earlier machine makes no sound: the sample clock runs, but no sample is made.

#include <array>

#include "base/host.h"
#include "base/types.h"
#include "runtime/frame_shape.h"

namespace varn {

// The running machine's system code: 1 Genesis, 2 32X, 4 Sega CD.
extern u32 system_code_v024;

// Genesis power-on without storing the run entry (the machine record's power-on), and with
// it. The 32X machine's is this one followed by the 32X reset.
void genesis_power_on_machine_v024();
void genesis_power_on_v024();
// The steps every power-on ends with: memories cleared, CPUs and chips reset, the Z80 bus
// held, the controller ports and bank bytes at their power-on values, the save RAM window
// read from the cartridge header.
void machine_power_on_tail_v024();

// One frame (the machine record's run_frame) and frames until a stop or a halt (its run
// entry).
FrameResult run_frame_v024();
void genesis_run_entry_v024();

// The 68000's pending levels 4 and 6 lapse (start of each line).
void m68k_irq_lapse_v024();
// The frame end's V-interrupt.
void vdp_vint_raise_v024();
// Only the doubled-output bit of the render mode survives (first step of every reboot).
void run_flags_clear_v024();

// ---- Frame copy ----------------------------------------------------------------------

// The second row of a doubled pair: ((pixel >> 1) AND half) + (pixel AND keep), per 16-bit
// lane. Scanlines 0: half 0, keep all ones (a copy); 1: half 0x7BCF a lane, keep 0 (half
// brightness); 2: both 0 (black).
struct ScanlineMasksV024 {
    u64 half = 0;
    u64 keep = ~u64{0};
};
extern ScanlineMasksV024 scanline_masks_v024;
// The masks for a Scanlines setting (values above 2 count as 2).
ScanlineMasksV024 scanline_masks_for_v024(u32 setting);

// Copies the frame buffer (224 rows of 320 colour indices in vdp_line_buffer, 512 bytes
// apart) to `surface` through colour_lut, by the render mode: the table's routine at
// index render_mode / 4. Entries 0-3 are the Genesis copies (normal, and doubled with the
// scanline masks); 4-15 are the 32X compositions, which the 32X unit fills (until then
// they copy the Genesis picture). Nothing is written outside the surface.
using FrameCopyFnV024 = void (*)(const FrameSurface& surface);
extern std::array<FrameCopyFnV024, 16> render_mode_table_v024;
void frame_copy_v024(const FrameSurface& surface);
void frame_copy_normal_v024(const FrameSurface& surface);
void frame_copy_double_v024(const FrameSurface& surface);

// ---- Reboot --------------------------------------------------------------------------

// The power-on by system code without pause or resume (a demo's start): the record of the
// system code powers on and resets its unit, and its run entry is stored. Any other code
// powers nothing on.
void emu_power_on_by_system_v024();
// The reset command: stops the emulation thread and waits, clears the run flags, powers
// the machine in memory on again by its system code (the image and the save RAM file are
// left alone), stores the run entry and lets the thread go on.
void emu_reboot_sequence_v024();

// Clears the halt bits of the earlier machine's CPUs (the emulation thread, when it takes
// a run entry).
void clear_cpu_halts_v024();

// Program-start values of this file's records and of the slots it binds (tests).
void genesis_reset_records_v024();

}  // namespace varn
