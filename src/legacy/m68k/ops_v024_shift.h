#pragma once
// Shifts and rotates of the older core (line E): a data register by an immediate count (1-8)
// or by a count register (modulo 64), byte, word or long, cost 6/6/8; a word in memory by
// one, cost 8. The results are the shared ones (m68k_alu.h) with two older corner cases:
// LSL.L and LSR.L by 32 clear C, and ASL.B by an immediate 8 clears V.

#include "legacy/m68k/m68k_v024_core.h"
#include "legacy/m68k/ops_v024_move.h"

namespace varn::m68k_v024 {

inline constexpr ShiftRules kShiftsV024{.long_by_32_clears_carry = true};
inline constexpr ShiftRules kImmediateShiftsV024{.long_by_32_clears_carry   = true,
                                                 .byte_by_8_clears_overflow = true};

template <class I, Size S, ShiftOp Op, bool Left, ShiftRules R>
V024_INLINE u32 shift_apply(u32 v, u32 n) {
    const ShiftResult r = shift_result<S, Op, Left, R>(v, n, x_bit<I>());
    store_ccr<I>(r.keep, r.flags | nz_bits(top_aligned<S>(r.res)));
    return r.res;
}

template <class I, Size S, ShiftOp Op, bool Left, bool RegisterCount>
bool op_shift_reg() {
    set_cost<I>(by_size<S>(6, 8));
    const u32 op = opcode<I>();
    u32& d       = dreg<I>(op);
    if constexpr (RegisterCount) {
        const u32 n = dreg<I>(field_reg9(op)) & 63;
        set_sized<S>(d, shift_apply<I, S, Op, Left, kShiftsV024>(d & kSizeMask<S>, n));
    } else {
        const u32 n = quick_count(op);
        set_sized<S>(d, shift_apply<I, S, Op, Left, kImmediateShiftsV024>(d & kSizeMask<S>, n));
    }
    return false;
}

template <class I, ShiftOp Op, bool Left>
bool op_shift_mem() {
    set_cost<I>(8);
    const u32 op = opcode<I>();
    modify_ea<I, Size::kWord>(field_mode(op), field_reg(op), [](u32 v) {
        return shift_apply<I, Size::kWord, Op, Left, kShifts68000>(v, 1);
    });
    return false;
}

}  // namespace varn::m68k_v024
