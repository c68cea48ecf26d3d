#pragma once
// The SH-2 CPU core, public face. Two instances of one interpreter: the 32X master
// (`sh2_context`) and slave (`sh2s_context`), each with its own record, opcode table, bus
// (src/sh2/sh2_bus.h), boot ROM and cache array.
//
// Life of a core:
//   start-up     sh2_interp_reset() / sh2s_interp_reset(), and the bus maps, once
//   power-on     sh2_power_on(): both held, slice budgets from the configuration
//   boot         sh2_reset_from_bios() or, with VBR set by the caller, sh2_reset_from_header()
//                (and the slave's twins); the caller clears the held bit
//   running      sh2_run_slice() once per 68000 timeslice while the 32X is active: the master's
//                slice, then the slave's, then the chain successor (the on-chip units and the
//                PWM timer, bound by the 32X unit)
//   halted       an instruction without a handler, SLEEP, or code reached where no image holds
//                any sets `status` bits 0x300 and calls sh2_halt_slot; the chain stops there
//
// Instruction fetch reads the memory images directly through the fetch regions (one per
// value of address bits 24-31), never through the bus.

#include <array>

#include "base/types.h"

namespace varn {

inline constexpr u32 kSh2StatusHalted  = 0x300;  // both bits: the core is halted
inline constexpr u32 kSh2StatusHeld    = 0x10;   // held in reset until the 32X boots it
inline constexpr u32 kSh2StatusPowerOn = 0x30;   // the status both cores get at power-on

// SR bits.
inline constexpr u32 kSh2SrT = 0x001, kSh2SrS = 0x002, kSh2SrI = 0x0F0, kSh2SrQ = 0x100,
                     kSh2SrM = 0x200;

// Slice budget when the configuration says nothing: 139 cycles per 68000 timeslice.
inline constexpr s32 kSh2DefaultSliceCycles = -139;

// Pending-source bits raised by the 32X unit and the on-chip modules. Bits 0-15 are external
// requests at the level of their bit number; bits 16-31 the on-chip sources, whose level and
// vector come from the interrupt tables (`onchip_level`, `onchip_vector`, index 31 - bit).
inline constexpr u32 kSh2IrqSerial   = 1u << 4;   // serial byte from the other core, vector 66
inline constexpr u32 kSh2IrqPwm      = 1u << 7;   // PWM timer, vector 67
inline constexpr u32 kSh2IrqCommand  = 1u << 9;   // command from the 68000, vector 68
inline constexpr u32 kSh2IrqHBlank   = 1u << 11;  // H interrupt, vector 69
inline constexpr u32 kSh2IrqVBlank   = 1u << 13;  // V interrupt, vector 70
inline constexpr u32 kSh2IrqWatchdog = 1u << 23;  // watchdog interval timer (on-chip)
inline constexpr u32 kSh2IrqDma1     = 1u << 22;  // DMA channel 1 end (on-chip)
inline constexpr u32 kSh2IrqDma0     = 1u << 21;  // DMA channel 0 end (on-chip)

struct Sh2CpuContext {
    u32 status        = 0;  // kSh2StatusHalted, kSh2StatusHeld
    u8 irq_check      = 0;  // 1 = choose among the pending sources at the next slice entry
    u32 irq_pending   = 0;  // see the kSh2Irq bits
    s32 slice_cycles  = kSh2DefaultSliceCycles;  // negative
    s32 cycle_counter = 0;    // counts up through negative values; the slice ends at >= 0 and
                              // the overshoot stays for the next slice
    std::array<u32, 16> r{};  // R0-R15; R15 is the stack pointer
    u32 pc           = 0;     // address of the next instruction between slices
    u32 sr           = 0;     // T bit 0, S bit 1, I bits 4-7, Q bit 8, M bit 9; others as loaded
    u32 gbr          = 0;
    u32 vbr          = 0;
    u32 mach         = 0;
    u32 macl         = 0;
    u32 pr           = 0;
    s32 branch_carry = 0;  // cycles a delayed branch pushed past the end of its slice
    // The division unit's working Q and M: all ones or all zeros, written by DIV0U, DIV0S and
    // DIV1 only, so that a division step sequence is not disturbed by a load of SR between
    // its steps.
    u32 div_q = 0;
    u32 div_m = 0;
    // Interrupt tables of the 16 on-chip sources (index 31 - pending bit): priority level
    // 0-15 and vector offset (vector number x 4, from VBR). Written by the on-chip interrupt
    // controller; zero after reset, and a zero vector is never taken.
    std::array<u8, 16> onchip_level{};
    std::array<u16, 16> onchip_vector{};

