#pragma once
// Condition codes, computed from operands and results without host flags. A handler that
// sets flags rewrites the whole CCR byte (bits 5-7 become 0) and leaves the system byte of SR
// alone; the helpers here build CCR bytes and store them that way.

#include <type_traits>

#include "m68k/m68k_ea.h"

namespace varn::m68k {

template <Size S>
M68K_INLINE constexpr u32 msb(u32 v) {
    return (v & kSignBit<S>) ? 1u : 0u;
}

// N and Z of a result at size S, each shifted straight from its source bit to its CCR bit:
// N from the result's top bit, Z from the borrow of res - 1 (the result holds at most
// width bits, so bit `width` of res - 1 is set only for 0). Cheaper than a compare and a set.
template <Size S>
M68K_INLINE constexpr u32 ccr_nz(u32 res) {
    constexpr u32 kWidth = kSizeBytes<S> * 8;
    const u64 r          = res & kSizeMask<S>;
    return static_cast<u32>(((r >> (kWidth - 4)) & kM68kSrN) |
                            (((r - 1) >> (kWidth - 2)) & kM68kSrZ));
}

// dst + src = res: N, Z, V, C, with X = C.
template <Size S>
M68K_INLINE constexpr u32 ccr_add(u32 src, u32 dst, u32 res) {
    const u32 v = msb<S>((src ^ res) & (dst ^ res));
    const u32 c = msb<S>((src & dst) | (~res & (src | dst)));
    return ccr_nz<S>(res) | (v ? kM68kSrV : 0u) | (c ? (kM68kSrC | kM68kSrX) : 0u);
}

// dst - src = res: N, Z, V, C, with X = C.
template <Size S>
M68K_INLINE constexpr u32 ccr_sub(u32 src, u32 dst, u32 res) {
    const u32 v = msb<S>((src ^ dst) & (res ^ dst));
    const u32 c = msb<S>((src & res) | (~dst & (src | res)));
    return ccr_nz<S>(res) | (v ? kM68kSrV : 0u) | (c ? (kM68kSrC | kM68kSrX) : 0u);
}

// Compare (dst - src) sets N, Z, V, C and keeps X.
template <Size S>
M68K_INLINE constexpr u32 ccr_cmp(u32 src, u32 dst, u32 res) {
    return ccr_sub<S>(src, dst, res) & ~u32{kM68kSrX};
}

// X and C together from a carry of 0 or 1: one load, not a copy, a shift and an add.
inline constexpr u8 kXcFromCarry[2] = {0, kM68kSrX | kM68kSrC};

// The add/subtract rule of every adding and subtracting instruction (the immediate, quick,
// register, address-register and extended forms, compares, NEG and NEGX): the result at size
// S and its CCR byte, N, Z, V, C, with X = C; `x` (0 or 1) is the extend bit carried or
// borrowed in. Compares, which keep X, take N, Z, V, C alone.
enum class AddSub { kAdd, kSub };
struct AddSubResult {
    u32 res;
    u32 ccr;   // X N Z V C
    u32 nzvc;  // the same without X
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
    const u32 v   = static_cast<u32>((u64{ov} >> (kWidth - 2)) & kM68kSrV);
    const u32 nzv = v | ccr_nz<S>(res);
    return {res, nzv | kXcFromCarry[c], nzv | c};
}

// The extended operations (ADDX, SUBX, NEGX) only ever clear Z: a zero result keeps the Z
// of `old_sr`, so that a chain over a multi-precision value ends with Z set only when every
// part was zero.
inline constexpr u32 ccr_extend_z(u32 ccr, u32 old_sr) {
    return (ccr & ~u32{kM68kSrZ}) | (ccr & old_sr & kM68kSrZ);
}

// The extend bit as 0 or 1.
template <class I>
inline u32 x_bit() {
    return (I::cpu().sr >> 4) & 1u;
}

// Stores a whole new CCR byte.
template <class I>
M68K_INLINE void set_ccr(u32 ccr) {
    auto& c = I::cpu();
    c.sr    = static_cast<u16>((c.sr & 0xFF00u) | (ccr & 0xFFu));
}

// Stores N, Z, V, C (bits 5-7 cleared) and keeps X.
template <class I>
M68K_INLINE void set_nzvc_keep_x(u32 nzvc) {
    auto& c = I::cpu();
    c.sr    = static_cast<u16>((c.sr & 0xFF10u) | (nzvc & 0x0Fu));
}

// The logic-operation flags (MOVE, AND, OR, EOR, NOT, TST, ...): N and Z from the result,
// V and C cleared, X kept.
template <class I, Size S>
M68K_INLINE void set_logic_flags(u32 res) {
    set_nzvc_keep_x<I>(ccr_nz<S>(res));
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
    auto& c      = I::cpu();
    const u32 z  = r.value == 0 ? (c.sr & kM68kSrZ) : 0u;
    const u32 xc = r.carry ? (kM68kSrX | kM68kSrC) : 0u;
    c.sr         = static_cast<u16>((c.sr & 0xFF00u) | z | xc);
}

}  // namespace varn::m68k
