#pragma once
// Moves of the older core: MOVE and MOVEA (lines 1-3), one handler per size and destination
// mode, every source mode decoded at run time (An as a byte source reads its low byte), and
// line 4's single-operand and status-register moves: NEGX, CLR, NEG, NOT, TST, TAS, NBCD,
// EXT, EXTB, SWAP, MOVE from SR, MOVE to CCR and to SR.
//
//   MOVE destination   Dn  An  (An)  (An)+  -(An)  d16(An)  d8(An,Xn)  abs.W  abs.L
//   cost               4   4   8     8      8      12       14         12     16
//
//   operation          register B/W/L   memory B/W/L
//   NEGX, CLR, NEG, NOT 4/4/6           8/8/12
//   TST                4                4
//   TAS                4                14
//   NBCD               6                8
//   EXT, EXTB, SWAP    4;   MOVE from SR 6;   MOVE to CCR, MOVE to SR 12

#include "legacy/m68k/m68k_v024_core.h"

namespace varn::m68k_v024 {

// Destinations of MOVE: the mode field, with the two absolute forms and the byte moves
// through A7 apart.
enum class MoveDst { kDn, kAn, kAi, kPi, kPi7, kPd, kPd7, kDi, kIx, kAw, kAl };

inline constexpr u32 move_cost(MoveDst d) {
    switch (d) {
        case MoveDst::kDn:
        case MoveDst::kAn:
            return 4;
        case MoveDst::kDi:
        case MoveDst::kAw:
            return 12;
        case MoveDst::kIx:
            return 14;
        case MoveDst::kAl:
            return 16;
        default:
            return 8;
    }
}

inline constexpr u32 move_mode(MoveDst d) {
    switch (d) {
        case MoveDst::kAi:
            return 2;
        case MoveDst::kPi:
        case MoveDst::kPi7:
            return 3;
        case MoveDst::kPd:
        case MoveDst::kPd7:
            return 4;
        case MoveDst::kDi:
            return 5;
        case MoveDst::kIx:
            return 6;
        default:
            return 7;
    }
}

template <class I, Size S, MoveDst D>
bool op_move() {
    set_cost<I>(move_cost(D));
    const u32 op  = opcode<I>();
    const u32 v   = read_ea<I, S>(field_mode(op), field_reg(op));
    const u32 dst = field_reg9(op);
    if constexpr (D == MoveDst::kAn) {
        if constexpr (S == Size::kByte) {
            // MOVE.B to An, which the 68000 does not have: the low byte of An, flags as to Dn.
            set_logic_flags<I, S>(v);
            set_sized<S>(areg<I>(dst), v);
        } else {
            areg<I>(dst) = sign_extend<S>(v);  // MOVEA: no flags
        }
        return false;
    }
    set_logic_flags<I, S>(v);
    if constexpr (D == MoveDst::kDn) {
        set_sized<S>(dreg<I>(dst), v);
    } else {
        constexpr u32 mode = move_mode(D);
        const u32 reg      = mode == 7 ? (D == MoveDst::kAw ? 0u : 1u) : dst;
        bus_write<I, S>(memory_address<I, S>(mode, reg), v);
    }
    return false;
}

template <Size S>
inline constexpr u32 by_size(u32 byte_word, u32 longword) {
    return S == Size::kLong ? longword : byte_word;
}

// The register forms of line 4 take a register number 0-15 from bits 0-3 (D0-D7, A0-A7).
template <class I>
V024_INLINE u32& reg16(u32 op) {
    return I::cpu().regs[op & 15];
}

enum class Unary { kNegx, kNeg, kNot };

template <class I, Unary U, Size S>
V024_INLINE u32 unary_apply(u32 v) {
    if constexpr (U == Unary::kNegx) {
        const AddSubResult r = add_sub<AddSub::kSub, S>(v, 0, x_bit<I>());
        set_extend_flags<I>(r);
        return r.res;
    } else if constexpr (U == Unary::kNeg) {
        const AddSubResult r = add_sub<AddSub::kSub, S>(v, 0);
        set_arith_flags<I>(r);
        return r.res;
    } else {
        const u32 r = ~v & kSizeMask<S>;
        set_logic_flags<I, S>(r);
        return r;
    }
}

template <class I, Unary U, Size S>
bool op_unary_reg() {
    set_cost<I>(by_size<S>(4, 6));
    u32& r = reg16<I>(opcode<I>());
    set_sized<S>(r, unary_apply<I, U, S>(r & kSizeMask<S>));
    return false;
}

template <class I, Unary U, Size S>
bool op_unary_ea() {
    set_cost<I>(by_size<S>(8, 12));
    const u32 op = opcode<I>();
    modify_ea<I, S>(field_mode(op), field_reg(op), [](u32 v) { return unary_apply<I, U, S>(v); });
    return false;
}

template <class I>
V024_INLINE void set_clear_flags() {
    store_ccr<I>(kKeepSystemAndX, kCcrZ);
}

template <class I, Size S>
bool op_clr_reg() {
    set_cost<I>(by_size<S>(4, 6));
    set_sized<S>(reg16<I>(opcode<I>()), 0);
    set_clear_flags<I>();
    return false;
}

// The memory form writes without reading first.
template <class I, Size S>
bool op_clr_ea() {
    set_cost<I>(by_size<S>(8, 12));
    const u32 op = opcode<I>();
    write_ea<I, S>(field_mode(op), field_reg(op), 0);
    set_clear_flags<I>();
    return false;
}

template <class I, Size S>
bool op_tst_reg() {
    set_cost<I>(4);
    set_logic_flags<I, S>(reg16<I>(opcode<I>()) & kSizeMask<S>);
    return false;
}

template <class I, Size S>
bool op_tst_ea() {
    set_cost<I>(4);
    const u32 op = opcode<I>();
    set_logic_flags<I, S>(read_ea<I, S>(field_mode(op), field_reg(op)));
    return false;
}

// TAS: an ordinary read and write, no locked cycle.
template <class I>
V024_INLINE u32 tas_apply(u32 v) {
    set_logic_flags<I, Size::kByte>(v);
    return v | 0x80;
}
template <class I>
bool op_tas_reg() {
    set_cost<I>(4);
    u32& r = reg16<I>(opcode<I>());
    set_sized<Size::kByte>(r, tas_apply<I>(r & 0xFF));
    return false;
}
template <class I>
bool op_tas_ea() {
    set_cost<I>(14);
    const u32 op = opcode<I>();
    modify_ea<I, Size::kByte>(field_mode(op), field_reg(op), [](u32 v) { return tas_apply<I>(v); });
    return false;
}

// The earlier release's decimal subtraction (see DecimalRules).
inline constexpr DecimalRules kDecimalV024{.low_correction_borrows = false};

template <class I>
V024_INLINE u32 nbcd_apply(u32 v) {
    const DecimalResult r = bcd_sub<kDecimalV024>(0, v, x_bit<I>());
    set_bcd_flags<I>(r);
    return r.value;
}
template <class I>
bool op_nbcd_reg() {
    set_cost<I>(6);
    u32& r = reg16<I>(opcode<I>());
    set_sized<Size::kByte>(r, nbcd_apply<I>(r & 0xFF));
    return false;
}
template <class I>
bool op_nbcd_ea() {
    set_cost<I>(8);
    const u32 op = opcode<I>();
    modify_ea<I, Size::kByte>(field_mode(op), field_reg(op),
                              [](u32 v) { return nbcd_apply<I>(v); });
    return false;
}

// EXT.W (byte to word), EXT.L (word to long), EXTB.L (byte to long).
template <class I, Size From, Size To>
bool op_ext() {
    set_cost<I>(4);
    u32& d      = dreg<I>(opcode<I>());
    const u32 v = sign_extend<From>(d) & kSizeMask<To>;
    set_sized<To>(d, v);
    set_logic_flags<I, To>(v);
    return false;
}

template <class I>
bool op_swap() {
    set_cost<I>(4);
    u32& d = dreg<I>(opcode<I>());
    d      = (d << 16) | (d >> 16);
    set_logic_flags<I, Size::kLong>(d);
    return false;
}

// 0x4848-0x484F: nothing, and no cost of its own (the last one stored is charged again).
template <class I>
bool op_4848() {
    return false;
}

template <class I>
bool op_move_from_sr() {
    set_cost<I>(6);
    const u32 op = opcode<I>();
    write_ea<I, Size::kWord>(field_mode(op), field_reg(op), I::cpu().sr);
    return false;
}

// MOVE to CCR: the low byte of the source word, all eight bits.
template <class I>
bool op_move_to_ccr() {
    set_cost<I>(12);
    const u32 op = opcode<I>();
    const u32 v  = read_ea<I, Size::kWord>(field_mode(op), field_reg(op));
    auto& c      = I::cpu();
    c.sr         = static_cast<u16>((c.sr & 0xFF00) | (v & 0xFF));
    return false;
}

// MOVE to SR: all sixteen bits, no privilege test; the stack follows the new S and the
// interrupt check runs before the next instruction.
template <class I>
bool op_move_to_sr() {
    set_cost<I>(12);
    const u32 op = opcode<I>();
    auto& c      = I::cpu();
    c.sr         = static_cast<u16>(read_ea<I, Size::kWord>(field_mode(op), field_reg(op)));
    c.irq_check  = 1;
    switch_stack_for_sr<I>();
    return continue_at_irq_check<I>();
}

}  // namespace varn::m68k_v024
