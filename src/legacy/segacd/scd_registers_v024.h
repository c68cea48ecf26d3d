#pragma once
// The earlier release's Sega CD register routines: the sub-CPU's block 0xFF (PCM registers
// 0xFF0000-0xFF003F, gate array 0xFF8000-0xFF807F) goes through six tables of 192 entries
// (0-63 the PCM registers, 64 + (address & 0x7F) the gate array); an entry left null keeps the
// main program's routine. The older entries:
//   - command area 0xFF8010-0xFF801F: sub-CPU writes are stored (the main CPU reads them back);
//   - memory mode 0xFF8002-0xFF8003: PM and MODE stored; 2 Mbit: DMNA := NOT RET and the VDP
//     DMA source 0x200000-0x23FFFF is word RAM; 1 Mbit: the bank := RET, 0x200000-0x21FFFF
//     that bank, 0x220000-0x23FFFF the 256 KB image after word RAM;
//   - PCM: ENV and the registers written by word and long accesses at 0x00 are only stored;
//     the control byte restarts all eight channels when ON goes from 0 to 1, the on/off byte
//     restarts the channels it switches on. A restart puts the channel at ST x 256.

#include <array>

#include "base/types.h"

namespace varn {

using ScdReadFnV024  = u32 (*)(u32 addr);
using ScdWriteFnV024 = void (*)(u32 addr, u32 value);

inline constexpr u32 kScdRegisterEntriesV024 = 192;

struct ScdRegisterTablesV024 {
    std::array<ScdReadFnV024, kScdRegisterEntriesV024> read_byte{}, read_word{}, read_long{};
    std::array<ScdWriteFnV024, kScdRegisterEntriesV024> write_byte{}, write_word{}, write_long{};
};
extern ScdRegisterTablesV024 scd_register_tables_v024;

// The 256 KB image the VDP's DMA reads at 0x220000-0x23FFFF in 1 Mbit mode.
extern std::array<u8, 0x40000> scd_wram_cell_image_v024;

// Fills the tables with the older entries and puts the older block-0xFF routines into the
// sub-CPU's page tables (after s68k_build_memory_map, which they take the main routines from).
void scd_install_registers_v024();

// The older routines themselves.
void pcm_write_control_v024(u8 v);
void pcm_write_on_off_v024(u8 v);
void scd_memory_mode_write_v024(u8 v);

}  // namespace varn
