// Word multiply and divide: MULU and MULS (line C, 16 x 16 -> 32 bits) and DIVU and DIVS
// (line 8, 32 / 16 -> 16-bit quotient and remainder). The source is always a word; an
// address-register source has no handler.
//
//   instruction   cycles (every source mode, whatever the operands)
//   MULU, MULS    38
//   DIVU          140 (also when it divides by zero or overflows)
//   DIVS          158 (also when it divides by zero or overflows)
//
// A zero divisor takes vector 5 with the PC past the whole instruction; a quotient that does
// not fit 16 bits sets V and leaves the register alone. Quotients are formed in 64 bits, so
// 0x80000000 / -1 is an ordinary overflow.

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr u32 kMulCycles  = 38;
inline constexpr u32 kDivuCycles = 140;
inline constexpr u32 kDivsCycles = 158;

template <class I, Mode M>
inline u32 source_word(u32 ir) {
    return ea_read<I, Size::kWord, M, 2>(ir, ir >> 16);
}

template <class I, Mode M, bool Signed>
u32 op_mul(u32 ir) {
    const u32 src = source_word<I, M>(ir);
    u32& d        = dreg<I>(ir >> 25);
    const u32 p   = mul_result<Signed>(d, src);
    d             = p;
    set_logic_flags<I, Size::kLong>(p);
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    return kMulCycles;
}

// Division by zero: C cleared (X, N, Z, V kept), register untouched, vector 5 with the PC of
// the next instruction.
template <class I>
[[gnu::cold]] u32 divide_by_zero(u32 cycles) {
    auto& c = I::cpu();
    c.sr    = static_cast<u16>(c.sr & ~(kM68kSrC | 0x00E0u));
    return raise_exception<I>(5, cycles);
}

// N and Z from the low word of the (possibly overflowing) quotient, V for the overflow, C 0.
template <class I>
inline void set_div_flags(u32 quotient, bool overflow) {
    store_flags<I>(kKeepSystemAndX, overflow ? kM68kSrV : 0u, top_aligned<Size::kWord>(quotient));
}

template <class I, Mode M>
u32 op_divu(u32 ir) {
    const u32 src = source_word<I, M>(ir);
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    if (src == 0) return divide_by_zero<I>(kDivuCycles);
    u32& d       = dreg<I>(ir >> 25);
    const auto r = div_result<false>(d, src);
    set_div_flags<I>(r.quotient(), r.overflow());
    if (!r.overflow()) d = r.packed();
    return kDivuCycles;
}

template <class I, Mode M>
u32 op_divs(u32 ir) {
    const u32 src = source_word<I, M>(ir);
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    if (src == 0) return divide_by_zero<I>(kDivsCycles);
    u32& d       = dreg<I>(ir >> 25);
    const auto r = div_result<true>(d, src);
    set_div_flags<I>(r.quotient(), r.overflow());
    if (!r.overflow()) d = r.packed();
    return kDivsCycles;
}

}  // namespace

// Every word source but an address register (the A7 rows share the general handler: words
// step by 2).
M68K_FAMILY(muldiv) {
    for_each_form<kDataSource>([&]<EaForm F>() {
        constexpr Mode m = handler_mode<Size::kWord>(F.mode);
        const u32 mask   = 0xF1C0 | F.mask;
        add_pattern<&op_divu<I, m>>(out, 0x80C0 | F.bits, mask);
        add_pattern<&op_divs<I, m>>(out, 0x81C0 | F.bits, mask);
        add_pattern<&op_mul<I, m, false>>(out, 0xC0C0 | F.bits, mask);
        add_pattern<&op_mul<I, m, true>>(out, 0xC1C0 | F.bits, mask);
    });
}

}  // namespace varn::m68k
