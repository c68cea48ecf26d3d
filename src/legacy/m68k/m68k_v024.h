#pragma once
// The earlier release's 68000 core, public face. An interpreter of an older design than the
// main core's (src/m68k/): general handlers that decode their addressing modes at run time,
// a table built from an ordered record list in which the last matching record wins, and a
// dispatcher that charges each instruction's cost (stored by its handler in `cycle_cost`) at
// the dispatch that follows it. Two instances, as in the main program: the main CPU
// (`m68k_context_v024`) and the Sega CD sub-CPU (`s68k_context_v024`), each with its own
// record, table, fetch pages and bus. Both cores can live in one process: their records are
// distinct.
//
// Life of a core:
//   start-up     m68k_build_jump_table_v024() / s68k_build_jump_table_v024(), once
//   power-on     fill the fetch pages, set `fetch_base` to the image holding the vectors,
//                m68k_reset_v024() / s68k_reset_v024()
//   running      m68k_run_slice_v024() once per timeslice; the counter is reloaded with the
//                fixed slice length at every slice start (the overshoot of the last slice is
//                dropped), and the slice ends by calling the instance's successor slot
//   halted       an opcode without an operation, or a new PC in a page without code, sets
//                `status` bits 0x300 and calls the halt slot; no successor runs and the next
//                slices do nothing until `status` is cleared
//
// What the older core does not model: privilege violations, trace, address errors, line-A
// and line-F exceptions (those opcodes halt). Its costs are fixed per handler, whatever the
// addressing mode, data or count.

#include <array>
#include <span>

#include "base/types.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"

namespace varn {

// ---------------------------------------------------------------------------------------
// The context record
// ---------------------------------------------------------------------------------------

inline constexpr s32 kM68kSliceCyclesV024 = -54;  // main CPU, fixed
inline constexpr s32 kS68kSliceCyclesV024 = -75;  // sub-CPU, fixed

// sp_slot_index values: the byte distance of the active mode's slot in sp_slots.
inline constexpr u32 kUserSlotIndexV024       = 0;
inline constexpr u32 kSupervisorSlotIndexV024 = 4;

struct M68kCpuContextV024 {
    u32 status        = 0;  // 0x300 = halted
    u32 fetch_base    = 0;  // arena offset standing for 68000 address 0 in the current code page
    u8 irq_check      = 0;  // 1 = run the interrupt check at the next slice entry
    u8 irq_pending    = 0;  // bit n = interrupt level n pending
    u32 cycle_cost    = 0;  // cost of the instruction just executed (charged at the next dispatch)
    s32 slice_cycles  = 0;  // slice length, negative
    s32 cycle_counter = 0;  // counts up from slice_cycles; the slice ends when it reaches >= 0
    std::array<u32, 16> regs{};     // D0-D7, A0-A7; A7 is the active stack pointer
    u32 pc = 0;                     // 24-bit PC, valid between slices and after a halt
    std::array<u32, 2> sp_slots{};  // inactive stack pointers: user, supervisor
    u16 sr            = 0;          // status register
    u32 insn_length   = 2;          // bytes of the instruction being executed so far
    u32 sp_slot_index = 0;          // kUserSlotIndexV024 or kSupervisorSlotIndexV024
    u8 stopped        = 0;          // STOP waits for an interrupt
    u8 irq_taken      = 0;          // an interrupt was accepted (STOP reads and clears it)

