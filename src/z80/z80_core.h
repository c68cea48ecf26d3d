#pragma once
// The Z80 interpreter as a template over its bus. An instance binds a context record and a
// bus type; every handler is instantiated per opcode, so nothing is decoded at run time:
// the run loop fetches four bytes, counts time and jumps through a 256-entry table.
//
// A bus type provides (all static):
//   u8   read_byte(u16 addr);            u16  read_word(u16 addr);
//   void write_byte(u16 addr, u8 v);     void write_word(u16 addr, u16 v);
//   u8   port_in(u8 port);               void port_out(u8 port, u8 v);
//   bool fetch_window(u16 pc, Z80FetchWindow& w);  // false: no code at pc
//   bool fetch_direct(u16 pc, u32& op);  // optional: the four code bytes at pc read in one
//                                        // step where the bus can (false: ask the window)
//   bool code_direct(u32 pc);  // optional, with fetch_direct: true where code runs without a
//                              // window (a jump there needs none; the window may be stale)
//   static constexpr bool kIrqCheckExact;  // check flag must equal 1 (else nonzero)
//   static constexpr bool kCountInstructions;  // count dispatches (benchmarks)
//   void add_instructions(u64 n);          // receives the count at the end of each slice
//   void on_stop();                        // the core has just stopped on an error
//   z80_cpu_context& record();  // optional: the one context the instance runs on (the
//                               // links then address it directly)
//
// The core caches the code window of the current PC in the context. A bus whose code
// memory can move under a running PC (a paging register) calls refresh_fetch after the
// change; one whose windows never move (the Genesis RAM) need not. Windows may be as small
// as the bus likes; the loop moves to the next window when PC leaves one, and a fetch that
// straddles two reads its bytes one by one through fetch_window.
//
// An undefined opcode, or code wanted where fetch_window finds none, stops the core: status
// gets kZ80StatusHalted, the bus's on_stop is called and the slice ends; run() does
// nothing until the bits are cleared.
//
// Flags follow this machine's rules: bits 3 and 5 of F are never computed from results;
// they are kept, or cleared where an instruction rebuilds F whole (CB rotates, DAA).

#include <array>
#include <type_traits>
#include <utility>

#include "base/endian.h"
#include "base/speed_paths.h"
#include "base/types.h"
#include "z80/z80.h"

