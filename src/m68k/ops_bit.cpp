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

template <BitOp Op, bool Static>
inline constexpr u32 kRegCycles = Static ? (Op == BitOp::kTst   ? kBtstImmRegisterCycles
                                            : Op == BitOp::kClr ? 14u
                                                                : 12u)
                                         : (Op == BitOp::kTst   ? 6u
                                            : Op == BitOp::kClr ? 10u
                                                                : 8u);
template <BitOp Op, bool Static>
inline constexpr u32 kMemCycles = Static ? (Op == BitOp::kTst ? 8u : 12u)
                                         : (Op == BitOp::kTst ? 4u : 8u);

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
        return kRegCycles<Op, Static>;
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
        return kMemCycles<Op, Static>;
    }
}

struct Form {
    Mode mode;
    u32 bits;  // opcode bits 5-0
    u32 mask;  // 0x38 any register, 0x3F this register only
};

// Destinations every bit operation takes: a data register or an alterable memory byte.
inline constexpr Form kAlterable[] = {
    {Mode::kDn, 0x00, 0x38},  {Mode::kAi, 0x10, 0x38}, {Mode::kPi, 0x18, 0x38},
    {Mode::kPi7, 0x1F, 0x3F}, {Mode::kPd, 0x20, 0x38}, {Mode::kPd7, 0x27, 0x3F},
    {Mode::kDi, 0x28, 0x38},  {Mode::kIx, 0x30, 0x38}, {Mode::kAw, 0x38, 0x3F},
    {Mode::kAl, 0x39, 0x3F},
};
// BTST also reads PC-relative bytes, and the dynamic BTST an immediate byte.
inline constexpr Form kPcRelative[] = {{Mode::kPcDi, 0x3A, 0x3F}, {Mode::kPcIx, 0x3B, 0x3F}};
inline constexpr Form kImmediate    = {Mode::kImm, 0x3C, 0x3F};

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
    add_forms<I, Op, kAlterable>(out, std::make_index_sequence<std::size(kAlterable)>{});
}

}  // namespace

M68K_FAMILY(bit) {
    add_op<I, BitOp::kTst>(out);
    add_forms<I, BitOp::kTst, kPcRelative>(out, std::make_index_sequence<std::size(kPcRelative)>{});
    add_pattern<&op_bit<I, BitOp::kTst, false, Mode::kImm>, Then::kBranch>(
        out, 0x0100 | kImmediate.bits, 0xF1C0 | kImmediate.mask);
    add_op<I, BitOp::kChg>(out);
    add_op<I, BitOp::kClr>(out);
    add_op<I, BitOp::kSet>(out);
}

}  // namespace varn::m68k
