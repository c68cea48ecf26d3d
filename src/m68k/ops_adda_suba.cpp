// ADDA and SUBA (lines D and 9, opmodes 3 and 7): a source added to or subtracted from a
// whole address register, all 32 bits; a word source is sign-extended first. No flags.
// Cycles: 8 for every word form, 6 for every long form, whatever the source.

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr SizeCycles kAddaSubaCycles{8, 6};

template <class I, AddSub A, Size S, Mode M>
u32 op_adda(u32 ir) {
    const u32 op = ir >> 16;
    u32 src      = ea_read<I, S, M, 2>(ir, op);
    if constexpr (S == Size::kWord) src = sign_extend16(src);
    // Read after the source: a source mode that stepped this register counts.
    u32& a = areg<I>(op >> 9);
    if constexpr (A == AddSub::kAdd)
        a += src;
    else
        a -= src;
    advance<I>(2 + kExtBytes<M, S>);
    return by_size<S>(kAddaSubaCycles);
}

template <class I, AddSub A>
void add_operation(Sink<I>& out, u32 line) {
    for_each_form<kAnySource>([&]<EaForm F>() {
        add_pattern<&op_adda<I, A, Size::kWord, handler_mode<Size::kWord>(F.mode)>>(
            out, line | 0x00C0 | F.bits, 0xF1C0 | F.mask);
        add_pattern<&op_adda<I, A, Size::kLong, handler_mode<Size::kLong>(F.mode)>>(
            out, line | 0x01C0 | F.bits, 0xF1C0 | F.mask);
    });
}

}  // namespace

M68K_FAMILY(adda_suba) {
    add_operation<I, AddSub::kSub>(out, 0x9000);
    add_operation<I, AddSub::kAdd>(out, 0xD000);
}

}  // namespace varn::m68k