namespace varn {

// A run of code memory: mem[pc - lo] is the byte at pc for pc - lo < size.
struct Z80FetchWindow {
    const u8* mem;
    u32 lo;
    u32 size;
};

namespace z80_detail {

inline constexpr u8 kS = 0x80, kZ = 0x40, kY = 0x20, kH = 0x10, kX = 0x08, kP = 0x04, kN = 0x02,
                    kC  = 0x01;
inline constexpr u8 k35 = kX | kY;

constexpr std::array<u8, 256> make_sz() {
    std::array<u8, 256> t{};
    for (int v = 0; v < 256; ++v) t[v] = static_cast<u8>((v & kS) | (v == 0 ? kZ : 0));
    return t;
}
constexpr std::array<u8, 256> make_szp() {
    std::array<u8, 256> t{};
    for (int v = 0; v < 256; ++v) {
        int ones = 0;
        for (int b = 0; b < 8; ++b) ones += (v >> b) & 1;
        t[v] = static_cast<u8>((v & kS) | (v == 0 ? kZ : 0) | ((ones & 1) ? 0 : kP));
    }
    return t;
}
inline constexpr std::array<u8, 256> kSZ  = make_sz();
inline constexpr std::array<u8, 256> kSZP = make_szp();

// A handler returning this ends the slice at once: it carries any running (negative)
// counter across zero. The run loop then looks at slice_exit.
inline constexpr u32 kEndSlice = 0x80000000u;
// A handler returning this charges the previous instruction's T-states once more (a HALT
// falling through after its interrupt).
inline constexpr u32 kChargeAgain = 0xFFFFFFFFu;
inline constexpr u8 kExitHalt     = 1;
inline constexpr u8 kExitTrap     = 2;
inline constexpr u8 kExitPause    = 3;  // a chain stopped before the slice's end (see link)

// Slots of the DD/FD tables that have a handler: the instructions that use HL, H, L or (HL)
// with IX/IY in their place, less EX DE,HL and INC/DEC of the index halves.
constexpr bool index_slot_live(int o) {
    constexpr int kOthers[] = {0x09, 0x19, 0x29, 0x39, 0x21, 0x22, 0x2A, 0x23, 0x2B, 0x34,
                               0x35, 0x36, 0x26, 0x2E, 0xE1, 0xE3, 0xE5, 0xE9, 0xF9, 0xCB};
    for (int x : kOthers)
        if (x == o) return true;
    const int y = (o >> 3) & 7, z = o & 7;
    if (o >= 0x40 && o < 0x80 && o != 0x76) {
        if (y == 6 || z == 6) return true;
        return y == 4 || y == 5 || z == 4 || z == 5;
    }
    if (o >= 0x80 && o < 0xC0) return z == 4 || z == 5 || z == 6;
    return false;
}

// Slots of the ED table that have a handler.
constexpr bool ed_slot_live(int o) {
    const int y = (o >> 3) & 7, z = o & 7;
    if (o >= 0x40 && o < 0x80) {
        if (z == 0 || z == 2 || z == 3) return true;
        if (z == 1) return y != 6;
        constexpr int kOthers[] = {0x44, 0x45, 0x4D, 0x46, 0x56, 0x5E,
                                   0x47, 0x4F, 0x57, 0x5F, 0x67, 0x6F};
        for (int x : kOthers)
            if (x == o) return true;
        return false;
    }
    return o >= 0xA0 && o < 0xC0 && z < 4 && y >= 4;
}

// Register codes: 0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A; 8/9 IXH/IXL, 10/11 IYH/IYL.
// With index mode X (0 HL, 1 IX, 2 IY) H and L stand for the index halves.
constexpr int xreg(int x, int r) {
    if (x == 0 || (r != 4 && r != 5)) return r;
    return (x == 1 ? 8 : 10) + (r - 4);
}

}  // namespace z80_detail

using Z80Handler = u32 (*)(z80_cpu_context&, u32 op);

struct Z80DispatchTables {
    std::array<Z80Handler, 256> main, cb, ed, dd, fd, ddcb, fdcb;
};

template <class Bus>
struct Z80Core {
    using C = z80_cpu_context;

    // ---- run loop --------------------------------------------------------------------

    // One timeslice. Returns when the slice is over (or at once while the core is stopped).
    // Inlined into each instance's run entry, where the context is a fixed record.
    // Whether a slice takes the speed paths: as the switch stands (read at the slice's first
    // instruction), or as the caller says (a caller that reads the switch once for many
    // slices, so that no slice reads it).
    enum class Paths { kBySwitch, kOn, kOff };

    template <Paths P = Paths::kBySwitch>
    [[gnu::always_inline]] static bool paths_on() {
        if constexpr (P == Paths::kBySwitch) {
            return speed_paths_enabled();
        } else {
            return P == Paths::kOn;
        }
    }

