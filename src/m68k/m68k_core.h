#pragma once
// Inside the 68000 core: the instance bindings, the handler contract, the PC-load rule,
// exceptions, interrupts and halts. Instruction families (src/m68k/ops_*.cpp) include this
// header together with m68k_ea.h and m68k_flags.h; nothing outside src/m68k/ should.
//
// Handler contract. A handler is `u32 handler(u32 ir)`: `ir` holds the opcode in its upper
// half and the word after it in its lower half. The handler knows its operation, size and
// addressing modes from its template arguments and takes only register numbers and extension
// words from the instruction. It reaches memory only through its instance's bus (I::read8
// ...), steps `fetch_pos` by the instruction's length (or loads a new PC through set_pc) and
// returns its fixed cycle count. Handlers that load SR return through check_irq(cycles);
// handlers that end the slice or halt return what end_slice_now() / halt() give. The opcode
// table holds each handler followed by the step to the next instruction (chained<I, H>, with
// the other speed paths in m68k_speed_paths.h).

#include <array>
#include <bit>
#include <cstring>

#include "base/bits.h"
#include "base/endian.h"
#include "base/types.h"
#include "genesis/memory/memory.h"
#include "m68k/m68k.h"
#include "m68k/m68k_alu.h"
#include "m68k/m68k_bus.h"

// Small helpers every handler is built from; always inlined so that a handler compiles to one
// straight function.
#define M68K_INLINE [[gnu::always_inline]] inline

