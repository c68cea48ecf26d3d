#pragma once
// Shared between the unit's own files.

#include <array>
#include <span>

#include "base/types.h"
#include "genesis/bus/m68k_map.h"

namespace varn {

// Main-side register bytes that are the main CPU's own (0x04-0x09: CDC mode, H-interrupt
// vector, host data); the rest of the page shares scd_ga.regs.
extern std::array<u8, 0x40> scd_main_regs;

extern const M68kHandlerSet scd_main_gate_array_set;
extern const M68kHandlerSet scd_main_prg_ram_set;
extern const M68kHandlerSet scd_main_word_ram_set;

void scd_apply_main_maps();

// Big-endian word at byte i of a memory whose size is mask + 1.
inline u32 scd_be16(std::span<const u8> mem, u32 i, u32 mask) {
    return u32{mem[i & mask]} << 8 | mem[(i + 1) & mask];
}

}  // namespace varn
