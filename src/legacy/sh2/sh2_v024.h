#pragma once
// The earlier release's SH-2 interpreter, public face. It runs the 32X's two SH-2s on the
// same records as the main core (`sh2_context`, `sh2s_context`: registers, status, slice
// budget and counter, delayed-branch carry, pending sources, on-chip interrupt tables), so the
// 32X unit and the on-chip modules raise and clear their requests there as for the main core;
// the older design keeps beside each record its two-slot fetch pipeline and the cost of the
// instruction just executed, and has its own opcode tables and bus accessors
// (sh2_bus_v024.h).
//
// How it runs:
//   - the instruction handlers are the main core's (src/sh2/sh2_ops_handlers.h) on the
//     pipeline flow: each stores its own cost, delayed branches book their cycles themselves
//     and write their target into slot B, so that the delay slot in slot A runs next;
//   - costs: 1 for most instructions, 2 for MULx.W, DMULx.L, MAC.W and STC.L, 3 for SLEEP,
//     LDC.L and the #imm,@(R0,GBR) forms, 4 for TAS.B, 8 for TRAPA; BT and BF 1 taken or not;
//     BRA, BSR, BRAF, BSRF, JMP, JSR, RTS 2, RTE 4, BT/S and BF/S 1 (the slot adds its own);
//   - SLEEP is a 3-cycle no-op; interrupt acceptance books no cycles;
//   - the interrupt scan at slice entry (after RTE, LDC to SR or a raised request): the
//     highest level bit from 15 down to the mask level itself, then the on-chip sources,
//     which win at a level not below the one chosen so far.
//
// Life: the main program's power-on and resets (sh2_power_on, sh2_reset_from_bios, ...) set
// the records up; the pipeline is taken from `pc` at every slice entry.

#include <span>

#include "base/pattern_table.h"
#include "base/types.h"
#include "sh2/sh2.h"

namespace varn {

// A position in a fetch region: the region's image standing for the SH-2 addresses
// [start, start + size), and an instruction's offset in it. A slot may step past its region's
// end; it is looked up again before anything is read there.
struct Sh2FetchSlotV024 {
    const u8* image = nullptr;
    u32 start       = 0;
    u32 size        = 0;
    u32 off         = 0;
    u32 address() const { return start + off; }
};

struct Sh2PipelineV024 {
    Sh2FetchSlotV024 a;  // the instruction that runs next
    Sh2FetchSlotV024 b;  // the one after it
    u32 cost = 0;        // cycles of the instruction just executed, booked at the next dispatch
};
extern Sh2PipelineV024 sh2_pipeline_v024;
extern Sh2PipelineV024 sh2s_pipeline_v024;

// Status bits of the break after an interrupt, for a debugger: with bit 0 set, a core that
// takes an interrupt stops at its handler's first instruction (bit 1 set) and stays there,
// slice after slice, until bit 0 is cleared or bit 2 set.
inline constexpr u32 kSh2StatusBreakV024   = 0x01;
inline constexpr u32 kSh2StatusWaitingV024 = 0x02;
inline constexpr u32 kSh2StatusResumeV024  = 0x04;

// Builds both opcode tables from the pattern list; once at start-up.
void sh2_interp_reset_v024();
std::span<const OpcodePattern<u32 (*)(u32)>> sh2_opcode_patterns_v024();

// The run entries, once per 68000 timeslice while the 32X runs: the master's slice, then the
// slave's, then `sh2_successor` (the on-chip units). A held core is skipped; a halt ends the
// chain.
void sh2_run_slice_v024();
void sh2s_run_slice_v024();
// One core's slice alone. False when the core is or became halted.
bool sh2_run_slice_alone_v024();
bool sh2s_run_slice_alone_v024();

// The pipelines cleared (tests start clean with it).
void sh2_reset_records_v024();

}  // namespace varn
