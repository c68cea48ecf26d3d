#pragma once
// Small bit helpers with defined behaviour for every argument: no shift by the operand
// width or more, no signed overflow.

#include <bit>
#include <concepts>

#include "base/types.h"

namespace varn {

// Bit n of v (0 or 1).
template <std::unsigned_integral T>
constexpr unsigned bit(T v, unsigned n) {
    return static_cast<unsigned>((v >> n) & 1u);
}

// Bits [lo, lo + count) of v, right-aligned. count may be the full width.
constexpr u32 bits(u32 v, unsigned lo, unsigned count) {
    return count >= 32 ? v >> lo : (v >> lo) & ((u32{1} << count) - 1u);
}

// Sign-extends the low `width` bits of v (1..32) to 32 bits, as an unsigned pattern.
constexpr u32 sign_extend(u32 v, unsigned width) {
    if (width >= 32) return v;
    const u32 sign = u32{1} << (width - 1);
    const u32 low  = v & ((u32{1} << width) - 1u);
    return (low ^ sign) - sign;
}

constexpr u32 sign_extend8(u32 v) { return static_cast<u32>(static_cast<s32>(static_cast<s8>(v))); }
constexpr u32 sign_extend16(u32 v) {
    return static_cast<u32>(static_cast<s32>(static_cast<s16>(v)));
}

// Shifts that give 0 (or the sign fill) for counts at or beyond the width instead of
// being undefined.
constexpr u32 shl32(u32 v, unsigned n) { return n >= 32 ? 0 : v << n; }
constexpr u32 shr32(u32 v, unsigned n) { return n >= 32 ? 0 : v >> n; }

using std::popcount;
using std::rotl;
using std::rotr;

}  // namespace varn