    template <Paths P = Paths::kBySwitch>
    [[gnu::always_inline]] static void run(C& c) {
        using namespace z80_detail;
        if (c.status & kZ80StatusHalted) return;
        // Budget and booked T-states go onto the carried overshoot; when that is already at
        // or past zero the whole slice is skipped and the counter keeps the remainder.
        // All three are small (an overshoot of a few T-states, a budget of at most 256), so
        // the sum is taken in 32 bits. The counter is kept in the record from here on, so
        // that nothing has to hold it across the calls below.
        const u32 start = c.cycle_counter + static_cast<u32>(c.slice_budget) + c.extra_tstates;
        c.extra_tstates = 0;
        c.cycle_counter = start;
        if (static_cast<s32>(start) >= 0) {
            c.last_tstates = 0;
            return;
        }

        if (Bus::kIrqCheckExact ? c.irq_check == 1 : c.irq_check != 0) {
            if (!interrupt_check(c)) {
                c.last_tstates = 0;
                return finish_exit(c);
            }
        }

        // The slice's first instruction. A jump to itself there is an idle loop that nothing
        // can change before the slice ends: all its rounds are taken at once, each counting
        // R once, and so does the test that ends the slice, as the loop below would (a speed
        // path: with the paths off the loop below runs each round).
        count_r(c);
        u32 op;
        if (!fetch(c, op)) {
            c.last_tstates = 0;
            return finish_exit(c);
        }
        const u32 cnt = c.cycle_counter;
        if (const u32 cost = self_jump_cost(c, op); cost != 0 && paths_on<P>()) {
            const u32 distance = 0u - cnt;  // T-states left to zero
            // The two costs as constants, so the division is a multiplication.
            const u32 rounds = cost == 10 ? (distance + 9) / 10 : (distance + 11) / 12;
            c.r              = static_cast<u8>(c.r + rounds);
            c.last_tstates   = cost;
            c.cycle_counter  = cnt + rounds * cost;
            if constexpr (Bus::kCountInstructions) Bus::add_instructions(rounds);
            return;
        }
        // The instructions run as chains of links (see link). Most slices are one chain;
        // the rest goes on in run_chains.
        if (static_cast<s32>(cnt) >= -kChainSpan) [[likely]]
            chain[op & 0xFF](record_arg(c), op, 0);
        else
            run_chains(c, op, cnt, 0);
        if constexpr (Bus::kCountInstructions) {
            Bus::add_instructions(links_run);
            links_run = 0;
        }
        if (c.slice_exit) chain_exit(c);
    }

    // The four bytes at PC; false when there is no code there (the core has stopped).
    static bool fetch(C& c, u32& op) {
        if (fetch_fast(c, op)) [[likely]]
            return true;
        u32 slow = 0;  // only the slow path takes an address, so `op` can stay in a register
        if (!fetch_slow(c, slow)) return false;
        op = slow;
        return true;
    }

    // The four bytes at PC where the bus or the code window has them in one piece; false
    // where fetch_slow must look.
    [[gnu::always_inline]] static bool fetch_fast(const C& c, u32& op) {
        if constexpr (requires(u32 & o) { Bus::fetch_direct(u16{}, o); }) {
            return Bus::fetch_direct(c.pc, op);
        } else {
            const u32 off = static_cast<u32>(c.pc) - c.fetch_lo;
            if (off + 4 > c.fetch_size) return false;
            op = load_le32(c.fetch_mem + off);
            return true;
        }
    }

    // T-states of `op`, the instruction at PC, when it is a jump to itself (JP nn or JR -2,
    // the way sound drivers wait), else 0.
    static u32 self_jump_cost(const C& c, u32 op) {
        if ((op & 0xFF) == 0xC3) return ((op >> 8) & 0xFFFF) == c.pc ? 10 : 0;
        return (op & 0xFFFF) == 0xFE18 ? 12 : 0;
    }

    // Points the code window at a new PC; false (core stopped) when its page holds no code.
    // Every jump, call, return, RST and interrupt acceptance goes through here.
    static bool set_pc(C& c, u32 npc) {
        npc &= 0xFFFF;
        if constexpr (requires { Bus::code_direct(u32{}); }) {
            if (Bus::code_direct(npc)) [[likely]] {
                c.pc = static_cast<u16>(npc);
                return true;
            }
        }
        if (npc - c.fetch_lo < c.fetch_size) {
            c.pc = static_cast<u16>(npc);
            return true;
        }
        Z80FetchWindow w;
        if (!Bus::fetch_window(static_cast<u16>(npc), w)) {
            trap(c);
            return false;
        }
        c.fetch_mem  = w.mem;
        c.fetch_lo   = w.lo;
        c.fetch_size = w.size;
        c.pc         = static_cast<u16>(npc);
        return true;
    }

    // Re-derives the code window for the current PC (after a reset, a state load or a
    // change of the memory behind it). False, with the core stopped, when there is no code.
    static bool refresh_fetch(C& c) {
        c.fetch_lo   = 0;
        c.fetch_size = 0;
        c.fetch_mem  = nullptr;
        return set_pc(c, c.pc);
    }

    static void reset(C& c, u16 sp) {
        c.last_tstates  = 0;
        c.extra_tstates = 0;
        c.halted        = 0;
        c.woken         = 0;
        c.slice_exit    = 0;
        c.iff1 = c.iff2 = 0;
        c.af            = static_cast<u16>((c.af & 0xFF00) | z80_detail::kZ);
        c.ix = c.iy = 0xFFFF;
        c.pc        = 0;
        c.sp        = sp;
        c.i         = 0;
        z80_set_r(c, 0);
        refresh_fetch(c);
    }