    // Run state: arena index of the running instruction (the host PC) during a slice.
    u32 host_pc = 0;
};
using m68k_cpu_context_v024 = M68kCpuContextV024;

extern M68kCpuContextV024 m68k_context_v024;  // main CPU
extern M68kCpuContextV024 s68k_context_v024;  // Sega CD sub-CPU

// The core that runs now (set at slice entry and at reset).
extern const M68kCpuContextV024* cpu_current_context_v024;

// Fetch pages, one per 64 KB page (the main core's entry type and rules). At program start
// they hold what the main core's tables hold.
extern M68kFetchPages m68k_fetch_pages_v024;      // main CPU, live
extern M68kFetchPages m68k_fetch_pages_scd_v024;  // main CPU while the Sega CD is attached
extern M68kFetchPages s68k_fetch_pages_v024;      // sub-CPU

// Genesis power-on: the main core's rule (cartridge in pages 0x00-0x3F, boot ROM in page 0
// when it is on and the latch's bit 0 is clear) on m68k_fetch_pages_v024.
void m68k_init_fetch_pages_v024(u32 cart_enable_latch);
// Sega CD power-on: pages 0x00-0x3F of m68k_fetch_pages_scd_v024 into the live table.
void m68k_restore_fetch_pages_v024();

// Both records, the fetch pages and the slots as at program start.
void m68k_reset_records_v024();

// ---------------------------------------------------------------------------------------
// Bus: the accessors every handler reaches memory through (24-bit addresses, big-endian
// values in the low bits).
//
// The main CPU's bus is one table of handler sets, one per 4 KB page (index = address >> 12),
// each set holding the six routines of its region (m68k/m68k_bus.h's types, the contract of
// m68k/m68k_bus.h). The accessor masks the address to 24 bits and enters the page's set. At
// program start, and after m68k_reset_records_v024, every page holds the set that hands the
// access to the shared main-CPU bus tables (m68k/m68k_bus.h), so that the core runs over
// whatever bus is laid there (tests, fuzzing); the earlier machine lays its own map over the
// table at start-up and power-on. The sub-CPU serves the pages of the shared sub-CPU bus.
// ---------------------------------------------------------------------------------------

using M68kPageTableV024 = std::array<const M68kHandlerSet*, kM68kBusPages>;
extern M68kPageTableV024 m68k_page_table_v024;
extern const M68kHandlerSet m68k_shared_bus_set_v024;
// Points every page at `set` (the start-up contents: m68k_shared_bus_set_v024).
void m68k_page_table_fill_v024(const M68kHandlerSet& set);

u32 m68k_read_byte_v024(u32 addr);
u32 m68k_read_word_v024(u32 addr);
u32 m68k_read_long_v024(u32 addr);
void m68k_write_byte_v024(u32 addr, u32 value);
void m68k_write_word_v024(u32 addr, u32 value);
void m68k_write_long_v024(u32 addr, u32 value);
u32 s68k_read_byte_v024(u32 addr);
u32 s68k_read_word_v024(u32 addr);
u32 s68k_read_long_v024(u32 addr);
void s68k_write_byte_v024(u32 addr, u32 value);
void s68k_write_word_v024(u32 addr, u32 value);
void s68k_write_long_v024(u32 addr, u32 value);

// ---------------------------------------------------------------------------------------
// Slots: how the core meets its neighbours. All null at start; the owner binds them. The
// 32X ROM bank and the word-RAM bank of the main CPU's PC loads come from the main core's
// m68k_banked_rom_offset and m68k_word_ram_bank_offset.
// ---------------------------------------------------------------------------------------

// After a main-CPU slice: the Z80's slice while the Disable Z80 option is off and the 68000
// does not hold the Z80 bus (m68k_z80_bus_held_v024 false), else the FM timer step.
extern M68kChainFn m68k_z80_successor_v024;
extern M68kChainFn m68k_successor_v024;
// The Z80 bus-request word as the slice end reads it: true while the 68000 holds the bus.
// Null: the bus counts as held (no Z80 runs).
extern bool (*m68k_z80_bus_held_v024)();
// After every sub-CPU slice (the Sega CD tick).
extern M68kChainFn s68k_successor_v024;
// Called when either core halts (clears the run entry).
extern M68kChainFn m68k_halt_slot_v024;
// The sub-CPU's acceptance of interrupt level 2 (clears the gate array's level-2 flag).
extern void (*s68k_irq_ack_slot_v024)(u32 level);

void m68k_clear_slots_v024();

// ---------------------------------------------------------------------------------------
// Running
// ---------------------------------------------------------------------------------------

// Builds the opcode tables from the record lists; once at start-up (idempotent).
void m68k_build_jump_table_v024();
void s68k_build_jump_table_v024();

// One timeslice (see above). A halted core does nothing.
void m68k_run_slice_v024();
void s68k_run_slice_v024();

// Reset: SR 0x2700, supervisor stack, STOP's flags and the cost cleared, A7 and PC from the
// two big-endian longs at `fetch_base` (read from the image, not through the bus), the PC's
// page looked up (the main CPU with the 32X overlay and bank rules). A vector table outside
// every image, or a PC in a page without code, halts the core. The sub-CPU's reset also
// zeroes its counter, pending levels and re-check flag.
void m68k_reset_v024();
void s68k_reset_v024();

// Interrupt raisers set level n pending and request the check at the next slice entry.
inline void m68k_set_irq_v024(M68kCpuContextV024& c, u32 level) {
    c.irq_pending = static_cast<u8>(c.irq_pending | (1u << (level & 7)));
    c.irq_check   = 1;
}

// Loads the main CPU's registers from a Genecyst state image as the main core does, clears
// `cycle_cost`, and takes the PC's page through the fetch pages alone (a page without code
// halts the core). False, nothing touched, when the image is too short.
bool m68k_load_gs_registers_v024(std::span<const u8> image);

}  // namespace varn
