#pragma once
// Condition codes, computed from operands and results without host flags. A handler that
// sets flags rewrites the whole CCR byte (bits 5-7 become 0) and leaves the system byte of SR
// alone. The status register holds N and Z as result words (M68kStatusRegister): the
// helpers here store a result's N and Z that way and the other flags as bits.

#include <type_traits>

#include "m68k/m68k_ea.h"

namespace varn::m68k {

// The extend bit as 0 or 1.
template <class I>
inline u32 x_bit() {
    return (I::cpu().sr.bits >> 4) & 1u;
}

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

// The decimal flags: X = C = carry, Z cleared by a non-zero byte and kept otherwise (as the
// extended operations do), N = V = 0.
template <class I>
M68K_INLINE void set_bcd_flags(DecimalResult r) {
    store_flags_keeping_z_on_zero<I>(kXcFromCarry[r.carry], 0, r.value);
}

}  // namespace varn::m68k