namespace varn {

using M68kHandler   = u32 (*)(u32 ir);
using M68kJumpTable = std::array<M68kHandler, 65536>;

extern M68kJumpTable m68k_jump_table;
extern M68kJumpTable s68k_jump_table;

namespace m68k {

// For each fetch page, the first and last page of the run of neighbouring pages that are
// plain with the same offset (a page that is not plain is a run of its own). Kept with the
// pages by every function that changes them.
struct M68kPageRun {
    u8 first = 0;
    u8 last  = 0;
};
using M68kPageRuns = std::array<M68kPageRun, 256>;
extern M68kPageRuns m68k_page_runs;
extern M68kPageRuns s68k_page_runs;

// Instructions left in the running chain of each instance (see chained in
// m68k_speed_paths.h).
extern u32 m68k_chain_left;
extern u32 s68k_chain_left;

// ---------------------------------------------------------------------------------------
// Instances
// ---------------------------------------------------------------------------------------

// Genesis main CPU.
struct Main {
    static constexpr bool kIsMain = true;
    static M68kCpuContext& cpu() { return m68k_context; }
    static M68kJumpTable& table() { return m68k_jump_table; }
    static M68kFetchPages& pages() { return m68k_fetch_pages; }
    static const M68kPageRuns& page_runs() { return m68k_page_runs; }
    static u32& chain_left() { return m68k_chain_left; }
    static u32 read8(u32 a) { return m68k_read_byte(a); }
    static u32 read16(u32 a) { return m68k_read_word(a); }
    static u32 read32(u32 a) { return m68k_read_long(a); }
    static void write8(u32 a, u32 v) { m68k_write_byte(a, v); }
    static void write16(u32 a, u32 v) { m68k_write_word(a, v); }
    static void write32(u32 a, u32 v) { m68k_write_long(a, v); }
    static void irq_ack(u32 level) {
        if (m68k_irq_ack_hook) m68k_irq_ack_hook(level);
    }
};

// Sega CD sub-CPU: the same handlers on its own record, tables and bus; its PC loads apply
// no fetch-page adjustment.
struct Sub {
    static constexpr bool kIsMain = false;
    static M68kCpuContext& cpu() { return s68k_context; }
    static M68kJumpTable& table() { return s68k_jump_table; }
    static M68kFetchPages& pages() { return s68k_fetch_pages; }
    static const M68kPageRuns& page_runs() { return s68k_page_runs; }
    static u32& chain_left() { return s68k_chain_left; }
    static u32 read8(u32 a) { return s68k_read_byte(a); }
    static u32 read16(u32 a) { return s68k_read_word(a); }
    static u32 read32(u32 a) { return s68k_read_long(a); }
    static void write8(u32 a, u32 v) { s68k_write_byte(a, v); }
    static void write16(u32 a, u32 v) { s68k_write_word(a, v); }
    static void write32(u32 a, u32 v) { s68k_write_long(a, v); }
    static void irq_ack(u32 level) {
        if (s68k_irq_ack_hook) s68k_irq_ack_hook(level);
    }
};

// ---------------------------------------------------------------------------------------
// Registers and the instruction stream
// ---------------------------------------------------------------------------------------

template <class I>
M68K_INLINE u32& dreg(u32 n) {
    return I::cpu().regs[n & 7];
}
template <class I>
M68K_INLINE u32& areg(u32 n) {
    return I::cpu().regs[kM68kA0 + (n & 7)];
}
// The active stack pointer (A7).
template <class I>
M68K_INLINE u32& sp() {
    return I::cpu().regs[kM68kA7];
}

// The instruction word at byte offset `off` from the start of the running instruction.
// Offset 2 is already in `ir`.
template <class I, u32 Off>
M68K_INLINE u32 ext16(u32 ir) {
    if constexpr (Off == 2) {
        return ir & 0xFFFF;
    } else {
        return load_be16(memory_arena + I::cpu().fetch_pos + Off);
    }
}
template <class I, u32 Off>
M68K_INLINE u32 ext32(u32 ir) {
    if constexpr (Off == 2) {
        return (ir << 16) | load_be16(memory_arena + I::cpu().fetch_pos + 4);
    } else {
        return load_be32(memory_arena + I::cpu().fetch_pos + Off);
    }
}

// 68000 address of the running instruction (32-bit; the PC proper is its low 24 bits).
template <class I>
M68K_INLINE u32 insn_address() {
    const auto& c = I::cpu();
    return c.fetch_pos - c.fetch_base;
}

template <class I>
M68K_INLINE void advance(u32 bytes) {
    I::cpu().fetch_pos += bytes;
}

// ---------------------------------------------------------------------------------------
// Ending a slice from inside a handler
// ---------------------------------------------------------------------------------------

// A handler that must end the slice at once (STOP, a halt) returns this, having set the
// record's counter to 1 so that the dispatch step's addition carries whatever the counter
// stood at; the counter the slice ends with waits in `leave_counter`, which the slice body
// puts back once the carry has ended the slice (on that path only). No cycle count can stand for
// leaving: a counter at -1 plus a count of 1 carries as well as any, so the counter itself must say
// so.
inline constexpr u32 kLeaveSlice = 0xFFFFFFFFu;

template <class I>
M68K_INLINE u32 leave_slice(s32 counter) {
    auto& c         = I::cpu();
    c.leave_counter = counter;
    c.cycle_counter = 1;
    return kLeaveSlice;
}

// Ends the slice with the counter at 0.
template <class I>
M68K_INLINE u32 end_slice_now() {
    return leave_slice<I>(0);
}

// Ends the slice with the counter left as the instructions before this one brought it.
template <class I>
M68K_INLINE u32 end_slice_keep_counter() {
    return leave_slice<I>(I::cpu().cycle_counter);
}

// The machine halt: status bits and the run entry cleared through the hook. `pc` is left as
// the caller set it.
template <class I>
[[gnu::cold]] void halt_machine() {
    I::cpu().status |= kM68kStatusHalted;
    I::cpu().exit_pc = kM68kNoPc;
    if (m68k_halt_hook) m68k_halt_hook();
}

// The halt from inside a handler: the slice ends without its successor.
template <class I>
[[gnu::cold]] u32 halt() {
    halt_machine<I>();
    return end_slice_now<I>();
}

// ---------------------------------------------------------------------------------------
// The PC-load rule
// ---------------------------------------------------------------------------------------

// True when arena position `pos` lies in the fetch region the core runs in (begin <= end
// always holds; an empty region holds nothing). Two compares against the record, not a
// subtraction of both bounds: this runs on every branch, call and return.
M68K_INLINE bool in_fetch_region(const M68kCpuContext& c, u32 pos) {
    return pos >= c.fetch_begin && pos < c.fetch_end;
}

// A fetch position outside the current fetch region: looks up the region that holds it and
// makes it current. False when no image holds it.
[[gnu::noinline]] bool enter_fetch_region(M68kCpuContext& c, u32 pos);

// Makes the jump window around the fetch position just loaded for `pc` through `pages`: the
// page's run, cut to the fetch region. Empty when the page is not plain or the fetch base is
// not its offset (an adjusted load).
[[gnu::noinline]] void make_jump_window(M68kCpuContext& c, const M68kFetchPages& pages,
                                        const M68kPageRuns& runs, u32 pc);

// True when arena position `pos` lies in the jump window (one compare: positions below the
// window wrap to large distances).
M68K_INLINE bool in_jump_window(const M68kCpuContext& c, u32 pos) {
    return pos - c.jump_begin < c.jump_size;
}

// Which fetch-page adjustments a PC load applies on the main CPU (the sub-CPU applies none).
enum class Adjust {
    kNone,     // state loads
    kOverlay,  // reset, returns, jumps, branches: the 32X BIOS overlay only
    kAll,      // exceptions and interrupts: overlay, banked ROM, word-RAM bank
};

// Points the fetch position at 68000 address `pc` (24 bits) through the instance's fetch
// pages. False when the page holds no code or the position would fall outside every image;
// the context is then untouched.
template <class I, Adjust A>
M68K_INLINE bool resolve_pc(u32 pc) {
    auto& c               = I::cpu();
    const M68kFetchPage e = I::pages()[pc >> 16];
    u32 base              = e.offset;
    if (e.kind == M68kFetchKind::kNone) return false;
    if constexpr (I::kIsMain && A != Adjust::kNone) {
        if (e.kind != M68kFetchKind::kPlain) [[unlikely]] {
            if (e.kind == M68kFetchKind::kS32xBios) {
                if (pc >= 0x100) base = kCartRomOffset;
            } else if constexpr (A == Adjust::kAll) {
                if (e.kind == M68kFetchKind::kBankedRom && m68k_banked_rom_offset) {
                    base += m68k_banked_rom_offset();
                } else if (e.kind == M68kFetchKind::kWordRam && m68k_word_ram_bank_offset) {
                    base += m68k_word_ram_bank_offset();
                }
            }
        }
    }
    const u32 pos = base + pc;
    if (!in_fetch_region(c, pos)) {
        if (!enter_fetch_region(c, pos)) return false;
    }
    c.fetch_base = base;
    c.fetch_pos  = pos;
    make_jump_window(c, I::pages(), I::page_runs(), pc);
    return true;
}

// The full PC load, out of line; a failed load leaves the running instruction's PC in `pc`.
template <class I, Adjust A>
[[gnu::noinline]] bool set_pc_slow(u32 pc) {
    auto& c        = I::cpu();
    const u32 here = m68k_current_pc(c);
    if (resolve_pc<I, A>(pc)) return true;
    c.pc = here;
    return false;
}

// The PC load of every PC-loading instruction. False: the page holds no code, `pc` holds the
// running instruction's PC (so that the halt leaves it there) and the caller halts.
// Branches, calls and returns are a good part of all instructions, so the common case stays
// short and inline: a target inside the jump window, where the fetch base already maps the
// PC to its position and no page needs to be read.
template <class I, Adjust A = Adjust::kOverlay>
M68K_INLINE bool set_pc(u32 target) {
    auto& c       = I::cpu();
    const u32 pc  = target & 0xFFFFFF;
    const u32 pos = c.fetch_base + pc;
    if (in_jump_window(c, pos)) [[likely]] {
        c.fetch_pos = pos;
        return true;
    }
    return set_pc_slow<I, A>(pc);
}

// The PC load of a relative branch: `disp` (sign-extended) from the running instruction's
// address + 2. Inside the jump window the new position is the old one moved by the same
// distance: a target that wraps around the 24-bit space lands outside the window, so the
// wrap needs no test here.
template <class I>
M68K_INLINE bool branch_by(u32 disp) {
    auto& c       = I::cpu();
    const u32 pos = c.fetch_pos + 2 + disp;
    if (in_jump_window(c, pos)) [[likely]] {
        c.fetch_pos = pos;
        return true;
    }
    return set_pc_slow<I, Adjust::kOverlay>((insn_address<I>() + 2 + disp) & 0xFFFFFF);
}

// Sequential execution ran off the end of its image: the position stands in the zero guard
// bytes that follow every fetch region, which read as opcode 0x0000 (ORI.B #imm,D0). The
// handler of that opcode calls this when its position lies past the region: the PC reached
// is resolved afresh and no cycles are taken, so that the instruction found there runs next.
// When no image holds it, the core halts with that PC and the counter as the earlier
// instructions left it.
template <class I>
[[gnu::cold, gnu::noinline]] u32 run_off_image() {
    auto& c      = I::cpu();
    const u32 pc = m68k_current_pc(c);
    if (!resolve_pc<I, Adjust::kAll>(pc)) {
        c.pc = pc;
        halt_machine<I>();
        return end_slice_keep_counter<I>();
    }
    return 0;
}

// True when the running instruction's position lies past its fetch region (see run_off_image).
template <class I>
M68K_INLINE bool ran_off_image() {
    const auto& c = I::cpu();
    return c.fetch_pos >= c.fetch_end;
}

// ---------------------------------------------------------------------------------------
// Conditions and the cycles of the wait loops' instructions
// ---------------------------------------------------------------------------------------

// Cycle counts of the instructions that wait loops are made of, shared by their families and
// the speed paths that run such a loop at once (m68k_speed_paths.h).
inline constexpr u32 kTstCycles             = 4;   // TST, every form
inline constexpr u32 kMoveToRegisterCycles  = 4;   // MOVE to Dn, MOVEA
inline constexpr u32 kBtstImmRegisterCycles = 10;  // BTST #n,Dn
inline constexpr u32 kBranchTakenCycles     = 10;  // Bcc taken, BRA

// ---------------------------------------------------------------------------------------
// Stack pointer slots
// ---------------------------------------------------------------------------------------

// After SR's S bit may have changed: park A7 in the old mode's slot and take the new mode's.
template <class I>
M68K_INLINE void switch_stack_for_sr() {
    auto& c                     = I::cpu();
    c.sp_slots[c.sp_slot_index] = c.regs[kM68kA7];
    c.sp_slot_index             = (c.sr & kM68kSrS) ? kM68kSupervisorSlot : kM68kUserSlot;
    c.regs[kM68kA7]             = c.sp_slots[c.sp_slot_index];
}

// ---------------------------------------------------------------------------------------
// Exceptions and interrupts
// ---------------------------------------------------------------------------------------

// A run of zero-cycle exceptions this long without the counter moving (a TRAP whose vector
// leads back to itself, line F into 0xFFFF padding) ends the slice as STOP does, so that
// guest code cannot freeze the program.
inline constexpr u32 kM68kExceptionRunLimit = 256;

// The exception sequence: supervisor stack, PC then SR pushed, vector read, PC loaded with
// every adjustment, S set. The host position must stand at the instruction whose address is
// stacked. Returns `cycles`, or what halt() / end_slice_now() give.
template <class I>
[[gnu::noinline]] u32 raise_exception(u32 vector, u32 cycles) {
    auto& c     = I::cpu();
    bool freeze = false;
    if (cycles == 0) {
        const u32 now = static_cast<u32>(c.cycle_counter);
        if (c.exception_run != 0 && c.exception_mark == now) {
            freeze = ++c.exception_run >= kM68kExceptionRunLimit;
        } else {
            c.exception_run  = 1;
            c.exception_mark = now;
        }
    }
    const u32 stacked_pc        = m68k_current_pc(c);
    c.sp_slots[c.sp_slot_index] = c.regs[kM68kA7];
    c.sp_slot_index             = kM68kSupervisorSlot;
    u32& a7                     = sp<I>();
    a7                          = c.sp_slots[kM68kSupervisorSlot];
    I::write32(a7 - 4, stacked_pc);
    a7 -= 6;
    I::write16(a7, c.sr);
    const u32 target = I::read32(vector * 4);
    if (!set_pc<I, Adjust::kAll>(target)) return halt<I>();
    c.sr |= kM68kSrS;
    if (freeze) [[unlikely]] {
        c.exception_run = 0;
        return end_slice_now<I>();
    }
    return cycles;
}

// The interrupt check, entered with the cycle count it passes on: accepts the highest
// pending level above the mask (level 7 always), one per check.
template <class I>
[[gnu::noinline]] u32 check_irq(u32 cycles) {
    auto& c         = I::cpu();
    c.irq_check     = 0;
    const u32 level = m68k_acceptable_irq_level(c.sr.bits, c.irq_pending);
    if (level == 0) return cycles;
    c.irq_taken   = 1;
    c.irq_pending = static_cast<u8>(c.irq_pending & ~(1u << level));
    I::irq_ack(level);
    const u32 old_sr = c.sr;
    // The exception sequence counts as progress: an interrupt is no zero-cycle loop.
    c.exception_run = 0;
    const u32 r     = raise_exception<I>(24 + level, cycles);
    if (r == kLeaveSlice) return r;
    c.sr = static_cast<u16>((old_sr & ~0x0700u) | (level << 8) | kM68kSrS);
    return r;
}

}  // namespace m68k
}  // namespace varn
