// EOR Dn,<ea> (line B): exclusive OR of a data register into a data register or memory
// (read-modify-write; the write happens even when nothing changes). N and Z from the
// result, V and C cleared, X kept.
//
//   cycles        byte  word  long
//   Dy              4     4     8
//   memory          8     8    12

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr OperandCycles kEorCycles{{4, 8}, {8, 12}};

template <class I, Size S, Mode M>
u32 op_eor(u32 ir) {
    const u32 op  = ir >> 16;
    const u32 src = dreg<I>(op >> 9) & kSizeMask<S>;
    ea_modify<I, S, M, 2>(ir, op, [src](u32 dst) {
        const u32 r = logic<Logic::kEor>(dst, src);
        set_logic_flags<I, S>(r);
        return r;
    });
    advance<I>(2 + kExtBytes<M, S>);
    return by_operand<S, M>(kEorCycles);
}

template <class I, Size S>
void add_size(Sink<I>& out) {
    for_each_form<kDataAlterable>([&]<EaForm F>() {
        add_pattern<&op_eor<I, S, handler_mode<S>(F.mode)>>(out, 0xB100 | kSizeField<S> | F.bits,
                                                            0xF1C0 | F.mask);
    });
}

}  // namespace

M68K_FAMILY(eor) {
    add_size<I, Size::kByte>(out);
    add_size<I, Size::kWord>(out);
    add_size<I, Size::kLong>(out);
}

}  // namespace varn::m68k
