#pragma once
// What every 68000 interpreter of this code base computes alike: operand sizes, the
// add/subtract and logic results with their condition codes, packed decimal, multiply and
// divide, shifts and rotates, and the condition test of Bcc, DBcc and Scc. Pure functions of
// their operands: each core keeps its own register file and status-register layout and
// stores what these give. Both the main core (src/m68k/) and the earlier release's core
// (src/legacy/m68k/) include this header; it depends on nothing but src/base.
//
// Where the earlier release's core kept an older result (a few shift corner cases, the
// decimal borrow of invalid digits), the function takes a rules value that names it; the
// default is the 68000's own behaviour as the main core runs it.

#include <array>
#include <bit>
#include <type_traits>

#include "base/types.h"

namespace varn::m68k {

// ---------------------------------------------------------------------------------------
// Operand sizes
// ---------------------------------------------------------------------------------------

enum class Size : u32 { kByte = 1, kWord = 2, kLong = 4 };

template <Size S>
inline constexpr u32 kSizeMask = S == Size::kByte   ? 0xFFu
                                 : S == Size::kWord ? 0xFFFFu
                                                    : 0xFFFFFFFFu;
template <Size S>
inline constexpr u32 kSignBit = S == Size::kByte   ? 0x80u
                                : S == Size::kWord ? 0x8000u
                                                   : 0x80000000u;
template <Size S>
inline constexpr u32 kSizeBytes = static_cast<u32>(S);
template <Size S>
inline constexpr u32 kWidth = kSizeBytes<S> * 8;

// CCR bits (the same values as kM68kSrX ... in m68k.h, repeated so that this header stands
// alone).
inline constexpr u32 kCcrC = 0x01, kCcrV = 0x02, kCcrZ = 0x04, kCcrN = 0x08, kCcrX = 0x10;

// What a flag update keeps of SR: the system byte, and X as well where the operation leaves
// it.
inline constexpr u32 kKeepSystem     = 0xFF00u;
inline constexpr u32 kKeepSystemAndX = kKeepSystem | kCcrX;

template <Size S>
[[gnu::always_inline]] inline constexpr u32 msb(u32 v) {
    return (v & kSignBit<S>) ? 1u : 0u;
}

// X and C together from a carry of 0 or 1: one load, not a copy, a shift and an add.
inline constexpr u8 kXcFromCarry[2] = {0, kCcrX | kCcrC};

// A result moved to the top of a 32-bit word: its top bit is N and it is zero exactly when
// the result is.
template <Size S>
[[gnu::always_inline]] inline constexpr u32 top_aligned(u32 res) {
    return res << (32 - kSizeBytes<S> * 8);
}

// N and Z as CCR bits from a top-aligned result.
[[gnu::always_inline]] inline constexpr u32 nz_bits(u32 top) {
    return ((top >> 28) & kCcrN) | (top == 0 ? kCcrZ : 0u);
}

// ---------------------------------------------------------------------------------------
// Add, subtract, compare, negate
// ---------------------------------------------------------------------------------------

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
[[gnu::always_inline]] inline constexpr AddSubResult add_sub(u32 src, u32 dst, u32 x = 0) {
    constexpr u32 kW = kWidth<S>;
    using Wide       = std::conditional_t<S == Size::kLong, u64, u32>;
    const Wide s     = src & kSizeMask<S>;
    const Wide d     = dst & kSizeMask<S>;
    const Wide wide  = Op == AddSub::kAdd ? d + s + x : d - s - x;
    const u32 res    = static_cast<u32>(wide) & kSizeMask<S>;
    const u32 c      = static_cast<u32>(wide >> kW) & 1u;
    const u32 sv = static_cast<u32>(s), dv = static_cast<u32>(d);
    const u32 ov = Op == AddSub::kAdd ? (sv ^ res) & (dv ^ res) : (sv ^ dv) & (res ^ dv);
    // V shifted straight from the overflow word's top bit to its CCR bit.
    const u32 v = static_cast<u32>((u64{ov} >> (kW - 2)) & kCcrV);
    return {res, top_aligned<S>(res), v | kXcFromCarry[c], v | c};
}

// ---------------------------------------------------------------------------------------
// Logic
// ---------------------------------------------------------------------------------------

// The logic operations of OR, AND and EOR, in every form (register, memory, immediate). Their
// flags: N and Z from the result, V and C cleared, X kept.
enum class Logic { kOr, kAnd, kEor };
template <Logic L>
[[gnu::always_inline]] inline constexpr u32 logic(u32 a, u32 b) {
    if constexpr (L == Logic::kOr) {
        return a | b;
    } else if constexpr (L == Logic::kAnd) {
        return a & b;
    } else {
        return a ^ b;
    }
}

// ---------------------------------------------------------------------------------------
// Packed decimal
// ---------------------------------------------------------------------------------------

// ABCD, SBCD, NBCD: the binary sum or difference of two bytes put right by two digit
// corrections, the high one decided on the uncorrected value; `x` (0 or 1) is the extend bit
// carried or borrowed in. NBCD is the subtraction from zero. Flags: X = C = carry, Z cleared
// by a non-zero byte and kept otherwise, N = V = 0.
struct DecimalResult {
    u32 value;  // the corrected byte
    u32 carry;  // decimal carry or borrow, 0 or 1
};

// Which borrow a subtraction reports when only its low-digit correction wraps below zero
// (possible with a digit above 9 only): the 68000 reports it; the earlier release's core
// reports the high-digit decision alone.
struct DecimalRules {
    bool low_correction_borrows = true;
};
inline constexpr DecimalRules kDecimal68000{};

[[gnu::always_inline]] inline constexpr DecimalResult bcd_add(u32 d, u32 s, u32 x) {
    const u32 t  = d + s + x;
    const u32 r0 = t & 0xFF;
    const bool h = (d & 0x0F) + (s & 0x0F) + x >= 0x10;
    u32 r        = r0;
    if ((r0 & 0x0F) > 9 || h) r = (r + 0x06) & 0xFF;
    if (r0 > 0x99 || t >= 0x100) return {(r + 0x60) & 0xFF, 1};
    return {r, 0};
}

template <DecimalRules R = kDecimal68000>
[[gnu::always_inline]] inline constexpr DecimalResult bcd_sub(u32 d, u32 s, u32 x) {
    const u32 r0 = (d - s - x) & 0xFF;
    const bool b = d < s + x;
    const bool h = (d & 0x0F) < (s & 0x0F) + x;
    u32 r        = r0;
    u32 b1       = 0;
    if ((r0 & 0x0F) > 9 || h) {
        r = (r0 - 0x06) & 0xFF;
        if constexpr (R.low_correction_borrows) b1 = r0 < 6 ? 1 : 0;
    }
    if (r0 > 0x99 || b) return {(r - 0x60) & 0xFF, 1};
    return {r, b1};
}

// ---------------------------------------------------------------------------------------
// Multiply and divide (word operands)
// ---------------------------------------------------------------------------------------

// MULU, MULS: the 32-bit product of the low word of the register and the source word. Flags
// as a logic result of 32 bits.
template <bool Signed>
[[gnu::always_inline]] inline constexpr u32 mul_result(u32 d, u32 src) {
    if constexpr (Signed) {
        return static_cast<u32>(static_cast<s32>(static_cast<s16>(d)) *
                                static_cast<s32>(static_cast<s16>(src)));
    } else {
        return (d & 0xFFFFu) * (src & 0xFFFFu);
    }
}

// DIVU, DIVS by a non-zero word: the quotient (N and Z come from its low word, V = overflow,
// C = 0, X kept) and the remainder; without an overflow the register becomes `packed()`
// (remainder in the high word, quotient in the low), with one it is left alone. Quotients are
// formed in 64 bits, so 0x80000000 / -1 is an ordinary overflow.
template <bool Signed>
struct DivResult {
    s64 q;
    s64 r;
    constexpr bool overflow() const { return Signed ? q < -32768 || q > 32767 : q > 0xFFFF; }
    constexpr u32 quotient() const { return static_cast<u32>(q); }
    constexpr u32 packed() const {
        return (static_cast<u32>(r) << 16) | (static_cast<u32>(q) & 0xFFFFu);
    }
};
template <bool Signed>
[[gnu::always_inline]] inline constexpr DivResult<Signed> div_result(u32 d, u32 src) {
    if constexpr (Signed) {
        const s64 dividend = static_cast<s32>(d);
        const s64 divisor  = static_cast<s16>(src);
        return {dividend / divisor, dividend % divisor};  // toward zero; remainder signed as d
    } else {
        return {d / src, d % src};
    }
}

// ---------------------------------------------------------------------------------------
// Shifts and rotates
// ---------------------------------------------------------------------------------------

enum class ShiftOp : u32 { kAs = 0, kLs = 1, kRox = 2, kRo = 3 };

// The corner cases where the earlier release's core kept its own result: LSL.L and LSR.L by
// exactly 32 clear C (the 68000 shifts the last bit out into it), and ASL.B by an immediate 8
// clears V (the 68000 sets it when the byte was not zero).
struct ShiftRules {
    bool long_by_32_clears_carry   = false;
    bool byte_by_8_clears_overflow = false;
};
inline constexpr ShiftRules kShifts68000{};

template <Size S>
[[gnu::always_inline]] inline constexpr s64 sign_extended(u32 a) {
    if constexpr (S == Size::kByte) {
        return static_cast<s8>(a);
    } else if constexpr (S == Size::kWord) {
        return static_cast<s16>(a);
    } else {
        return static_cast<s32>(a);
    }
}

// Rotates the low W bits of `a` left by r (0 <= r < W).
template <Size S>
[[gnu::always_inline]] inline constexpr u32 rotate_left(u32 a, u32 r) {
    if constexpr (S == Size::kLong) {
        return std::rotl(a, static_cast<int>(r));
    } else {
        constexpr u32 w = kWidth<S>;
        return ((a << r) | (a >> ((w - r) & (w - 1)))) & kSizeMask<S>;
    }
}

// The result of a shift or rotate and its flags: `flags` are the new X (where set), V and C
// bits, `keep` what of SR stays (kKeepSystemAndX where X is left alone); N and Z come from
// the result.
struct ShiftResult {
    u32 res;
    u32 flags;
    u32 keep;
};

// Shifts or rotates `a` (the operand at width W, zero-extended) by n (0-63); `x` is the extend
// bit (0 or 1). Counts at or past the operand width follow the 68000: shifts run out to zeros
// (or the sign) with the carry taken from the last bit shifted out, ASL's V reports any change
// of the top bit along the way, ROX rotates a ring of width + 1 bits (X included), RO rotates
// modulo the width. A count of 0 changes nothing but the flags: C = 0 (C = X for ROX), V = 0,
// X kept.
template <Size S, ShiftOp Op, bool Left, ShiftRules R = kShifts68000>
[[gnu::always_inline]] inline constexpr ShiftResult shift_result(u32 a, u32 n, u32 x) {
    constexpr u32 w = kWidth<S>;
    // Rotates without X and counts of 0 keep X; the others set it with C.
    if (n == 0) [[unlikely]]
        return {a, Op == ShiftOp::kRox ? x : 0u, kKeepSystemAndX};
    u32 res      = 0;
    u32 carry    = 0;
    u32 overflow = 0;
    if constexpr (Op == ShiftOp::kRo) {
        const u32 r = n & (w - 1);
        res         = rotate_left<S>(a, Left ? r : (w - r) & (w - 1));
        carry       = Left ? (res & 1u) : msb<S>(res);
        return {res, carry, kKeepSystemAndX};
    } else if constexpr (Op == ShiftOp::kRox) {
        // The ring X:a of w + 1 bits, rotated left by m (a right rotation by m is a left one
        // by w + 1 - m).
        const u32 m = n % (w + 1);
        if (m == 0) return {a, x, kKeepSystemAndX};
        const u32 k      = Left ? m : w + 1 - m;
        constexpr u64 rm = (u64{1} << (w + 1)) - 1;
        const u64 ring   = (u64{x} << w) | a;
        const u64 rot    = ((ring << k) | (ring >> (w + 1 - k))) & rm;
        res              = static_cast<u32>(rot) & kSizeMask<S>;
        carry            = static_cast<u32>(rot >> w) & 1u;
    } else if constexpr (Left) {
        // AS and LS left: zeros in; the carry is bit w of the widened shift (0 past the width).
        const u64 wide = u64{a} << n;
        res            = static_cast<u32>(wide) & kSizeMask<S>;
        carry          = static_cast<u32>(wide >> w) & 1u;
        if constexpr (Op == ShiftOp::kAs) {
            // V: the top n + 1 bits of a are not all equal (the sign changed on the way).
            if (n >= w) {
                overflow = a != 0;
                if constexpr (R.byte_by_8_clears_overflow && S == Size::kByte) {
                    if (n == 8) overflow = 0;
                }
            } else {
                const u64 top = a >> (w - 1 - n);
                overflow      = top != 0 && top != (u64{2} << n) - 1;
            }
        }
    } else if constexpr (Op == ShiftOp::kAs) {
        const s64 sa = sign_extended<S>(a);
        res          = static_cast<u32>(sa >> n) & kSizeMask<S>;
        carry        = static_cast<u32>(sa >> (n - 1)) & 1u;
    } else {
        res   = static_cast<u32>(u64{a} >> n);
        carry = static_cast<u32>(u64{a} >> (n - 1)) & 1u;
    }
    if constexpr (R.long_by_32_clears_carry && Op == ShiftOp::kLs && S == Size::kLong) {
        if (n == 32) carry = 0;
    }
    return {res, (overflow ? kCcrV : 0u) | kXcFromCarry[carry], kKeepSystem};
}

// ---------------------------------------------------------------------------------------
// Interrupts
// ---------------------------------------------------------------------------------------

// The level an interrupt check accepts: the highest pending level (bit n of `pending` =
// level n) above the mask in bits 8-10 of `sr`, level 7 whatever the mask; 0 for none.
[[gnu::always_inline]] inline u32 m68k_acceptable_irq_level(u32 sr, u32 pending) {
    u32 mask = (sr >> 8) & 7;
    if (mask == 7) mask = 6;
    const u32 acceptable = pending & 0xFEu & ~((2u << mask) - 1u);
    return acceptable == 0 ? 0u : 31u - static_cast<u32>(std::countl_zero(acceptable));
}

// ---------------------------------------------------------------------------------------
// Conditions
// ---------------------------------------------------------------------------------------

// For each condition (opcode bits 8-11), bit k set = true for the CCR bits 0-4 (XNZVC) = k.
// X plays no part, so the upper 16 bits repeat the lower: the test indexes by the five low
// SR bits without masking X away (a 32-bit shift takes its count modulo 32 anyway).
inline constexpr std::array<u32, 16> kM68kCondTable = [] {
    std::array<u32, 16> t{};
    for (u32 f = 0; f < 16; ++f) {
        const bool cf = f & 1, v = f & 2, z = f & 4, n = f & 8;
        const bool r[16] = {true, false, !cf && !z, cf || z, !cf,          cf,         !z, z, !v, v,
                            !n,   n,     n == v,    n != v,  !z && n == v, z || n != v};
        for (u32 cc = 0; cc < 16; ++cc) {
            if (r[cc]) t[cc] |= (1u << f) | (1u << (f + 16));
        }
    }
    return t;
}();

// True when condition `cc` (0-15) holds for the CCR in `sr`.
[[gnu::always_inline]] inline bool m68k_test_condition(u32 cc, u32 sr) {
    return (kM68kCondTable[cc & 15] >> (sr & 31)) & 1;
}

}  // namespace varn::m68k