    // One memory refresh: the low 7 bits of R count, bit 7 stays.
    static void count_r(C& c) { ++c.r; }

    static void trap(C& c) {
        c.status |= kZ80StatusHalted;
        c.slice_exit = z80_detail::kExitTrap;
        Bus::on_stop();
    }

  private:
    // ---- chained dispatch ------------------------------------------------------------

    // How a link finds the record it works on. Where the bus names its own, the link
    // addresses that at its fixed place, so no register has to keep the record across the
    // instruction's bus calls, and the argument is empty, which passes in no register.
    // Otherwise the argument is the record's address.
    struct OwnRecord {};
    static constexpr bool kOwnRecord = requires { Bus::record(); };
    using RecordArg                  = std::conditional_t<kOwnRecord, OwnRecord, C*>;
    static RecordArg record_arg(C& c) {
        if constexpr (kOwnRecord)
            return {};
        else
            return &c;
    }
    [[gnu::always_inline]] static C& record_of(RecordArg r) {
        if constexpr (kOwnRecord)
            return Bus::record();
        else
            return *r;
    }

    // A link runs one instruction of the main table and then takes the run loop's step
    // itself: R, the counter, the next fetch, and a jump through the link table to the next
    // instruction's link. Between two instructions there is then no call and return through
    // a loop, each instruction ends in an indirect jump of its own (which the host predicts
    // by what came before), and only HALT's link looks for a second charge of the previous
    // T-states. While a chain runs the counter is in the record and the T-states of the
    // instruction before travel as an argument (HALT's second charge needs them).
    //
    // A chain goes back to its caller where the counter crosses zero. It stops short of the
    // slice's end, with kExitPause in slice_exit, where the next fetch needs the slow path
    // and after HALT. Only the slice's first EI (which books its time for the next slice)
    // and HALT (charging the instruction before again) may count no T-states, every other
    // link 4 or more. A chain starts with the counter at most kChainSpan below zero and so
    // runs at most kChainSpan / 4 + 2 links: where the compiler makes no tail call (an
    // unoptimised build) every link is a stack frame, and the span bounds the stack. On its
    // way back the chain stores the last instruction's T-states.
    using Link                      = void (*)(RecordArg r, u32 op, u32 t);
    static constexpr s32 kChainSpan = 256;

    template <int Op>
    static void link(RecordArg r, u32 op, u32 t) {
        using namespace z80_detail;
        C& c          = record_of(r);
        const u32 own = op_x<0, Op>(c, op);
        if constexpr (Op == 0x76) {
            if (own != kChargeAgain) t = own;
        } else {
            t = own;
        }
        if constexpr (Bus::kCountInstructions) ++links_run;
        count_r(c);
        // The counter is negative while the slice runs, so crossing zero leaves it at or
        // above zero (kEndSlice too crosses from any negative count).
        c.cycle_counter += t;
        if (static_cast<s32>(c.cycle_counter) >= 0) [[unlikely]] {
            c.last_tstates = t;
            return;
        }
        u32 next;
        if (Op == 0x76 || !fetch_fast(c, next)) [[unlikely]] {
            c.last_tstates = t;
            c.slice_exit   = kExitPause;
            return;
        }
        return chain[next & 0xFF](r, next, t);
    }

    // Chains from `op`, the instruction at PC, with the slice's counter at `cnt` and `t` the
    // T-states of the instruction before, until the slice is over or there is no code to
    // fetch. A counter further below zero than kChainSpan is run in parts: each chain gets
    // it raised by a bias that leaves it kChainSpan below zero, and it is lowered again
    // when the chain comes back.
    [[gnu::noinline]] static void run_chains(C& c, u32 op, u32 cnt, u32 t) {
        for (;;) {
            const u32 bias =
                static_cast<s32>(cnt) < -kChainSpan ? static_cast<u32>(-kChainSpan) - cnt : 0;
            c.cycle_counter = cnt + bias;
            chain[op & 0xFF](record_arg(c), op, t);
            if (c.slice_exit == z80_detail::kExitPause) c.slice_exit = 0;
            cnt             = c.cycle_counter - bias;
            c.cycle_counter = cnt;
            if (static_cast<s32>(cnt) >= 0) return;  // the slice is over
            t = c.last_tstates;
            if (!fetch(c, op)) return;
        }
    }

