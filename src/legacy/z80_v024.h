#pragma once
// The earlier machine's Genesis Z80: the main program's interpreter (z80/z80_core.h) bound
// to the older Z80 map, dispatched by a run loop of its own through a copy of the core's
// tables in which the instructions of the older design are replaced.
//
// Run loop, once a 68000 timeslice: the counter takes the fixed slice length (-80) on top
// of the last slice's overshoot; the interrupt lines are looked at only at entry (nothing
// in this machine raises them: its Z80 never takes an interrupt); then each instruction's
// cost is charged before the next is fetched, and the slice ends at the first charge that
// brings the counter to zero or above. R is never counted; only LD R,A changes it.
//
// Map (16 pages of 4 KB):
//   0x0000-0x1FFF  Z80 RAM (no mirror); code runs only here
//   0x4000-0x4FFF  YM2612: reads give the status byte; 0x4000-0x4003 latches and data
//   0x6000-0x6FFF  bank register: nine writes of bit 0 make 68000 address bits 15-23
//   0x8000-0xFFFF  the 68000 bus at bank | (address & 0x7FFF), words byte-swapped
//   elsewhere      reads give the address itself, writes vanish (the PSG too)
//
// A jump into a page without code and every undefined opcode (the older set has no
// instructions on the halves of IX and IY) stop the machine: status bits 0x300 and the halt
// slot.

#include <array>
#include <span>

#include "base/types.h"
#include "z80/z80.h"
#include "z80/z80_core.h"

namespace varn {

inline constexpr s32 kZ80SliceCyclesV024 = -80;

extern z80_cpu_context z80_context_v024;
extern u32 z80_bank_v024;  // 68000 address bits 15-23 of the window at 0x8000

// The dispatch tables: the core's with the older instructions in place (start-up;
// z80_v024_ops.h holds the older set over any bus).
void z80_build_tables_v024();
// The number of entries that differ from the core's tables (123 once built).
u32 z80_overridden_entries_v024();

// One timeslice (does nothing while the core is stopped).
void z80_run_v024();
// Clears the cost, IFF1, IFF2, PC, SP and I and takes the code page of PC 0; F, IX, IY and
// R keep their values.
void z80_reset_v024();

// The bus (16-bit addresses; words little-endian).
u8 z80_read_byte_v024(u32 addr);
u16 z80_read_word_v024(u32 addr);
void z80_write_byte_v024(u32 addr, u8 value);
void z80_write_word_v024(u32 addr, u16 value);

// Takes the registers from a Genecyst state image held in memory (32-bit fields from 0x404:
// AF, BC, DE, HL, IX, IY, PC, SP, AF', BC', DE', HL'; I at 0x434). A PC in a page without
// code stops the machine as a jump there does. False, nothing changed, when the image is too
// short.
bool z80_load_gs_registers_v024(std::span<const u8> image);

// Called when the Z80 stops the machine; null calls nothing (the core stops all the same).
extern void (*z80_halt_slot_v024)();

// The context, bank and slot as at program start (tests).
void z80_reset_records_v024();

}  // namespace varn
