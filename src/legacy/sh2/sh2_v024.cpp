// The earlier release's SH-2 run loop, interrupt scan and opcode tables.

#include "legacy/sh2/sh2_v024.h"

#include <algorithm>

#include "base/endian.h"
#include "legacy/sh2/sh2_v024_core.h"
#include "sh2/sh2_ops_handlers.h"

namespace varn {

Sh2PipelineV024 sh2_pipeline_v024;
Sh2PipelineV024 sh2s_pipeline_v024;

void sh2_reset_records_v024() {
    sh2_pipeline_v024  = {};
    sh2s_pipeline_v024 = {};
}

namespace sh2 {
namespace {

// What the interrupt scan did.
enum class Scan { kNone, kTaken, kBreak, kHalted };

// The on-chip sources the interrupt registers give a level and vector, by table index
// (31 - pending bit): the free-running timer (0-2), the serial interface (3-6), the DMA
// channels and the division unit (9-11). The others, the watchdog's interval request among
// them, keep the reset's level 0 and vector 0: a request there is never taken.
constexpr u32 kServedSources = 0x0E7F;

// The interrupt scan at slice entry. The level bits are scanned from 15 down to the mask
// level itself; the on-chip sources, from bit 31 down, take over at a level not below the
// one chosen so far (so the later source wins a tie). Acceptance books no cycles; the
// handler's first instruction is the next to run.
template <class I>
Scan interrupt_scan() {
    auto& c        = I::cpu();
    auto& p        = I::pipe();
    c.irq_check    = 0;
    const u32 mask = (c.sr >> 4) & 15;
    u32 level      = mask - 1;  // all ones when the mask is 0 and no level bit is pending
    u32 vector     = 0;
    u32 chosen     = 0;
    for (u32 b = 16; b-- > mask;) {
        if (c.irq_pending & (1u << b)) {
            level  = b;
            chosen = 1u << b;
            vector = 0x100 + (b & 0xE) * 2;
            break;
        }
    }
    for (u32 bit = 31; bit >= 16; --bit) {
        if ((c.irq_pending & (1u << bit)) == 0) continue;
        const u32 i        = 31 - bit;
        const bool served  = (kServedSources >> i) & 1;
        const u32 src_lvl  = served ? c.onchip_level[i] : 0;
        const u32 src_vect = served ? c.onchip_vector[i] : 0;
        if (src_lvl >= level) {
            level  = src_lvl;
            vector = src_vect;
            chosen = 1u << bit;
        }
    }
    if (vector == 0) return Scan::kNone;
    c.irq_pending &= ~chosen;
    if (chosen == kSh2IrqCommand && sh2_command_irq_taken) sh2_command_irq_taken(I::kCore);
    c.r[15] -= 4;
    I::write32(c.r[15], c.sr);
    c.r[15] -= 4;
    I::write32(c.r[15], c.pc);
    c.sr             = (c.sr & ~kSh2SrI) | ((level & 15) << 4);
    const u32 target = I::read32(c.vbr + vector);
    Sh2FetchSlotV024 at;
    if (!load_slot<I>(at, target)) {
        halt_at<I>(target);
        return Scan::kHalted;
    }
    c.pc    = target;
    p.a     = at;
    p.a.off = at.off + 2;
    p.b     = at;
    p.b.off = at.off + 4;
    p.cost  = 0;
    if (c.status & kSh2StatusBreakV024) {
        c.status |= kSh2StatusWaitingV024;
        return Scan::kBreak;
    }
    return Scan::kTaken;
}

// A core waiting at its break runs nothing until the debugger lets it go.
template <class I>
bool still_at_break() {
    auto& c = I::cpu();
    if ((c.status & kSh2StatusWaitingV024) == 0) return false;
    if ((c.status & kSh2StatusBreakV024) == 0) {
        c.status &= ~(kSh2StatusBreakV024 | kSh2StatusWaitingV024);
        return false;
    }
    if (c.status & kSh2StatusResumeV024) {
        c.status &= ~(kSh2StatusResumeV024 | 0x08u | kSh2StatusWaitingV024);
        return false;
    }
    return true;
}

template <class I>
bool run_slice() {
    auto& c = I::cpu();
    auto& p = I::pipe();
    if (c.status & kSh2StatusHalted) return false;
    if (c.status & kSh2StatusHeld) return true;  // not started: the chain goes on
    p.cost = 0;
    // The budget with what a delayed branch carried over, held within the counter's range.
    const s64 sum   = s64{c.cycle_counter} + c.slice_cycles + c.branch_carry;
    c.branch_carry  = 0;
    c.cycle_counter = static_cast<s32>(std::clamp<s64>(sum, -0x40000000LL, 0x40000000LL));
    if (c.cycle_counter >= 0) return true;  // the carried cycles took the whole slice
    sh2_current_context = &c;
    if (c.halt_pending) {
        c.halt_pending = 0;
        halt_at<I>(c.pc);
        return false;
    }
    if (still_at_break<I>()) {
        c.cycle_counter = 0;
        return true;
    }
    // The running position from PC, the two slots behind it.
    Sh2FetchSlotV024 cur;
    if (!load_slot<I>(cur, c.pc)) {
        halt_at<I>(c.pc);
        return false;
    }
    p.a = cur;
    p.a.off += 2;
    p.b = cur;
    p.b.off += 4;
    if (c.irq_check == 1) {
        switch (interrupt_scan<I>()) {
            case Scan::kHalted:
                return false;
            case Scan::kBreak:
                c.cycle_counter = 0;
                return true;
            case Scan::kTaken:
                load_slot<I>(cur, c.pc);
                break;
            case Scan::kNone:
                break;
        }
    }
    const Sh2JumpTable& t = I::table();
    for (;;) {
        c.cycle_counter += static_cast<s32>(p.cost);
        if (c.cycle_counter >= 0) {
            c.pc = cur.address();
            return true;
        }
        // A position that stepped off its region's end is looked up afresh.
        if (cur.off > cur.size - 2 || cur.size < 2) {
            const u32 at = cur.address();
            if (!load_slot<I>(cur, at) || cur.off > cur.size - 2) {
                halt_at<I>(at);
                return false;
            }
        }
        c.fetch_image = cur.image;
        c.fetch_start = cur.start;
        c.fetch_size  = cur.size;
        c.cur         = cur.off;
        c.next        = cur.off + 2;
        const u32 ir  = load_be16(cur.image + cur.off);
        const u32 r   = t[ir](ir);
        if (r == kSh2Leave) return false;
        p.cost = r;
        cur    = p.a;
        p.a    = p.b;
        p.b.off += 2;
    }
}

}  // namespace
}  // namespace sh2

Sh2JumpTable sh2_interp_table_v024  = sh2::unbuilt_table<sh2::OlderMaster>();
Sh2JumpTable sh2s_interp_table_v024 = sh2::unbuilt_table<sh2::OlderSlave>();

void sh2_interp_reset_v024() {
    sh2::build_table<sh2::OlderMaster>();
    sh2::build_table<sh2::OlderSlave>();
}

std::span<const OpcodePattern<u32 (*)(u32)>> sh2_opcode_patterns_v024() {
    return sh2::kPatterns<sh2::OlderMaster>;
}

bool sh2_run_slice_alone_v024() { return sh2::run_slice<sh2::OlderMaster>(); }
bool sh2s_run_slice_alone_v024() { return sh2::run_slice<sh2::OlderSlave>(); }

void sh2_run_slice_v024() {
    if (sh2::run_slice<sh2::OlderMaster>()) sh2s_run_slice_v024();
}
void sh2s_run_slice_v024() {
    if (sh2::run_slice<sh2::OlderSlave>() && sh2_successor) sh2_successor();
}

}  // namespace varn
