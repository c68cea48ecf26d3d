// Shifts and rotates (line E): ASR, ASL, LSR, LSL, ROXR, ROXL, ROR and ROL on a data register
// (byte, word or long; count 1-8 from the opcode or 0-63 from a data register) and on a word in
// memory (count 1).
//
//   register  1110 ccc d ss i tt rrr   ccc: count (0 = 8) or count register; d: 1 = left;
//                                      ss: size; i: 1 = count in a register;
//                                      tt: 0 AS, 1 LS, 2 ROX, 3 RO
//   memory    1110 0tt d 11 mmm rrr
//
//   form                      byte  word  long
//   register (either count)   6     6     8
//   memory (every mode)             8
//
// Counts at or past the operand width follow the 68000: shifts run out to zeros (or the sign)
// with the carry taken from the last bit shifted out, ASL's V reports any change of the top
// bit along the way, ROX rotates a ring of width + 1 bits (X included), RO rotates modulo the
// width. A count of 0 changes nothing but the flags: C = 0 (C = X for ROX), V = 0, X kept.

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr SizeCycles kRegisterCycles{6, 8};
inline constexpr u32 kMemoryCycles = 8;

// Shifts or rotates `a` (the operand at width W, zero-extended) by n (0-63), stores the flags
// and returns the result at width W (the rules in m68k_alu.h).
template <class I, Size S, ShiftOp Op, bool Left>
inline u32 shift(u32 a, u32 n) {
    // A count of 0 apart, so that the flags kept are known at compile time on the common path.
    if (n == 0) [[unlikely]] {
        store_flags<I>(kKeepSystemAndX, Op == ShiftOp::kRox ? x_bit<I>() : 0u, top_aligned<S>(a));
        return a;
    }
    const ShiftResult r = shift_result<S, Op, Left>(a, n, x_bit<I>());
    store_flags<I>(r.keep, r.flags, top_aligned<S>(r.res));
    return r.res;
}

template <class I, Size S, ShiftOp Op, bool Left, bool RegCount>
u32 op_shift_reg(u32 ir) {
    const u32 op = ir >> 16;
    const u32 n  = RegCount ? dreg<I>(op >> 9) & 63u : (((op >> 9) - 1u) & 7u) + 1u;
    u32& d       = dreg<I>(op);
    set_sized<S>(d, shift<I, S, Op, Left>(d & kSizeMask<S>, n));
    advance<I>(2);
    return by_size<S>(kRegisterCycles);
}

template <class I, ShiftOp Op, bool Left, Mode M>
u32 op_shift_mem(u32 ir) {
    ea_modify<I, Size::kWord, M, 2>(ir, ir >> 16,
                                    [](u32 v) { return shift<I, Size::kWord, Op, Left>(v, 1); });
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    return kMemoryCycles;
}

template <class I, ShiftOp Op, bool Left, Size S>
void add_register_forms(Sink<I>& out) {
    const u32 match = 0xE000u | (Left ? 0x100u : 0u) | kSizeField<S> | (static_cast<u32>(Op) << 3);
    add_pattern<&op_shift_reg<I, S, Op, Left, false>>(out, match, 0xF1F8);
    add_pattern<&op_shift_reg<I, S, Op, Left, true>>(out, match | 0x20u, 0xF1F8);
}

template <class I, ShiftOp Op, bool Left>
void add_operation(Sink<I>& out) {
    add_register_forms<I, Op, Left, Size::kByte>(out);
    add_register_forms<I, Op, Left, Size::kWord>(out);
    add_register_forms<I, Op, Left, Size::kLong>(out);
    constexpr u32 kBase = 0xE0C0u | (static_cast<u32>(Op) << 9) | (Left ? 0x100u : 0u);
    // The memory forms shift a word by one (the A7 rows share the general handler).
    for_each_form<kMemoryAlterable>([&]<EaForm F>() {
        add_pattern<&op_shift_mem<I, Op, Left, handler_mode<Size::kWord>(F.mode)>>(
            out, kBase | F.bits, 0xFFC0u | F.mask);
    });
}

template <class I, ShiftOp Op>
void add_pair(Sink<I>& out) {
    add_operation<I, Op, false>(out);
    add_operation<I, Op, true>(out);
}

}  // namespace

M68K_FAMILY(shift) {
    add_pair<I, ShiftOp::kAs>(out);
    add_pair<I, ShiftOp::kLs>(out);
    add_pair<I, ShiftOp::kRox>(out);
    add_pair<I, ShiftOp::kRo>(out);
}

}  // namespace varn::m68k
