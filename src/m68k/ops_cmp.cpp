// Compares (line B): CMP <ea>,Dn, CMPA <ea>,An and CMPM (Ay)+,(Ax)+. Destination minus
// source sets N, Z, V and C; X is kept and nothing else is stored. CMPA compares all of An
// with a (word: sign-extended) source. CMPM steps both registers by the operand size, A7 by
// 1 for bytes like any other.
//
//   CMP.B, CMP.W 4   CMP.L 6   CMPA.W, CMPA.L 6   CMPM.B, CMPM.W 12   CMPM.L 20

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr SizeCycles kCmpCycles{4, 6};
inline constexpr u32 kCmpaCycles = 6;
inline constexpr SizeCycles kCmpmCycles{12, 20};

template <class I, Size S>
inline void compare(u32 src, u32 dst) {
    set_compare_flags<I>(add_sub<AddSub::kSub, S>(src, dst));
}

template <class I, Size S, Mode M>
u32 op_cmp(u32 ir) {
    const u32 op  = ir >> 16;
    const u32 src = ea_read<I, S, M, 2>(ir, op);
    compare<I, S>(src, dreg<I>(op >> 9) & kSizeMask<S>);
    advance<I>(2 + kExtBytes<M, S>);
    return by_size<S>(kCmpCycles);
}

template <class I, Size S, Mode M>
u32 op_cmpa(u32 ir) {
    const u32 op = ir >> 16;
    u32 src      = ea_read<I, S, M, 2>(ir, op);
    if constexpr (S == Size::kWord) src = sign_extend16(src);
    // Read after the source: a source mode that stepped this register counts.
    compare<I, Size::kLong>(src, areg<I>(op >> 9));
    advance<I>(2 + kExtBytes<M, S>);
    return kCmpaCycles;
}

template <class I, Size S>
u32 op_cmpm(u32 ir) {
    const u32 op  = ir >> 16;
    u32& ay       = areg<I>(op);
    const u32 sa  = ay;
    ay            = sa + kSizeBytes<S>;
    const u32 src = bus_read<I, S>(sa);
    u32& ax       = areg<I>(op >> 9);
    const u32 da  = ax;
    ax            = da + kSizeBytes<S>;
    compare<I, S>(src, bus_read<I, S>(da));
    advance<I>(2);
    return by_size<S>(kCmpmCycles);
}

template <class I, Size S>
void add_size(Sink<I>& out) {
    if constexpr (S == Size::kByte) {
        // No address-register source at byte size.
        for_each_form<kDataSource>([&]<EaForm F>() {
            add_pattern<&op_cmp<I, S, F.mode>, Then::kBranch>(out, 0xB000 | kSizeField<S> | F.bits,
                                                              0xF1C0 | F.mask);
        });
    } else {
        for_each_form<kAnySource>([&]<EaForm F>() {
            constexpr Mode m = handler_mode<S>(F.mode);
            add_pattern<&op_cmp<I, S, m>, Then::kBranch>(out, 0xB000 | kSizeField<S> | F.bits,
                                                         0xF1C0 | F.mask);
            add_pattern<&op_cmpa<I, S, m>, Then::kBranch>(
                out, (S == Size::kWord ? 0xB0C0 : 0xB1C0) | F.bits, 0xF1C0 | F.mask);
        });
    }
    add_pattern<&op_cmpm<I, S>, Then::kBranch>(out, 0xB108 | kSizeField<S>, 0xF1F8);
}

}  // namespace

M68K_FAMILY(cmp) {
    add_size<I, Size::kByte>(out);
    add_size<I, Size::kWord>(out);
    add_size<I, Size::kLong>(out);
}

}  // namespace varn::m68k
