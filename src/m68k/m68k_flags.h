#pragma once
// Condition codes, computed from operands and results without host flags. A handler that
// sets flags rewrites the whole CCR byte (bits 5-7 become 0) and leaves the system byte of SR
// alone. The status register holds N and Z as result words (M68kStatusRegister): the
// helpers here store a result's N and Z that way and the other flags as bits.

#include <type_traits>

#include "m68k/m68k_ea.h"

namespace varn::m68k {

template <Size S>
M68K_INLINE constexpr u32 msb(u32 v) {
    return (v & kSignBit<S>) ? 1u : 0u;
}

// X and C together from a carry of 0 or 1: one load, not a copy, a shift and an add.
inline constexpr u8 kXcFromCarry[2] = {0, kM68kSrX | kM68kSrC};

// A result moved to the top of a 32-bit word: its top bit is N and it is zero exactly when
// the result is, which is how the status register holds N and Z.
template <Size S>
M68K_INLINE constexpr u32 top_aligned(u32 res) {
    return res << (32 - kSizeBytes<S> * 8);
}

// The add/subtract rule of every adding and subtracting instruction (the immediate, quick,
// register, address-register and extended forms, compares, NEG and NEGX): the result at size
// S and its flags, N and Z as the top-aligned result, V and C as bits, with X = C; `x` (0 or
// 1) is the extend bit carried or borrowed in. Compares, which keep X, take V and C alone.
enum class AddSub { kAdd, kSub };
struct AddSubResult {
    u32 res;
    u32 top;  // the result top-aligned: N and Z
    u32 xvc;  // X V C bits
    u32 vc;   // V C bits
};
//
// The operation runs one bit wider than the operand (64 bits for a long), so the carry or
// borrow is simply bit `width` of the wide result: fewer steps than deriving it from the
// operands' and the result's top bits, on the most frequent flag computation of all.
template <AddSub Op, Size S>
M68K_INLINE constexpr AddSubResult add_sub(u32 src, u32 dst, u32 x = 0) {
    constexpr u32 kWidth = kSizeBytes<S> * 8;
    using Wide           = std::conditional_t<S == Size::kLong, u64, u32>;
    const Wide s         = src & kSizeMask<S>;
    const Wide d         = dst & kSizeMask<S>;
    const Wide wide      = Op == AddSub::kAdd ? d + s + x : d - s - x;
    const u32 res        = static_cast<u32>(wide) & kSizeMask<S>;
    const u32 c          = static_cast<u32>(wide >> kWidth) & 1u;
    const u32 sv = static_cast<u32>(s), dv = static_cast<u32>(d);
    const u32 ov = Op == AddSub::kAdd ? (sv ^ res) & (dv ^ res) : (sv ^ dv) & (res ^ dv);
    // V shifted straight from the overflow word's top bit to its CCR bit.
    const u32 v = static_cast<u32>((u64{ov} >> (kWidth - 2)) & kM68kSrV);
    return {res, top_aligned<S>(res), v | kXcFromCarry[c], v | c};
}

// The extend bit as 0 or 1.
template <class I>
inline u32 x_bit() {
    return (I::cpu().sr.bits >> 4) & 1u;
}

// What a flag update keeps of SR: the system byte, and X as well where the operation leaves
// it.
inline constexpr u32 kKeepSystem     = 0xFF00u;
inline constexpr u32 kKeepSystemAndX = kKeepSystem | kM68kSrX;

// A flag update rewrites the whole CCR byte: the bits of `keep` stay (the system byte, and X
// where the operation keeps it), `xvc` are the new X, V and C bits (bits 5-7 become 0), N and
// Z come from the top-aligned result `top`.
template <class I>
M68K_INLINE void store_flags(u32 keep, u32 xvc, u32 top) {
    auto& sr = I::cpu().sr;
    sr.bits  = static_cast<u16>((sr.bits & keep) | xvc);
    sr.n     = top;
    sr.z     = top;
}

// The add/subtract flags: X N Z V C.
template <class I>
M68K_INLINE void set_arith_flags(const AddSubResult& r) {
    store_flags<I>(kKeepSystem, r.xvc, r.top);
}

// The compare flags: N Z V C, X kept.
template <class I>
M68K_INLINE void set_compare_flags(const AddSubResult& r) {
    store_flags<I>(kKeepSystemAndX, r.vc, r.top);
}

// The flag update of the extended and decimal operations, which only ever clear Z: a zero
// result keeps the Z before it, so that a chain over a multi-precision value ends with Z set
// only when every part was zero. `xvc` are the new X, V and C bits, `n` holds N in its top
// bit, `result` is the result (any width).
template <class I>
M68K_INLINE void store_flags_keeping_z_on_zero(u32 xvc, u32 n, u32 result) {
    auto& sr = I::cpu().sr;
    sr.bits  = static_cast<u16>((sr.bits & kKeepSystem) | xvc);
    sr.n     = n;
    if (result != 0) sr.z = result;
}

// ADDX, SUBX, NEGX.
template <class I>
M68K_INLINE void set_extend_flags(const AddSubResult& r) {
    store_flags_keeping_z_on_zero<I>(r.xvc, r.top, r.top);
}

// Stores a whole new CCR byte, all eight bits as given.
template <class I>
M68K_INLINE void set_ccr(u32 ccr) {
    auto& c = I::cpu();
    c.sr    = (c.sr.bits & 0xFF00u) | (ccr & 0xFFu);
}

// Stores N, Z, V, C from a CCR nibble (bits 5-7 cleared) and keeps X.
template <class I>
M68K_INLINE void set_nzvc_keep_x(u32 nzvc) {
    auto& c = I::cpu();
    c.sr    = (c.sr.bits & kKeepSystemAndX) | (nzvc & 0x0Fu);
}

// The logic operations of OR, AND and EOR, in every form (register, memory, immediate).
enum class Logic { kOr, kAnd, kEor };
template <Logic L>
M68K_INLINE constexpr u32 logic(u32 a, u32 b) {
    if constexpr (L == Logic::kOr) {
        return a | b;
    } else if constexpr (L == Logic::kAnd) {
        return a & b;
    } else {
        return a ^ b;
    }
}

// The logic-operation flags (MOVE, AND, OR, EOR, NOT, TST, ...): N and Z from the result,
// V and C cleared, X kept.
template <class I, Size S>
M68K_INLINE void set_logic_flags(u32 res) {
    store_flags<I>(kKeepSystemAndX, 0, top_aligned<S>(res));
}

// The bit-test flags (BTST, BCHG, BCLR, BSET): Z := the selected bit of `value` was 0; X, N,
// V, C kept; bits 5-7 cleared.
template <class I>
M68K_INLINE void set_bit_z(u32 value, u32 bit) {
    auto& sr = I::cpu().sr;
    sr.bits  = static_cast<u16>(sr.bits & 0xFF1Fu);
    sr.z     = value & bit;
}

// Packed decimal (ABCD, SBCD, NBCD): the binary sum or difference of two bytes put right by
// two digit corrections, the high one decided on the uncorrected value; `x` (0 or 1) is the
// extend bit carried or borrowed in. NBCD is the subtraction from zero.
struct DecimalResult {
    u32 value;  // the corrected byte
    u32 carry;  // decimal carry or borrow, 0 or 1
};

M68K_INLINE constexpr DecimalResult bcd_add(u32 d, u32 s, u32 x) {
    const u32 t  = d + s + x;
    const u32 r0 = t & 0xFF;
    const bool h = (d & 0x0F) + (s & 0x0F) + x >= 0x10;
    u32 r        = r0;
    if ((r0 & 0x0F) > 9 || h) r = (r + 0x06) & 0xFF;
    if (r0 > 0x99 || t >= 0x100) return {(r + 0x60) & 0xFF, 1};
    return {r, 0};
}

M68K_INLINE constexpr DecimalResult bcd_sub(u32 d, u32 s, u32 x) {
    const u32 r0 = (d - s - x) & 0xFF;
    const bool b = d < s + x;
    const bool h = (d & 0x0F) < (s & 0x0F) + x;
    u32 r        = r0;
    u32 b1       = 0;
    if ((r0 & 0x0F) > 9 || h) {
        r  = (r0 - 0x06) & 0xFF;
        b1 = r0 < 6 ? 1 : 0;
    }
    if (r0 > 0x99 || b) return {(r - 0x60) & 0xFF, 1};
    return {r, b1};
}

// The decimal flags: X = C = carry, Z cleared by a non-zero byte and kept otherwise (as the
// extended operations do), N = V = 0.
template <class I>
M68K_INLINE void set_bcd_flags(DecimalResult r) {
    store_flags_keeping_z_on_zero<I>(kXcFromCarry[r.carry], 0, r.value);
}

}  // namespace varn::m68k
