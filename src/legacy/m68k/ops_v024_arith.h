#pragma once
// Arithmetic and logic of the older core (lines 5, 7, 8, 9, B, C, D): ADDQ, SUBQ, MOVEQ, OR,
// AND, EOR, ADD, SUB, CMP and their address-register, extended and memory forms, MULU, MULS,
// DIVU, DIVS, ABCD, SBCD, EXG.
//
//   operation                   B/W/L                 operation            cost
//   ADDQ, SUBQ Dn               4/4/8                 ADDQ An .W/.L        4/8
//   ADDQ, SUBQ <ea>             8/8/12                SUBQ An .W/.L        8/8
//   OR, AND, ADD, SUB, CMP <ea>,Dn 4/4/6              ADDA, SUBA .W/.L     8/6
//   OR, AND, EOR, ADD, SUB Dn,<ea> 8/8/12             CMPA .W/.L           6/6
//   EOR Dn,Dn                   4/4/8                 MOVEQ                4
//   ADDX, SUBX Dy,Dx            4/4/8                 MULU, MULS           38
//   ADDX, SUBX -(Ay),-(Ax)      18/18/30              DIVU / DIVS          140 / 158
//   CMPM (Ay)+,(Ax)+            12/12/20              ABCD, SBCD Dy,Dx 6; -(Ay),-(Ax) 18
//   EXG                         6

#include <utility>

#include "legacy/m68k/m68k_v024_core.h"
#include "legacy/m68k/ops_v024_move.h"

