#pragma once
// Inside the earlier release's SH-2 interpreter: its instances and their pipeline flow, which
// the shared instruction handlers (src/sh2/sh2_ops_handlers.h) end through.

#include <algorithm>

#include "legacy/sh2/sh2_bus_v024.h"
#include "legacy/sh2/sh2_v024.h"
#include "sh2/sh2_core.h"

namespace varn {

extern Sh2JumpTable sh2_interp_table_v024;
extern Sh2JumpTable sh2s_interp_table_v024;

namespace sh2 {

// The slot at `addr` through its fetch region. False, with the slot untouched, when no
// region holds the address.
template <class I>
bool load_slot(Sh2FetchSlotV024& s, u32 addr) {
    const FetchRegion r = fetch_region<I>(addr);
    const u32 off       = addr - r.start;
    if (off >= r.size) return false;
    s = {r.image, r.start, r.size, off};
    return true;
}

// The two-slot pipeline: after every handler the pipeline steps (the running position takes
// slot A, slot A takes slot B, slot B moves on by one instruction within its region).
struct PipelineFlow {
    // A delayed branch's cycles, booked at once. When they reach the end of the slice the
    // counter stops at -1, so that the delay slot (whose dispatch adds the branch's cost of 0)
    // still runs in this slice, and what went past the end is taken from the next slice.
    template <class I>
    static void book(u32 cycles) {
        auto& c       = I::cpu();
        const s64 sum = s64{c.cycle_counter} + cycles;
        if (sum >= 0) {
            c.cycle_counter = -1;
            c.branch_carry  = static_cast<s32>(sum + 1);
        } else {
            c.cycle_counter = static_cast<s32>(sum);
            c.branch_carry  = 0;
        }
    }
    // The target goes into slot B, behind the delay slot in slot A.
    template <class I>
    static u32 delayed(u32 target, u32 cycles) {
        if (!load_slot<I>(I::pipe().b, target)) return halt_at<I>(target);
        book<I>(cycles);
        return 0;
    }
    template <class I>
    static u32 delayed_not_taken(u32 cycles) {
        book<I>(cycles);
        return 0;
    }
    // A branch without a delay slot: the target into slot A, the instruction after it into B.
    template <class I>
    static u32 branch(u32 target, u32 cycles) {
        auto& p = I::pipe();
        if (!load_slot<I>(p.a, target)) return halt_at<I>(target);
        p.b = p.a;
        p.b.off += 2;
        return cycles;
    }
    template <class I>
    static u32 following() {
        return I::pipe().a.address();
    }
    // PC-relative operands: slot B, the instruction's address + 4 (in a delay slot, where
    // the branch put its target, the target + 2).
    template <class I>
    static u32 pc_base() {
        return I::pipe().b.address();
    }
    // SLEEP does not wait: the code after it runs on.
    template <class I>
    static u32 sleep() {
        return 3;
    }
};

struct OlderMaster {
    using Flow                          = PipelineFlow;
    static constexpr u32 kCore          = 0;
    static constexpr u32 kBootRomOffset = kSh2BootRomOffset;
    static constexpr u32 kBootRomSize   = kSh2BootRomSize;
    static constexpr u32 kCacheOffset   = kSh2CacheOffset;
    static Sh2CpuContext& cpu() { return sh2_context; }
    static Sh2PipelineV024& pipe() { return sh2_pipeline_v024; }
    static Sh2JumpTable& table() { return sh2_interp_table_v024; }
    static u32 read8(u32 a) { return sh2_read_byte_v024(a); }
    static u32 read16(u32 a) { return sh2_read_word_v024(a); }
    static u32 read32(u32 a) { return sh2_read_long_v024(a); }
    static void write8(u32 a, u32 v) { sh2_write_byte_v024(a, v); }
    static void write16(u32 a, u32 v) { sh2_write_word_v024(a, v); }
    static void write32(u32 a, u32 v) { sh2_write_long_v024(a, v); }
};

struct OlderSlave {
    using Flow                          = PipelineFlow;
    static constexpr u32 kCore          = 1;
    static constexpr u32 kBootRomOffset = kSh2sBootRomOffset;
    static constexpr u32 kBootRomSize   = kSh2sBootRomSize;
    static constexpr u32 kCacheOffset   = kSh2sCacheOffset;
    static Sh2CpuContext& cpu() { return sh2s_context; }
    static Sh2PipelineV024& pipe() { return sh2s_pipeline_v024; }
    static Sh2JumpTable& table() { return sh2s_interp_table_v024; }
    static u32 read8(u32 a) { return sh2s_read_byte_v024(a); }
    static u32 read16(u32 a) { return sh2s_read_word_v024(a); }
    static u32 read32(u32 a) { return sh2s_read_long_v024(a); }
    static void write8(u32 a, u32 v) { sh2s_write_byte_v024(a, v); }
    static void write16(u32 a, u32 v) { sh2s_write_word_v024(a, v); }
    static void write32(u32 a, u32 v) { sh2s_write_long_v024(a, v); }
};

}  // namespace sh2
}  // namespace varn