    // After the slice's first chain: the rest of the slice where the chain stopped short of
    // its end, then what ends the slice early.
    [[gnu::noinline]] static void chain_exit(C& c) {
        if (c.slice_exit == z80_detail::kExitPause) {
            c.slice_exit = 0;
            u32 op;
            if (fetch(c, op)) run_chains(c, op, c.cycle_counter, c.last_tstates);
        }
        if (c.slice_exit) finish_exit(c);
    }

    // Instructions run by links since the slice began, for a bus that counts them.
    static inline u64 links_run = 0;

    [[gnu::noinline]] static void finish_exit(C& c) {
        // The loop counted R for a dispatch that never happened.
        if (c.slice_exit == z80_detail::kExitHalt) {
            --c.r;
            c.cycle_counter = 0;
            c.last_tstates  = 4;
        } else if (c.slice_exit == z80_detail::kExitTrap) {
            // kEndSlice carried the counter far past zero to leave the slice; a core stopped
            // on an error drops the rest of its slice, so that once the machine runs again
            // its next slice starts from no overshoot instead of skipping slices until the
            // carried value is paid off.
            c.cycle_counter = 0;
            c.last_tstates  = 0;
        }
        c.slice_exit = 0;
    }

    // Fetch across the end of the code window: the bytes come one by one through the
    // instance's code pages (and so through its mirroring); bytes of a page without code
    // read as 0xFF. A PC that has itself left the window moves the window, or stops the
    // core when there is no code there.
    [[gnu::noinline]] static bool fetch_slow(C& c, u32& op) {
        if (static_cast<u32>(c.pc) - c.fetch_lo >= c.fetch_size) {
            if (!refresh_fetch(c)) return false;
            const u32 off = static_cast<u32>(c.pc) - c.fetch_lo;
            if (off + 4 <= c.fetch_size) {
                op = load_le32(c.fetch_mem + off);
                return true;
            }
        }
        op = 0;
        for (u32 k = 0; k < 4; ++k) {
            const u16 a = static_cast<u16>(c.pc + k);
            u32 b       = 0xFF;
            Z80FetchWindow w;
            if (a - c.fetch_lo < c.fetch_size) {
                b = c.fetch_mem[a - c.fetch_lo];
            } else if (Bus::fetch_window(a, w)) {
                b = w.mem[a - w.lo];
            }
            op |= b << (8 * k);
        }
        return true;
    }

    // At slice entry: NMI first, else a maskable IRQ when IFF1 is on (always to 0x38,
    // whatever the mode). At most one acceptance; none charges T-states.
    [[gnu::noinline]] static bool interrupt_check(C& c) {
        c.irq_check = 0;
        if (c.irq_lines & kZ80LineNmi) {
            count_r(c);
            c.woken = 1;
            c.irq_lines &= static_cast<u8>(~kZ80LineNmi);
            c.iff1 = 0;
            push(c, c.pc);
            return set_pc(c, 0x66);
        }
        if ((c.irq_lines & kZ80LineIrq) && c.iff1) {
            count_r(c);
            c.woken = 1;
            c.irq_lines &= static_cast<u8>(~kZ80LineIrq);
            c.iff1 = c.iff2 = 0;
            push(c, c.pc);
            return set_pc(c, 0x38);
        }
        return true;
    }

    // ---- helpers ---------------------------------------------------------------------

    static u8 a_of(const C& c) { return static_cast<u8>(c.af >> 8); }
    static u8 f_of(const C& c) { return static_cast<u8>(c.af); }
    static void set_a(C& c, u32 v) { c.af = static_cast<u16>((c.af & 0x00FF) | ((v & 0xFF) << 8)); }
    static void set_f(C& c, u32 v) { c.af = static_cast<u16>((c.af & 0xFF00) | (v & 0xFF)); }
    static void set_af(C& c, u32 a, u32 f) {
        c.af = static_cast<u16>(((a & 0xFF) << 8) | (f & 0xFF));
    }