    // Run state of this implementation. The running code lies in one fetch region: the image
    // `fetch_image` standing for SH-2 addresses [fetch_start, fetch_start + fetch_size).
    // `cur` is the offset of the running instruction in it, `next` the offset of where
    // execution continues after it (cur + 2 in sequential flow, a branch target after a
    // delayed branch; taken modulo 2^32, it may lie outside the region).
    const u8* fetch_image = nullptr;
    u32 fetch_start       = 0;
    u32 fetch_size        = 0;
    u32 cur               = 0;
    u32 next              = 0;
    u8 halt_pending       = 0;  // the reset found no code at the PC: halt at the next slice
};
using sh2_cpu_context = Sh2CpuContext;

extern Sh2CpuContext sh2_context;   // master
extern Sh2CpuContext sh2s_context;  // slave

// The SH-2 that runs now (set at slice entry).
extern const Sh2CpuContext* sh2_current_context;

// PC of the running instruction during a slice (from a bus handler), `pc` between slices.
inline u32 sh2_current_pc(const Sh2CpuContext& c) { return c.fetch_start + c.cur; }

// Records back to their start-up contents (contexts cleared with the default slice budget).
// Slots stay bound.
void sh2_reset_records();

// ---------------------------------------------------------------------------------------
// Slots: how the cores meet the 32X unit. All null at start-up; the owner binds them.
// ---------------------------------------------------------------------------------------

using Sh2ChainFn = void (*)();
using Sh2CoreFn  = void (*)(u32 core);  // core 0 = master, 1 = slave

// After the slave's slice (also a skipped one): the master and slave DMA controllers,
// timers and watchdogs, the PWM timer, then back to the scheduler.
extern Sh2ChainFn sh2_successor;
// Called on the emulation thread when a core halts (clears the run entry).
extern Sh2ChainFn sh2_halt_slot;
// A core took the command interrupt: the 32X clears that core's request bit.
extern Sh2CoreFn sh2_command_irq_taken;
// The on-chip modules' resets, called by every core reset in this order.
struct Sh2OnChipResetSlots {
    Sh2CoreFn serial = nullptr;  // serial interface
    Sh2CoreFn frt    = nullptr;  // free-running timer
    Sh2CoreFn dmac   = nullptr;  // DMA controller
    Sh2CoreFn intc   = nullptr;  // interrupt-controller registers
    Sh2CoreFn divu   = nullptr;  // division unit
};
extern Sh2OnChipResetSlots sh2_onchip_reset_slots;

void sh2_clear_slots();

// ---------------------------------------------------------------------------------------
// Running
// ---------------------------------------------------------------------------------------

// Builds the opcode tables from the pattern list; once at start-up (idempotent).
void sh2_interp_reset();
void sh2s_interp_reset();

// The run entries, reached once per 68000 timeslice while the 32X is active: the master's
// slice, which goes on to the slave's entry; the slave's slice, which goes on to
// sh2_successor. A halt of either core ends the chain there. A core whose counter is still a
// whole slice or more past zero skips its slice and goes on.
void sh2_run_slice();
void sh2s_run_slice();
// One core's slice alone, without the rest of the chain. False when the core is or became
// halted.
bool sh2_run_slice_alone();
bool sh2s_run_slice_alone();

// Power-on of a 32X machine: both cores held, their slice budgets from the configuration.
void sh2_power_on();

// Boot from the boot ROM: cache array cleared, VBR := 0, PC and R15 from the longs at 0 and 4.
void sh2_reset_from_bios();
void sh2s_reset_from_bios();
// Boot from the cartridge header: VBR set by the caller; PC := header long 0x3E0 (master) or
// 0x3E4 (slave), R15 := the long at VBR + 4.
void sh2_reset_from_header();
void sh2s_reset_from_header();

// Raises pending sources and asks for the interrupt choice at the next slice.
inline void sh2_raise_irq(Sh2CpuContext& c, u32 bits) {
    c.irq_pending |= bits;
    c.irq_check = 1;
}

}  // namespace varn
