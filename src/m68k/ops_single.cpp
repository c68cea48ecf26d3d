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

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr OperandCycles kNegNotClrCycles{{4, 6}, {8, 12}};  // NEGX, NEG, NOT, CLR
inline constexpr OperandCycles kTasCycles{{4, 4}, {14, 14}};
inline constexpr OperandCycles kNbcdCycles{{6, 6}, {8, 8}};
inline constexpr u32 kSwapExtCycles = 4;
inline constexpr u32 kNothingCycles = 0;  // 0x4848-0x484F

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
    return by_operand<S, M>(kNegNotClrCycles);
}

template <class I, Size S, Mode M>
u32 op_neg(u32 ir) {
    ea_modify<I, S, M, 2>(ir, ir >> 16, [](u32 v) {
        const AddSubResult r = add_sub<AddSub::kSub, S>(v, 0);
        set_arith_flags<I>(r);
        return r.res;
    });
    advance<I>(kLength<M, S>);
    return by_operand<S, M>(kNegNotClrCycles);
}

template <class I, Size S, Mode M>
u32 op_not(u32 ir) {
    ea_modify<I, S, M, 2>(ir, ir >> 16, [](u32 v) {
        const u32 r = ~v & kSizeMask<S>;
        set_logic_flags<I, S>(r);
        return r;
    });
    advance<I>(kLength<M, S>);
    return by_operand<S, M>(kNegNotClrCycles);
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
    return by_operand<S, M>(kNegNotClrCycles);
}

template <class I, Size S, Mode M>
u32 op_tst(u32 ir) {
    set_logic_flags<I, S>(ea_read<I, S, M, 2>(ir, ir >> 16));
    advance<I>(kLength<M, S>);
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
    return by_operand<Size::kByte, M>(kTasCycles);
}

template <class I, Mode M>
u32 op_nbcd(u32 ir) {
    ea_modify<I, Size::kByte, M, 2>(ir, ir >> 16, [](u32 v) {
        const DecimalResult r = bcd_sub(0, v, x_bit<I>());
        set_bcd_flags<I>(r);
        return r.value;
    });
    advance<I>(kLength<M, Size::kByte>);
    return by_operand<Size::kByte, M>(kNbcdCycles);
}

template <class I>
u32 op_swap(u32 ir) {
    u32& d = dreg<I>(ir >> 16);
    d      = (d << 16) | (d >> 16);
    set_logic_flags<I, Size::kLong>(d);
    advance<I>(2);
    return kSwapExtCycles;
}

template <class I>
u32 op_ext_w(u32 ir) {
    u32& d = dreg<I>(ir >> 16);
    set_sized<Size::kWord>(d, sign_extend8(d));
    set_logic_flags<I, Size::kWord>(d);
    advance<I>(2);
    return kSwapExtCycles;
}

template <class I>
u32 op_ext_l(u32 ir) {
    u32& d = dreg<I>(ir >> 16);
    d      = sign_extend16(d);
    set_logic_flags<I, Size::kLong>(d);
    advance<I>(2);
    return kSwapExtCycles;
}

template <Mode M>
inline constexpr u32 kPeaCycles = M == Mode::kAi                                         ? 12u
                                  : M == Mode::kIx || M == Mode::kPcIx || M == Mode::kAl ? 20u
                                                                                         : 16u;

// PEA forms its address with A7 as it stands before the push.
template <class I, Mode M>
u32 op_pea(u32 ir) {
    const u32 ea = ea_control_address<I, M, 2>(ir, ir >> 16);
    sp<I>() -= 4;
    I::write32(sp<I>(), ea);
    advance<I>(kLength<M, Size::kLong>);
    return kPeaCycles<M>;
}

template <class I>
u32 op_nothing(u32) {
    advance<I>(2);
    return kNothingCycles;
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
        add_pattern<tst_entry<I, S, m, &op_tst<I, S, m>>(), Then::kBranch>(out, 0x4A00 | row, mask);
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