    template <int R>
    static u8 reg(const C& c) {
        if constexpr (R == 0)
            return static_cast<u8>(c.bc >> 8);
        else if constexpr (R == 1)
            return static_cast<u8>(c.bc);
        else if constexpr (R == 2)
            return static_cast<u8>(c.de >> 8);
        else if constexpr (R == 3)
            return static_cast<u8>(c.de);
        else if constexpr (R == 4)
            return static_cast<u8>(c.hl >> 8);
        else if constexpr (R == 5)
            return static_cast<u8>(c.hl);
        else if constexpr (R == 7)
            return static_cast<u8>(c.af >> 8);
        else if constexpr (R == 8)
            return static_cast<u8>(c.ix >> 8);
        else if constexpr (R == 9)
            return static_cast<u8>(c.ix);
        else if constexpr (R == 10)
            return static_cast<u8>(c.iy >> 8);
        else if constexpr (R == 11)
            return static_cast<u8>(c.iy);
        else
            static_assert(R == 0, "no such register");
    }
    static void hi(u16& p, u32 v) { p = static_cast<u16>((p & 0x00FF) | ((v & 0xFF) << 8)); }
    static void lo(u16& p, u32 v) { p = static_cast<u16>((p & 0xFF00) | (v & 0xFF)); }
    template <int R>
    static void set_reg(C& c, u32 v) {
        if constexpr (R == 0)
            hi(c.bc, v);
        else if constexpr (R == 1)
            lo(c.bc, v);
        else if constexpr (R == 2)
            hi(c.de, v);
        else if constexpr (R == 3)
            lo(c.de, v);
        else if constexpr (R == 4)
            hi(c.hl, v);
        else if constexpr (R == 5)
            lo(c.hl, v);
        else if constexpr (R == 7)
            hi(c.af, v);
        else if constexpr (R == 8)
            hi(c.ix, v);
        else if constexpr (R == 9)
            lo(c.ix, v);
        else if constexpr (R == 10)
            hi(c.iy, v);
        else if constexpr (R == 11)
            lo(c.iy, v);
        else
            static_assert(R == 0, "no such register");
    }

    // HL, IX or IY by index mode.
    template <int X>
    static u16& xhl(C& c) {
        if constexpr (X == 0)
            return c.hl;
        else if constexpr (X == 1)
            return c.ix;
        else
            return c.iy;
    }
    // Register pair by the 2-bit field p: BC, DE, HL (or IX/IY), SP.
    template <int X, int P>
    static u16& rp(C& c) {
        if constexpr (P == 0)
            return c.bc;
        else if constexpr (P == 1)
            return c.de;
        else if constexpr (P == 2)
            return xhl<X>(c);
        else
            return c.sp;
    }
    // Same with AF in the last place (PUSH, POP).
    template <int X, int P>
    static u16& rp2(C& c) {
        if constexpr (P == 3)
            return c.af;
        else
            return rp<X, P>(c);
    }

    // (HL) or (IX+d) with d the third fetched byte.
    template <int X>
    static u16 mem_addr(C& c, u32 op) {
        if constexpr (X == 0)
            return c.hl;
        else
            return static_cast<u16>(xhl<X>(c) + static_cast<s8>(static_cast<u8>(op >> 16)));
    }

    static void push(C& c, u32 v) {
        c.sp = static_cast<u16>(c.sp - 2);
        Bus::write_word(c.sp, static_cast<u16>(v));
    }
    static u16 pop(C& c) {
        const u16 v = Bus::read_word(c.sp);
        c.sp        = static_cast<u16>(c.sp + 2);
        return v;
    }
    static void advance(C& c, u32 n) { c.pc = static_cast<u16>(c.pc + n); }

    // Taken jump: T-states, or the slice end when the target holds no code.
    static u32 jump(C& c, u32 target, u32 t) {
        return set_pc(c, target) ? t : z80_detail::kEndSlice;
    }

