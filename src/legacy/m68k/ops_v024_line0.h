#pragma once
// Line 0 of the older core: the immediate operations (ORI, ANDI, SUBI, ADDI, EORI, CMPI and
// the CCR and SR forms), the bit operations (BTST, BCHG, BCLR, BSET, static and dynamic) and
// MOVEP. Costs are fixed per handler, whatever the addressing mode:
//
//   operation   Dn B/W/L    memory B/W/L   CCR  SR     bit op  #n,Dn  #n,mem  Dn,Dn  Dn,mem
//   ORI         8/8/16      12/12/20       20   20     BTST    10     8       6      4
//   ANDI        8/8/14      12/12/20       20   20     BCHG    12     12      8      8
//   SUBI        8/8/16      12/12/20                   BCLR    14     12      10     8
//   ADDI        8/8/16      12/12/20                   BSET    12     12      8      8
//   EORI        8/8/16      12/12/20       20   20
//   CMPI        8/8/14      8/8/12                     MOVEP   .W 16, .L 24

#include "legacy/m68k/m68k_v024_core.h"

namespace varn::m68k_v024 {

struct ImmCosts {
    u32 reg[3];
    u32 mem[3];
};
template <BinOp Op>
inline constexpr ImmCosts kImmCosts = Op == BinOp::kAnd   ? ImmCosts{{8, 8, 14}, {12, 12, 20}}
                                      : Op == BinOp::kCmp ? ImmCosts{{8, 8, 14}, {8, 8, 12}}
                                                          : ImmCosts{{8, 8, 16}, {12, 12, 20}};

template <Size S>
inline constexpr u32 kSizeIndex = S == Size::kByte   ? 0
                                  : S == Size::kWord ? 1
                                                     : 2;

template <class I, BinOp Op, Size S>
bool op_imm_dn() {
    set_cost<I>(kImmCosts<Op>.reg[kSizeIndex<S>]);
    const u32 op  = opcode<I>();
    const u32 imm = immediate<I, S>();
    u32& d        = dreg<I>(op);
    const u32 r   = bin_apply<I, Op, S>(imm, d & kSizeMask<S>);
    if constexpr (Op != BinOp::kCmp) set_sized<S>(d, r);
    return false;
}

template <class I, BinOp Op, Size S>
bool op_imm_ea() {
    set_cost<I>(kImmCosts<Op>.mem[kSizeIndex<S>]);
    const u32 op  = opcode<I>();
    const u32 imm = immediate<I, S>();
    if constexpr (Op == BinOp::kCmp) {
        bin_apply<I, Op, S>(imm, read_ea<I, S>(field_mode(op), field_reg(op)));
    } else {
        modify_ea<I, S>(field_mode(op), field_reg(op),
                        [imm](u32 v) { return bin_apply<I, Op, S>(imm, v); });
    }
    return false;
}

// ORI, ANDI, EORI to CCR: the low byte of the immediate, limited to the five flags.
template <class I, Logic L>
bool op_imm_ccr() {
    set_cost<I>(20);
    auto& c       = I::cpu();
    const u32 imm = ext16<I>() & 0xFF;
    const u32 ccr = c.sr & 0xFF;
    u32 r;
    if constexpr (L == Logic::kOr) {
        r = ccr | (imm & 0x1F);
    } else if constexpr (L == Logic::kAnd) {
        r = ccr & (imm | 0xE0);
    } else {
        r = ccr ^ (imm & 0x1F);
    }
    c.sr = static_cast<u16>((c.sr & 0xFF00) | r);
    return false;
}

// ORI, ANDI, EORI to SR: all sixteen bits, no privilege test; the stack follows the new S and
// an interrupt the new mask lets through is taken before the next instruction.
template <class I, Logic L>
bool op_imm_sr() {
    set_cost<I>(20);
    auto& c       = I::cpu();
    const u32 imm = ext16<I>();
    c.sr          = static_cast<u16>(logic<L>(c.sr, imm));
    c.irq_check   = 1;
    switch_stack_for_sr<I>();
    return continue_at_irq_check<I>();
}

enum class BitOp { kTst, kChg, kClr, kSet };

struct BitCosts {
    u32 static_reg, static_mem, dynamic_reg, dynamic_mem;
};
template <BitOp Op>
inline constexpr BitCosts kBitCosts = Op == BitOp::kTst   ? BitCosts{10, 8, 6, 4}
                                      : Op == BitOp::kClr ? BitCosts{14, 12, 10, 8}
                                                          : BitCosts{12, 12, 8, 8};

template <BitOp Op>
V024_INLINE u32 bit_apply(u32 v, u32 bit) {
    if constexpr (Op == BitOp::kChg) return v ^ bit;
    if constexpr (Op == BitOp::kClr) return v & ~bit;
    if constexpr (Op == BitOp::kSet) return v | bit;
    return v;
}

// The bit number: the immediate's low byte (static) or Dx (dynamic), modulo 32 for a data
// register and 8 for a byte in memory.
template <class I, bool Static>
V024_INLINE u32 bit_number(u32 op) {
    return Static ? ext16<I>() : dreg<I>(field_reg9(op));
}

template <class I, BitOp Op, bool Static>
bool op_bit_dn() {
    set_cost<I>(Static ? kBitCosts<Op>.static_reg : kBitCosts<Op>.dynamic_reg);
    const u32 op  = opcode<I>();
    const u32 bit = 1u << (bit_number<I, Static>(op) & 31);
    u32& d        = dreg<I>(op);
    set_bit_z<I>(d, bit);
    d = bit_apply<Op>(d, bit);
    return false;
}

// The memory forms serve the PC-relative modes too; BCHG, BCLR and BSET then write the byte
// back to the PC-relative address.
template <class I, BitOp Op, bool Static>
bool op_bit_ea() {
    set_cost<I>(Static ? kBitCosts<Op>.static_mem : kBitCosts<Op>.dynamic_mem);
    const u32 op  = opcode<I>();
    const u32 bit = 1u << (bit_number<I, Static>(op) & 7);
    if constexpr (Op == BitOp::kTst) {
        set_bit_z<I>(read_ea<I, Size::kByte>(field_mode(op), field_reg(op)), bit);
    } else {
        modify_ea<I, Size::kByte>(field_mode(op), field_reg(op), [bit](u32 v) {
            set_bit_z<I>(v, bit);
            return bit_apply<Op>(v, bit);
        });
    }
    return false;
}

// MOVEP: the bytes of Dx at every other address from d16(Ay), highest first.
template <class I, Size S, bool ToRegister>
bool op_movep() {
    set_cost<I>(S == Size::kLong ? 24 : 16);
    const u32 op    = opcode<I>();
    u32 addr        = areg<I>(op) + sign_extend16(ext16<I>());
    u32& d          = dreg<I>(field_reg9(op));
    constexpr u32 n = kSizeBytes<S>;
    if constexpr (ToRegister) {
        u32 v = 0;
        for (u32 i = 0; i < n; ++i, addr += 2) v = (v << 8) | I::read8(addr);
        set_sized<S>(d, v);
    } else {
        for (u32 i = 0; i < n; ++i, addr += 2) I::write8(addr, d >> (8 * (n - 1 - i)));
    }
    return false;
}

}  // namespace varn::m68k_v024
