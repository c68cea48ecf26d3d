// Single-operand operations (line 4): NEGX, CLR, NEG, NOT, TST, TAS, NBCD, EXT, SWAP, PEA and
// the opcodes 0x4848-0x484F, which do nothing. One handler per instruction, size and mode.
//
//   instruction       register   memory       instruction      cycles
//   NEGX, NEG, NOT    4 (l 6)    8 (l 12)     SWAP, EXT        4
//   CLR               4 (l 6)    8 (l 12)     PEA  (An) 12, d16(An) 16, d8(An,Xn) 20,
//   TST               4          4                 abs.W 16, abs.L 20, d16(PC) 16,
//   TAS               4          14                d8(PC,Xn) 20
//   NBCD              6          8            0x4848-0x484F    0
//
// CLR also clears an address register (its low byte, word or all of it, no sign extension);
// TST also reads PC-relative and immediate operands.

#include "base/speed_paths.h"
#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

template <Size S, Mode M, u32 RegByteWord, u32 RegLong, u32 MemByteWord, u32 MemLong>
inline constexpr u32 kCycles = (M == Mode::kDn || M == Mode::kAn)
                                   ? (S == Size::kLong ? RegLong : RegByteWord)
                                   : (S == Size::kLong ? MemLong : MemByteWord);

template <Mode M, Size S>
inline constexpr u32 kLength = 2 + kExtBytes<M, S>;

template <class I, Size S, Mode M>
u32 op_negx(u32 ir) {
    ea_modify<I, S, M, 2>(ir, ir >> 16, [](u32 v) {
        const AddSubResult r = add_sub<AddSub::kSub, S>(v, 0, x_bit<I>());
        set_extend_flags<I>(r);
        return r.res;
    });
    advance<I>(kLength<M, S>);
    return kCycles<S, M, 4, 6, 8, 12>;
}

template <class I, Size S, Mode M>
u32 op_neg(u32 ir) {
    ea_modify<I, S, M, 2>(ir, ir >> 16, [](u32 v) {
        const AddSubResult r = add_sub<AddSub::kSub, S>(v, 0);
        set_arith_flags<I>(r);
        return r.res;
    });
    advance<I>(kLength<M, S>);
    return kCycles<S, M, 4, 6, 8, 12>;
}

template <class I, Size S, Mode M>
u32 op_not(u32 ir) {
    ea_modify<I, S, M, 2>(ir, ir >> 16, [](u32 v) {
        const u32 r = ~v & kSizeMask<S>;
        set_logic_flags<I, S>(r);
        return r;
    });
    advance<I>(kLength<M, S>);
    return kCycles<S, M, 4, 6, 8, 12>;
}

// CLR writes without reading the operand first.
template <class I, Size S, Mode M>
u32 op_clr(u32 ir) {
    if constexpr (M == Mode::kAn) {
        set_sized<S>(areg<I>(ir >> 16), 0);
    } else {
        ea_write<I, S, M, 2>(ir, ir >> 16, 0);
    }
    set_nzvc_keep_x<I>(kM68kSrZ);
    advance<I>(kLength<M, S>);
    return kCycles<S, M, 4, 6, 8, 12>;
}

// A loop that waits on a flag in memory, as code waits for its interrupt handler to set one:
//
//     loop:  TST.B (xxx).L       (or TST.W, or an (xxx).W address)
//            Bcc.S loop
//
// When the flag's read is steady (m68k_steady_read: read again in this slice it gives the same
// value and changes nothing more) and the flags the TST just set take the branch, every round
// until the slice ends reads the same value, sets the same flags and branches again: they
// change nothing but the counter and the position. The TST then runs them all at once, up to
// and including the instruction whose cycles end the slice (the TST or the branch of the last
// round), and returns its own cycles and theirs. Returns 0 where that does not hold.
template <class I, Size S, Mode M>
inline constexpr bool kCanWait = I::kIsMain && (S == Size::kByte || S == Size::kWord) &&
                                 (M == Mode::kAw || M == Mode::kAl);

template <class I, Size S, Mode M>
u32 resume_wait_loop();

