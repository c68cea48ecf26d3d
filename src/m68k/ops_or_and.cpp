// OR and AND (lines 8 and C), both directions and all sizes: <ea>,Dn into the data register
// (any source but an address register), Dn,<ea> read-modify-write of memory. N and Z from
// the result, V and C cleared, X kept.
//
//   cycles       byte  word  long
//   <ea>,Dn        4     4     6
//   Dn,<ea>        8     8    12

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr SizeCycles kToRegisterCycles{4, 6};
inline constexpr SizeCycles kToMemoryCycles{8, 12};

template <class I, Logic L, Size S, Mode M>
u32 op_to_register(u32 ir) {
    const u32 op  = ir >> 16;
    const u32 src = ea_read<I, S, M, 2>(ir, op);
    u32& d        = dreg<I>(op >> 9);
    const u32 r   = logic<L>(d, src) & kSizeMask<S>;
    set_sized<S>(d, r);
    set_logic_flags<I, S>(r);
    advance<I>(2 + kExtBytes<M, S>);
    return by_size<S>(kToRegisterCycles);
}

template <class I, Logic L, Size S, Mode M>
u32 op_to_memory(u32 ir) {
    const u32 op  = ir >> 16;
    const u32 src = dreg<I>(op >> 9) & kSizeMask<S>;
    ea_modify<I, S, M, 2>(ir, op, [src](u32 dst) {
        const u32 r = logic<L>(dst, src);
        set_logic_flags<I, S>(r);
        return r;
    });
    advance<I>(2 + kExtBytes<M, S>);
    return by_size<S>(kToMemoryCycles);
}

template <class I, Logic L, Size S>
void add_size(Sink<I>& out, u32 line) {
    for_each_form<kDataSource>([&]<EaForm F>() {
        add_pattern<&op_to_register<I, L, S, handler_mode<S>(F.mode)>>(
            out, line | kSizeField<S> | F.bits, 0xF1C0 | F.mask);
    });
    for_each_form<kMemoryAlterable>([&]<EaForm F>() {
        add_pattern<&op_to_memory<I, L, S, handler_mode<S>(F.mode)>>(
            out, line | 0x100 | kSizeField<S> | F.bits, 0xF1C0 | F.mask);
    });
}

template <class I, Logic L>
void add_operation(Sink<I>& out, u32 line) {
    add_size<I, L, Size::kByte>(out, line);
    add_size<I, L, Size::kWord>(out, line);
    add_size<I, L, Size::kLong>(out, line);
}

}  // namespace

M68K_FAMILY(or_and) {
    add_operation<I, Logic::kOr>(out, 0x8000);
    add_operation<I, Logic::kAnd>(out, 0xC000);
}

}  // namespace varn::m68k