namespace varn::m68k_v024 {

template <class I, AddSub Op, Size S>
V024_INLINE u32 arith_apply(u32 src, u32 dst) {
    const AddSubResult r = add_sub<Op, S>(src, dst);
    set_arith_flags<I>(r);
    return r.res;
}

template <class I, AddSub Op, Size S>
bool op_quick_dn() {
    set_cost<I>(by_size<S>(4, 8));
    const u32 op = opcode<I>();
    u32& d       = dreg<I>(op);
    set_sized<S>(d, arith_apply<I, Op, S>(quick_count(op), d));
    return false;
}

template <class I, AddSub Op, Size S>
bool op_quick_ea() {
    set_cost<I>(by_size<S>(8, 12));
    const u32 op = opcode<I>();
    const u32 q  = quick_count(op);
    modify_ea<I, S>(field_mode(op), field_reg(op),
                    [q](u32 v) { return arith_apply<I, Op, S>(q, v); });
    return false;
}

// To An: all 32 bits, no flags. ADDQ.W costs 4, SUBQ.W 8.
template <class I, AddSub Op, Size S>
bool op_quick_an() {
    set_cost<I>(Op == AddSub::kAdd ? by_size<S>(4, 8) : 8);
    const u32 op = opcode<I>();
    u32& a       = areg<I>(op);
    a            = Op == AddSub::kAdd ? a + quick_count(op) : a - quick_count(op);
    return false;
}

template <class I>
bool op_moveq() {
    set_cost<I>(4);
    const u32 op            = opcode<I>();
    const u32 v             = sign_extend8(op);
    dreg<I>(field_reg9(op)) = v;
    set_logic_flags<I, Size::kLong>(v);
    return false;
}

// <ea>,Dn: every source mode the table allows (An as a byte source reads its low byte).
template <class I, BinOp Op, Size S>
bool op_bin_to_dn() {
    set_cost<I>(by_size<S>(4, 6));
    const u32 op  = opcode<I>();
    const u32 src = read_ea<I, S>(field_mode(op), field_reg(op));
    u32& d        = dreg<I>(field_reg9(op));
    const u32 r   = bin_apply<I, Op, S>(src, d & kSizeMask<S>);
    if constexpr (Op != BinOp::kCmp) set_sized<S>(d, r);
    return false;
}

// Dn,<ea>: read-modify-write of the destination (OR also of a data register or a
// PC-relative address). An immediate destination, which the table sends to OR but no
// destination decoder serves, halts as an opcode without an operation.
template <class I, BinOp Op, Size S>
bool op_bin_to_ea() {
    const u32 op = opcode<I>();
    if (field_mode(op) == 7 && field_reg(op) == 4) [[unlikely]]
        return halt_here<I>();
    set_cost<I>(by_size<S>(8, 12));
    const u32 src = dreg<I>(field_reg9(op));
    modify_ea<I, S>(field_mode(op), field_reg(op),
                    [src](u32 v) { return bin_apply<I, Op, S>(src, v); });
    return false;
}

// EOR Dn,Dn.
template <class I, Size S>
bool op_eor_dn() {
    set_cost<I>(by_size<S>(4, 8));
    const u32 op = opcode<I>();
    u32& d       = dreg<I>(op);
    set_sized<S>(d, bin_apply<I, BinOp::kEor, S>(dreg<I>(field_reg9(op)), d & kSizeMask<S>));
    return false;
}

// ADDA, SUBA: a word source sign-extended, all 32 bits, no flags.
template <class I, AddSub Op, Size S>
bool op_adda() {
    set_cost<I>(S == Size::kWord ? 8 : 6);
    const u32 op  = opcode<I>();
    const u32 src = sign_extend<S>(read_ea<I, S>(field_mode(op), field_reg(op)));
    u32& a        = areg<I>(field_reg9(op));
    a             = Op == AddSub::kAdd ? a + src : a - src;
    return false;
}

template <class I, Size S>
bool op_cmpa() {
    set_cost<I>(6);
    const u32 op  = opcode<I>();
    const u32 src = sign_extend<S>(read_ea<I, S>(field_mode(op), field_reg(op)));
    set_compare_flags<I>(add_sub<AddSub::kSub, Size::kLong>(src, areg<I>(field_reg9(op))));
    return false;
}

// ADDX, SUBX.
template <class I, AddSub Op, Size S>
V024_INLINE u32 extend_apply(u32 src, u32 dst) {
    const AddSubResult r = add_sub<Op, S>(src, dst, x_bit<I>());
    set_extend_flags<I>(r);
    return r.res;
}

template <class I, AddSub Op, Size S>
bool op_addx_dn() {
    set_cost<I>(by_size<S>(4, 8));
    const u32 op = opcode<I>();
    u32& dx      = dreg<I>(field_reg9(op));
    set_sized<S>(dx, extend_apply<I, Op, S>(dreg<I>(op), dx));
    return false;
}

// The memory forms: Ay then Ax lowered and read, the result written at Ax; a byte moves A7
// by 1 like any other address register.
template <class I, AddSub Op, Size S>
bool op_addx_mem() {
    set_cost<I>(by_size<S>(18, 30));
    const u32 op = opcode<I>();
    u32& ay      = areg<I>(op);
    ay -= kSizeBytes<S>;
    const u32 src = bus_read<I, S>(ay);
    u32& ax       = areg<I>(field_reg9(op));
    ax -= kSizeBytes<S>;
    const u32 dst = bus_read<I, S>(ax);
    bus_write<I, S>(ax, extend_apply<I, Op, S>(src, dst));
    return false;
}

template <class I, Size S>
bool op_cmpm() {
    set_cost<I>(by_size<S>(12, 20));
    const u32 op  = opcode<I>();
    u32& ay       = areg<I>(op);
    const u32 src = bus_read<I, S>(ay);
    ay += kSizeBytes<S>;
    u32& ax       = areg<I>(field_reg9(op));
    const u32 dst = bus_read<I, S>(ax);
    ax += kSizeBytes<S>;
    set_compare_flags<I>(add_sub<AddSub::kSub, S>(src, dst));
    return false;
}

template <class I, bool Signed>
bool op_mul() {
    set_cost<I>(38);
    const u32 op  = opcode<I>();
    const u32 src = read_ea<I, Size::kWord>(field_mode(op), field_reg(op));
    u32& d        = dreg<I>(field_reg9(op));
    d             = mul_result<Signed>(d, src);
    set_logic_flags<I, Size::kLong>(d);
    return false;
}

// A zero divisor clears C and takes vector 5 with the PC after the instruction.
template <class I, bool Signed>
bool op_div() {
    set_cost<I>(Signed ? 158 : 140);
    const u32 op  = opcode<I>();
    const u32 src = read_ea<I, Size::kWord>(field_mode(op), field_reg(op));
    auto& c       = I::cpu();
    if (src == 0) {
        c.sr = static_cast<u16>(c.sr & ~(kCcrC | 0x00E0u));
        return raise_exception<I>(5);
    }
    u32& d       = dreg<I>(field_reg9(op));
    const auto r = div_result<Signed>(d, src);
    store_ccr<I>(kKeepSystemAndX,
                 (r.overflow() ? kCcrV : 0u) | nz_bits(top_aligned<Size::kWord>(r.quotient())));
    if (!r.overflow()) d = r.packed();
    return false;
}

template <bool Add>
V024_INLINE DecimalResult decimal(u32 d, u32 s, u32 x) {
    return Add ? bcd_add(d, s, x) : bcd_sub<kDecimalV024>(d, s, x);
}

template <class I, bool Add>
bool op_bcd_dn() {
    set_cost<I>(6);
    const u32 op          = opcode<I>();
    u32& dx               = dreg<I>(field_reg9(op));
    const DecimalResult r = decimal<Add>(dx & 0xFF, dreg<I>(op) & 0xFF, x_bit<I>());
    set_sized<Size::kByte>(dx, r.value);
    set_bcd_flags<I>(r);
    return false;
}

template <class I, bool Add>
bool op_bcd_mem() {
    set_cost<I>(18);
    const u32 op = opcode<I>();
    u32& ay      = areg<I>(op);
    ay -= 1;
    const u32 src = I::read8(ay);
    u32& ax       = areg<I>(field_reg9(op));
    ax -= 1;
    const DecimalResult r = decimal<Add>(I::read8(ax), src, x_bit<I>());
    I::write8(ax, r.value);
    set_bcd_flags<I>(r);
    return false;
}

// EXG: Dx,Dy (0xC140), Ax,Ay (0xC148), Dx,Ay (0xC188).
template <class I, u32 XBase, u32 YBase>
bool op_exg() {
    set_cost<I>(6);
    const u32 op = opcode<I>();
    auto& regs   = I::cpu().regs;
    std::swap(regs[XBase + field_reg9(op)], regs[YBase + field_reg(op)]);
    return false;
}

}  // namespace varn::m68k_v024
