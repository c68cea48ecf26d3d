// Single-bit operations (line 0): BTST, BCHG, BCLR and BSET, static (bit number in an
// extension word, 0000 1000 tt mmm rrr) and dynamic (bit number in a data register, 0000 ddd1
// tt mmm rrr; tt: 0 BTST, 1 BCHG, 2 BCLR, 3 BSET). A data
// register is a 32-bit operand (bit number modulo 32), everything else a byte (modulo 8).
// Z takes the inverse of the bit as it was; no other flag changes. A changed bit is always
// written back, also when it already had its new value.
//
//   instruction      Dn   memory          instruction      Dn   memory
//   BTST #n          10   8               BTST Dn          6    4 (also #imm)
//   BCHG #n          12   12              BCHG Dn          8    8
//   BCLR #n          14   12              BCLR Dn          10   8
//   BSET #n          12   12              BSET Dn          8    8
//
// Mode 1 of the dynamic form is MOVEP (its own family); an address-register operand of the
// static form has no handler.

#include <utility>

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

enum class BitOp { kTst, kChg, kClr, kSet };

template <BitOp Op>
constexpr u32 apply(u32 value, u32 bit) {
    if constexpr (Op == BitOp::kChg) {
        return value ^ bit;
    } else if constexpr (Op == BitOp::kClr) {
        return value & ~bit;
    } else {
        return value | bit;
    }
}

// Cycles per operation (BTST, BCHG, BCLR, BSET): on a data register and on memory.
struct BitCycles {
    u32 reg;
    u32 mem;
};
inline constexpr BitCycles kStaticCycles[] = {
    {kBtstImmRegisterCycles, 8}, {12, 12}, {14, 12}, {12, 12}};
inline constexpr BitCycles kDynamicCycles[] = {{6, 4}, {8, 8}, {10, 8}, {8, 8}};

template <BitOp Op, bool Static>
inline constexpr BitCycles kCycles = (Static ? kStaticCycles
                                             : kDynamicCycles)[static_cast<u32>(Op)];

// `Static`: the bit number is the low byte of the word after the opcode and the operand's own
// extension words follow it; otherwise it is the data register of bits 11-9.
template <class I, BitOp Op, bool Static, Mode M>
u32 op_bit(u32 ir) {
    constexpr u32 kOff = Static ? 4 : 2;
    const u32 op       = ir >> 16;
    const u32 number   = Static ? (ir & 0xFF) : dreg<I>(op >> 9);
    if constexpr (M == Mode::kDn) {
        u32& d        = dreg<I>(op);
        const u32 bit = 1u << (number & 31);
        set_bit_z<I>(d, bit);
        if constexpr (Op != BitOp::kTst) d = apply<Op>(d, bit);
        advance<I>(kOff);
        return kCycles<Op, Static>.reg;
    } else {
        const u32 bit = 1u << (number & 7);
        if constexpr (Op == BitOp::kTst) {
            set_bit_z<I>(ea_read<I, Size::kByte, M, kOff>(ir, op), bit);
        } else {
            ea_modify<I, Size::kByte, M, kOff>(ir, op, [bit](u32 v) {
                set_bit_z<I>(v, bit);
                return apply<Op>(v, bit);
            });
        }
        advance<I>(kOff + kExtBytes<M, Size::kByte>);
        return kCycles<Op, Static>.mem;
    }
}

// BTST also reads PC-relative bytes, and the dynamic BTST an immediate byte.
inline constexpr std::array kPcRelative{kFormPcDi, kFormPcIx};

// BTST's entries run a Bcc that follows inline (see chained).
template <BitOp Op>
inline constexpr Then kThen = Op == BitOp::kTst ? Then::kBranch : Then::kNext;

template <class I, BitOp Op, const auto& Forms, std::size_t... N>
void add_forms(Sink<I>& out, std::index_sequence<N...>) {
    constexpr u32 kOpBits = static_cast<u32>(Op) << 6;
    // Static: 0000 1000 tt mmm rrr. Dynamic: 0000 ddd1 tt mmm rrr, any register in ddd.
    ((add_pattern<&op_bit<I, Op, true, Forms[N].mode>, kThen<Op>>(
          out, 0x0800 | kOpBits | Forms[N].bits, 0xFFC0 | Forms[N].mask),
      add_pattern<&op_bit<I, Op, false, Forms[N].mode>, kThen<Op>>(
          out, 0x0100 | kOpBits | Forms[N].bits, 0xF1C0 | Forms[N].mask)),
     ...);
}

template <class I, BitOp Op>
void add_op(Sink<I>& out) {
    add_forms<I, Op, kDataAlterable>(out, std::make_index_sequence<kDataAlterable.size()>{});
}

}  // namespace

M68K_FAMILY(bit) {
    add_op<I, BitOp::kTst>(out);
    add_forms<I, BitOp::kTst, kPcRelative>(out, std::make_index_sequence<kPcRelative.size()>{});
    add_pattern<&op_bit<I, BitOp::kTst, false, Mode::kImm>, Then::kBranch>(
        out, 0x0100 | kFormImm.bits, 0xF1C0 | kFormImm.mask);
    add_op<I, BitOp::kChg>(out);
    add_op<I, BitOp::kClr>(out);
    add_op<I, BitOp::kSet>(out);
}

}  // namespace varn::m68k