// The rounds after a TST at `pos_tst` whose flags take the branch: runs them up to the slice
// end and returns their cycles with the TST's, or 0 when the TST ends the slice itself. The
// record's counter is the one before the TST.
template <class I, Size S, Mode M>
M68K_INLINE u32 run_wait_rounds(u32 pos_tst) {
    auto& c           = I::cpu();
    const LoopEnd end = loop_end(c.cycle_counter, std::array{kTstCycles, kBranchTakenCycles});
    if (end.cycles == 0) return 0;
    c.fetch_pos       = end.last == 0 ? pos_tst + kLength<M, S> : pos_tst;
    m68k_wait_stop.at = c.fetch_pos;
    return end.cycles;
}

// True when `bcc`, the word after the TST, is Bcc.S (not BRA or BSR) back to the TST.
template <Size S, Mode M>
M68K_INLINE bool branches_back_to_tst(u32 bcc) {
    return (bcc & 0xF0FF) == (0x6000u | ((0u - (kLength<M, S> + 2)) & 0xFF)) && (bcc & 0x0E00) != 0;
}

// Called with the position past the TST, whose read and flags are done, and the branch after
// it going back to it.
template <class I, Size S, Mode M>
[[gnu::noinline]] u32 run_wait_loop(u32 addr, u32 bcc) {
    auto& c           = I::cpu();
    const u32 pos_tst = c.fetch_pos - kLength<M, S>;
    if (!speed_paths_enabled()) return 0;
    // The branch is taken with the flags just set.
    if (!m68k_test_condition(bcc >> 8, c.sr) || !in_jump_window(c, pos_tst)) return 0;
    if (!m68k_read_is_steady(addr, kSizeBytes<S>)) return 0;
    const u32 cycles = run_wait_rounds<I, S, M>(pos_tst);
    if (cycles != 0) {
        auto& w   = m68k_wait_stop;
        w.start   = pos_tst;
        w.resume  = &resume_wait_loop<I, S, M>;
        w.address = addr;
        w.code    = wait_loop_code(pos_tst);
    }
    return cycles;
}

template <class I, Size S, Mode M>
u32 op_tst(u32 ir) {
    if constexpr (kCanWait<I, S, M>) {
        const u32 addr = ea_fixed_address<I, M, 2>(ir, ir >> 16);
        set_logic_flags<I, S>(bus_read<I, S>(addr));
        advance<I>(kLength<M, S>);
        const u32 bcc = load_be16(memory_arena + I::cpu().fetch_pos);
        if (branches_back_to_tst<S, M>(bcc)) {
            if (const u32 cycles = run_wait_loop<I, S, M>(addr, bcc)) return cycles;
        }
    } else {
        set_logic_flags<I, S>(ea_read<I, S, M, 2>(ir, ir >> 16));
        advance<I>(kLength<M, S>);
    }
    return kTstCycles;
}

// A slice that starts where the last one left the loop: when the branch stands first and its
// condition goes round, it is taken as it would run; then the TST reads the flag and the
// loop's rounds run at once as above (see M68kWaitStop).
template <class I, Size S, Mode M>
u32 resume_wait_loop() {
    auto& c       = I::cpu();
    const auto& w = m68k_wait_stop;
    if (!resume_checks<I>(kSizeBytes<S>)) return 0;
    const u32 cc = load_be16(memory_arena + w.start + kLength<M, S>) >> 8;
    u32 partial  = 0;  // the cycles from here to the TST
    if (c.fetch_pos != w.start) {
        if (!m68k_test_condition(cc, c.sr)) return 0;
        partial = kBranchTakenCycles;
    }
    if (!resume_at_loop_start<I>(partial)) return 0;
    set_logic_flags<I, S>(bus_read<I, S>(w.address));
    if (m68k_test_condition(cc, c.sr)) {
        if (const u32 cycles = run_wait_rounds<I, S, M>(w.start)) return cycles;
    }
    c.fetch_pos = w.start + kLength<M, S>;
    return kTstCycles;
}

// TAS takes its flags from the byte read and always writes it back with bit 7 set.
template <class I, Mode M>
u32 op_tas(u32 ir) {
    ea_modify<I, Size::kByte, M, 2>(ir, ir >> 16, [](u32 v) {
        set_logic_flags<I, Size::kByte>(v);
        return v | 0x80u;
    });
    advance<I>(kLength<M, Size::kByte>);
    return M == Mode::kDn ? 4 : 14;
}

