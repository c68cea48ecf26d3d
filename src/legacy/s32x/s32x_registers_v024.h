#pragma once
// The earlier release's 32X register differences on the SH-2 side:
//   - a byte or word write to 0x4000 (the adapter control, FM bit 7) stores the value and its
//     decoded bits and nothing else: no access flag is raised for the frame-buffer control;
//   - a read of the frame-buffer control register (word 0x410A, byte 0x410B) gives bit 1 from
//     the FM bit alone (1 while the 68000 owns the VDP) and bit 0 = the frame buffer shown.

namespace varn {

// Puts the older routines into both cores' register overrides (sh2_bus_v024.h). After
// s32x_init_sh2_cores() and sh2_build_memory_map_v024().
void s32x_install_registers_v024();

}  // namespace varn
