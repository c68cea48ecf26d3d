// The SH-2 core's records, slice execution, interrupts and resets.

#include "sh2/sh2.h"

#include <algorithm>
#include <bit>

#include "base/config.h"
#include "base/speed_paths.h"
#include "sh2/sh2_core.h"
#include "sh2/sh2_speed_paths.h"

namespace varn {

Sh2CpuContext sh2_context;
Sh2CpuContext sh2s_context;
const Sh2CpuContext* sh2_current_context = nullptr;

Sh2ChainFn sh2_successor                   = nullptr;
Sh2ChainFn sh2_halt_hook                   = nullptr;
Sh2CoreFn sh2_command_irq_taken            = nullptr;
Sh2OnChipResetHooks sh2_onchip_reset_hooks = {};

void sh2_clear_hooks() {
    sh2_successor          = nullptr;
    sh2_halt_hook          = nullptr;
    sh2_command_irq_taken  = nullptr;
    sh2_onchip_reset_hooks = {};
}

void sh2_reset_records() {
    sh2_context         = Sh2CpuContext{};
    sh2s_context        = Sh2CpuContext{};
    sh2_current_context = nullptr;
    sh2_loop_watch_reset();
}

namespace sh2 {
namespace {

// Cycles of taking an interrupt.
constexpr u32 kInterruptCycles = 10;

// The interrupt choice at slice entry. Gives the cycles to charge: 0 when nothing is taken,
// kInterruptCycles when one is, kSh2Leave when its handler address holds no code.
//
// External requests (bits 0-15) are taken above the mask at the level of their bit, the
// highest first, through vector 64 + level / 2. On-chip sources (bits 16-31) compete at the
// level their table gives; a source at least as high as the best so far wins, so on equal
// levels the lower pending bit is taken. Every source must be above the mask, as on the
// processor. An on-chip source whose vector was never set is passed over: it is neither
// taken nor allowed to hold back a source below it.
template <class I>
[[gnu::noinline]] u32 take_interrupt() {
    auto& c        = I::cpu();
    c.irq_check    = 0;
    const u32 mask = (c.sr >> 4) & 15;
    if (mask == 15 || c.irq_pending == 0) return 0;
    u32 best_level  = mask;
    u32 best_vector = 0;
    u32 best_bit    = 0;
    for (u32 b = 15; b > mask; --b) {
        if (c.irq_pending & (1u << b)) {
            best_level  = b;
            best_vector = 0x100 + (b & 0xE) * 2;
            best_bit    = 1u << b;
            break;
        }
    }
    // The pending on-chip sources, highest bit first.
    for (u32 onchip = c.irq_pending & 0xFFFF0000u; onchip != 0;) {
        const u32 b = 31 - static_cast<u32>(std::countl_zero(onchip));
        onchip &= ~(1u << b);
        const u32 index = 31 - b;
        const u32 level = c.onchip_level[index];
        if (level > mask && level >= best_level && c.onchip_vector[index] != 0) {
            best_level  = level;
            best_vector = c.onchip_vector[index];
            best_bit    = 1u << b;
        }
    }
    if (best_vector == 0) return 0;
    c.irq_pending &= ~best_bit;
    if (best_bit == kSh2IrqCommand && sh2_command_irq_taken) sh2_command_irq_taken(I::kCore);
    const u32 pc = sh2_current_pc(c);
    c.r[15] -= 4;
    I::write32(c.r[15], c.sr);
    c.r[15] -= 4;
    I::write32(c.r[15], pc);
    const u32 target = I::read32(c.vbr + best_vector);
    c.sr             = (c.sr & ~kSh2SrI) | (best_level << 4);
    if (!enter_region<I>(target)) return halt_at<I>(target);
    return kInterruptCycles;
}

// How the dispatch loop meets the speed path: plainly, or watching for loops that only wait
// (sh2_speed_paths.h), through the hooks below at a slice's start and end, before each
// instruction of a round being recorded, at each jump back within the region and at each
// change of region.
struct PlainDispatch {
    static constexpr bool kWatch = false;
};
struct WatchWaits {
    static constexpr bool kWatch = true;
};

// The dispatch loop. The counter, the running offset and the fetch region are held in locals
// and written back when the slice ends: handlers never read the counter, never change the
// region, and read `cur` (stored before each call) without writing it; `next` stays in the
// context, where branch handlers set it. Sequential execution that runs off its region's end
// halts, as a jump there would.
template <class I, class P>
SH2_INLINE bool run_loop(u32 cycles) {
    auto& c                              = I::cpu();
    const Sh2JumpTable& t                = I::table();
    s32 counter                          = c.cycle_counter;
    const u8* image                      = c.fetch_image;
    u32 size                             = c.fetch_size;
    u32 cur                              = c.cur;
    [[maybe_unused]] Sh2LoopWatch& watch = sh2_loop_watch[I::kCore];
    if constexpr (P::kWatch) {
        const Sh2LoopJump j = sh2_loop_enter(I::kCore, c, counter, cur, cycles);
        counter += j.cycles;
        cur    = j.to;
        c.next = cur + 2;
    }
    for (;;) {
        counter += static_cast<s32>(cycles);
        if (counter >= 0) break;
    run:
        c.cur = cur;
        if (cur >= size) [[unlikely]] {
            halt_at<I>(sh2_current_pc(c));
            c.cycle_counter = counter;
            return false;
        }
        if constexpr (P::kWatch) {
            if (watch.mode == Sh2LoopMode::kRecording) [[unlikely]]
                sh2_loop_record(I::kCore, c, cur, counter);
        }
        const u32 ir = load_be16(image + cur);
        const u32 r  = t[ir](ir);
        if (r >= kSh2Delayed) [[unlikely]] {
            if (r == kSh2Leave) {
                c.cycle_counter = counter;
                return false;
            }
            // A delayed branch: its slot runs in the same slice whatever the counter; cycles
            // past the end of the slice move to the next one.
            counter += static_cast<s32>(r - kSh2Delayed);
            if (counter >= 0) {
                c.branch_carry += counter + 1;
                counter = -1;
            }
            cur += 2;
            goto run;
        }
        // The next instruction: sequential, a taken branch inside the region (the offset is
        // the position already), or elsewhere through the target's own region.
        cur += 2;
        u32 next = c.next;
        if (cur == next) [[likely]] {
            c.next = next + 2;
        } else if (next < size) {
            if constexpr (P::kWatch) {
                if (next < cur) {
                    const Sh2LoopJump j =
                        sh2_loop_back(I::kCore, c, next, cur, counter + static_cast<s32>(r));
                    counter += j.cycles;
                    next = j.to;
                }
            }
            cur    = next;
            c.next = next + 2;
        } else {
            if constexpr (P::kWatch) sh2_loop_left(I::kCore);
            c.cur            = cur;
            const u32 target = c.fetch_start + next;
            if (!enter_region<I>(target)) [[unlikely]] {
                halt_at<I>(target);
                c.cycle_counter = counter + static_cast<s32>(r);
                return false;
            }
            image = c.fetch_image;
            size  = c.fetch_size;
            cur   = c.cur;
        }
        cycles = r;
    }
    c.cur           = cur;
    c.cycle_counter = counter;
    c.pc            = sh2_current_pc(c);
    if constexpr (P::kWatch) sh2_loop_leave(I::kCore, c, cur);
    return true;
}

// Slice entry: the position from `pc` (normally where the last slice left it, in the same
// region).
template <class I>
SH2_INLINE bool enter_position() {
    auto& c       = I::cpu();
    const u32 off = c.pc - c.fetch_start;
    if (c.fetch_image != nullptr && off < c.fetch_size) [[likely]] {
        c.cur  = off;
        c.next = off + 2;
        return true;
    }
    return enter_region<I>(c.pc);
}

template <class I>
bool run_slice() {
    auto& c = I::cpu();
    if (c.status & (kSh2StatusHalted | kSh2StatusHeld)) [[unlikely]] {
        // A core still held in reset spends no cycles and lets the chain go on.
        return (c.status & kSh2StatusHalted) == 0;
    }
    // The budget with what a delayed branch carried over, taken in 64 bits and held within
    // the counter's range.
    const s64 budget = s64{c.slice_cycles} + c.branch_carry;
    c.branch_carry   = 0;
    c.cycle_counter  = static_cast<s32>(
        std::clamp<s64>(s64{c.cycle_counter} + budget, -0x40000000LL, 0x40000000LL));
    if (c.cycle_counter >= 0) return true;  // still a whole slice ahead: skipped
    sh2_current_context = &c;
    if (c.halt_pending) [[unlikely]] {
        c.halt_pending = 0;
        halt_at<I>(c.pc);
        return false;
    }
    if (!enter_position<I>()) [[unlikely]] {
        halt_at<I>(c.pc);
        return false;
    }
    u32 cycles = 0;
    if (c.irq_check == 1) {
        cycles = take_interrupt<I>();
        if (cycles == kSh2Leave) return false;
    }
    if (speed_paths_enabled()) return run_loop<I, WatchWaits>(cycles);
    return run_loop<I, PlainDispatch>(cycles);
}

// The steps every reset shares, once PC, R15 and VBR are set.
template <class I>
void common_reset() {
    auto& c         = I::cpu();
    c.cycle_counter = 0;
    c.branch_carry  = 0;
    c.div_q         = 0;
    c.div_m         = 0;
    c.sr            = 0xF0;
    c.onchip_level  = {};
    c.onchip_vector = {};
    c.halt_pending  = 0;
    c.fetch_image   = nullptr;
    c.fetch_size    = 0;
    if (!enter_region<I>(c.pc)) c.halt_pending = 1;
    const auto& h = sh2_onchip_reset_hooks;
    for (Sh2CoreFn fn : {h.serial, h.frt, h.dmac, h.intc, h.divu}) {
        if (fn) fn(I::kCore);
    }
}

template <class I>
void reset_from_bios() {
    auto& c = I::cpu();
    std::fill_n(sh2_memory + I::kCacheOffset, kSh2CacheArraySize, u8{0});
    c.vbr   = 0;
    c.pc    = I::read32(0);
    c.r[15] = I::read32(4);
    common_reset<I>();
}

template <class I>
void reset_from_header() {
    auto& c = I::cpu();
    c.pc    = load_be32(memory_arena + kCartRomOffset + (I::kCore == 0 ? 0x3E0 : 0x3E4));
    c.r[15] = I::read32(c.vbr + 4);
    common_reset<I>();
}

}  // namespace
}  // namespace sh2

bool sh2_run_slice_alone() { return sh2::run_slice<sh2::Master>(); }
bool sh2s_run_slice_alone() { return sh2::run_slice<sh2::Slave>(); }

// The run entries: each core's slice, then the next unit of the chain. A halted core has
// stopped the machine: the chain ends with it.
void sh2_run_slice() {
    if (sh2::run_slice<sh2::Master>()) sh2s_run_slice();
}
void sh2s_run_slice() {
    if (sh2::run_slice<sh2::Slave>() && sh2_successor) sh2_successor();
}

void sh2_power_on() {
    sh2_context.status        = kSh2StatusPowerOn;
    sh2s_context.status       = kSh2StatusPowerOn;
    sh2_context.slice_cycles  = cfg_slice_length(cfg_32x_msh2_speed);
    sh2s_context.slice_cycles = cfg_slice_length(cfg_32x_ssh2_speed);
}

void sh2_reset_from_bios() { sh2::reset_from_bios<sh2::Master>(); }
void sh2s_reset_from_bios() { sh2::reset_from_bios<sh2::Slave>(); }
void sh2_reset_from_header() { sh2::reset_from_header<sh2::Master>(); }
void sh2s_reset_from_header() { sh2::reset_from_header<sh2::Slave>(); }

}  // namespace varn