    template <int Cc>
    static bool cond(const C& c) {
        using namespace z80_detail;
        const u8 f = f_of(c);
        if constexpr (Cc == 0)
            return !(f & kZ);
        else if constexpr (Cc == 1)
            return f & kZ;
        else if constexpr (Cc == 2)
            return !(f & kC);
        else if constexpr (Cc == 3)
            return f & kC;
        else if constexpr (Cc == 4)
            return !(f & kP);
        else if constexpr (Cc == 5)
            return f & kP;
        else if constexpr (Cc == 6)
            return !(f & kS);
        else
            return f & kS;
    }

    // The ALU (z80/z80_alu.h).
    template <int Op>
    static void alu(C& c, u32 v);
    static u8 inc8(C& c, u32 v);
    static u8 dec8(C& c, u32 v);
    static void add16(C& c, u16& d, u32 v);
    static void adc16(C& c, u32 v);
    static void sbc16(C& c, u32 v);
    template <int Op>
    static u8 rot(C& c, u32 v);
    template <int B>
    static void bit(C& c, u32 v);
    static u32 daa(C& c);

    // ---- unprefixed (X = 0) and DD/FD (X = 1, 2) tables: z80/z80_ops_main.h ----------

    template <int X, int Op>
    static u32 op_x(C& c, u32 op);
    static u32 halt(C& c);
    static u32 bad_opcode(C& c, u32);

    // ---- CB, DD CB, FD CB: z80/z80_ops_cb.h ------------------------------------------

    template <int X, int Op>
    static u32 op_cb(C& c, u32 op);

    // ---- ED: z80/z80_ops_ed.h -----------------------------------------------------------

    template <int Op>
    static u32 op_ed(C& c, u32 op);

    // ---- tables ----------------------------------------------------------------------

    // Slots without a handler all name the one opcode trap.
    template <int X, int Op>
    static constexpr Z80Handler entry_x() {
        if constexpr (X != 0 && !z80_detail::index_slot_live(Op))
            return &bad_opcode;
        else
            return &op_x<X, Op>;
    }
    template <int X, int Op>
    static constexpr Z80Handler entry_cb() {
        constexpr int grp = Op >> 6, y = (Op >> 3) & 7, z = Op & 7;
        if constexpr ((grp == 0 && y == 6) || (X != 0 && z != 6))
            return &bad_opcode;
        else
            return &op_cb<X, Op>;
    }
    template <int Op>
    static constexpr Z80Handler entry_ed() {
        if constexpr (!z80_detail::ed_slot_live(Op))
            return &bad_opcode;
        else
            return &op_ed<Op>;
    }
    template <int X, std::size_t... I>
    static constexpr std::array<Z80Handler, 256> make_x(std::index_sequence<I...>) {
        return {entry_x<X, static_cast<int>(I)>()...};
    }
    template <int X, std::size_t... I>
    static constexpr std::array<Z80Handler, 256> make_cb(std::index_sequence<I...>) {
        return {entry_cb<X, static_cast<int>(I)>()...};
    }
    template <std::size_t... I>
    static constexpr std::array<Z80Handler, 256> make_ed(std::index_sequence<I...>) {
        return {entry_ed<static_cast<int>(I)>()...};
    }
    static constexpr Z80DispatchTables make_tables() {
        constexpr auto seq = std::make_index_sequence<256>{};
        return {make_x<0>(seq), make_cb<0>(seq), make_ed(seq),   make_x<1>(seq),
                make_x<2>(seq), make_cb<1>(seq), make_cb<2>(seq)};
    }

    template <std::size_t... I>
    static constexpr std::array<Link, 256> make_chain(std::index_sequence<I...>) {
        return {&link<static_cast<int>(I)>...};
    }

  public:
    // The seven dispatch tables of this instance: main, CB, ED, DD, FD, DD CB, FD CB.
    static constexpr Z80DispatchTables tables = make_tables();

    // The main table's handlers as links of a chain (see link).
    static constexpr std::array<Link, 256> chain = make_chain(std::make_index_sequence<256>{});

    // True when the slot has a handler (not the opcode trap); for table checks.
    static bool is_trap(Z80Handler h) { return h == &bad_opcode; }
};

}  // namespace varn

// The core's rooms: the ALU and the three opcode groups, defined out of the class above.
#include "z80/z80_alu.h"
#include "z80/z80_ops_cb.h"
#include "z80/z80_ops_ed.h"
#include "z80/z80_ops_main.h"