template <class I, Mode M>
u32 op_nbcd(u32 ir) {
    ea_modify<I, Size::kByte, M, 2>(ir, ir >> 16, [](u32 v) {
        const DecimalResult r = bcd_sub(0, v, x_bit<I>());
        set_bcd_flags<I>(r);
        return r.value;
    });
    advance<I>(kLength<M, Size::kByte>);
    return M == Mode::kDn ? 6 : 8;
}

template <class I>
u32 op_swap(u32 ir) {
    u32& d = dreg<I>(ir >> 16);
    d      = (d << 16) | (d >> 16);
    set_logic_flags<I, Size::kLong>(d);
    advance<I>(2);
    return 4;
}

template <class I>
u32 op_ext_w(u32 ir) {
    u32& d = dreg<I>(ir >> 16);
    set_sized<Size::kWord>(d, sign_extend8(d));
    set_logic_flags<I, Size::kWord>(d);
    advance<I>(2);
    return 4;
}

template <class I>
u32 op_ext_l(u32 ir) {
    u32& d = dreg<I>(ir >> 16);
    d      = sign_extend16(d);
    set_logic_flags<I, Size::kLong>(d);
    advance<I>(2);
    return 4;
}

template <Mode M>
inline constexpr u32 kPeaCycles = M == Mode::kAi                                         ? 12u
                                  : M == Mode::kIx || M == Mode::kPcIx || M == Mode::kAl ? 20u
                                                                                         : 16u;

// PEA forms its address with A7 as it stands before the push.
template <class I, Mode M>
u32 op_pea(u32 ir) {
    const u32 ea = ea_control_address<I, M, 2>(ir, ir >> 16);
    u32& sp      = areg<I>(7);
    sp -= 4;
    I::write32(sp, ea);
    advance<I>(kLength<M, Size::kLong>);
    return kPeaCycles<M>;
}

template <class I>
u32 op_nothing(u32) {
    advance<I>(2);
    return 0;
}

template <class I, Size S>
void add_sized(Sink<I>& out) {
    for_each_form<kDataAlterable>([&]<EaForm F>() {
        constexpr Mode m = handler_mode<S>(F.mode);
        const u32 row    = kSizeField<S> | F.bits;
        const u32 mask   = 0xFFC0 | F.mask;
        add_pattern<&op_negx<I, S, m>>(out, 0x4000 | row, mask);
        add_pattern<&op_clr<I, S, m>>(out, 0x4200 | row, mask);
        add_pattern<&op_neg<I, S, m>>(out, 0x4400 | row, mask);
        add_pattern<&op_not<I, S, m>>(out, 0x4600 | row, mask);
        add_pattern<&op_tst<I, S, m>, Then::kBranch>(out, 0x4A00 | row, mask);
    });
    add_pattern<&op_clr<I, S, Mode::kAn>>(out, 0x4208 | kSizeField<S>, 0xFFF8);
    add_pattern<&op_tst<I, S, Mode::kPcDi>, Then::kBranch>(out, 0x4A3A | kSizeField<S>, 0xFFFF);
    add_pattern<&op_tst<I, S, Mode::kPcIx>, Then::kBranch>(out, 0x4A3B | kSizeField<S>, 0xFFFF);
    add_pattern<&op_tst<I, S, Mode::kImm>, Then::kBranch>(out, 0x4A3C | kSizeField<S>, 0xFFFF);
}

}  // namespace

M68K_FAMILY(single) {
    add_sized<I, Size::kByte>(out);
    add_sized<I, Size::kWord>(out);
    add_sized<I, Size::kLong>(out);
    for_each_form<kDataAlterable>([&]<EaForm F>() {
        add_pattern<&op_tas<I, F.mode>>(out, 0x4AC0 | F.bits, 0xFFC0 | F.mask);
        add_pattern<&op_nbcd<I, F.mode>>(out, 0x4800 | F.bits, 0xFFC0 | F.mask);
    });
    for_each_form<kControl>([&]<EaForm F>() {
        add_pattern<&op_pea<I, F.mode>>(out, 0x4840 | F.bits, 0xFFC0 | F.mask);
    });
    add_pattern<&op_swap<I>>(out, 0x4840, 0xFFF8);
    add_pattern<&op_nothing<I>>(out, 0x4848, 0xFFF8);
    add_pattern<&op_ext_w<I>>(out, 0x4880, 0xFFF8);
    add_pattern<&op_ext_l<I>>(out, 0x48C0, 0xFFF8);
}

}  // namespace varn::m68k
