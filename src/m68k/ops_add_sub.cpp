// ADD and SUB (lines D and 9), both directions and all sizes: <ea>,Dn into the data
// register, Dn,<ea> read-modify-write of memory. One handler per operation, size, direction
// and mode; SUB always subtracts the source from the destination.
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

template <class I, AddSub A, Size S, Mode M>
u32 op_to_register(u32 ir) {
    const u32 op         = ir >> 16;
    const u32 src        = ea_read<I, S, M, 2>(ir, op);
    u32& d               = dreg<I>(op >> 9);
    const AddSubResult r = add_sub<A, S>(src, d & kSizeMask<S>);
    set_sized<S>(d, r.res);
    set_arith_flags<I>(r);
    advance<I>(2 + kExtBytes<M, S>);
    return by_size<S>(kToRegisterCycles);
}

template <class I, AddSub A, Size S, Mode M>
u32 op_to_memory(u32 ir) {
    const u32 op  = ir >> 16;
    const u32 src = dreg<I>(op >> 9) & kSizeMask<S>;
    ea_modify<I, S, M, 2>(ir, op, [src](u32 dst) {
        const AddSubResult r = add_sub<A, S>(src, dst);
        set_arith_flags<I>(r);
        return r.res;
    });
    advance<I>(2 + kExtBytes<M, S>);
    return by_size<S>(kToMemoryCycles);
}

template <class I, AddSub A, Size S>
void add_size(Sink<I>& out, u32 line) {
    const u32 size = kSizeField<S>;
    if constexpr (S == Size::kByte) {
        // No address-register source at byte size.
        for_each_form<kDataSource>([&]<EaForm F>() {
            add_pattern<&op_to_register<I, A, S, F.mode>>(out, line | size | F.bits,
                                                          0xF1C0 | F.mask);
        });
    } else {
        for_each_form<kAnySource>([&]<EaForm F>() {
            add_pattern<&op_to_register<I, A, S, handler_mode<S>(F.mode)>>(
                out, line | size | F.bits, 0xF1C0 | F.mask);
        });
    }
    for_each_form<kMemoryAlterable>([&]<EaForm F>() {
        add_pattern<&op_to_memory<I, A, S, handler_mode<S>(F.mode)>>(
            out, line | 0x100 | size | F.bits, 0xF1C0 | F.mask);
    });
}

template <class I, AddSub A>
void add_operation(Sink<I>& out, u32 line) {
    add_size<I, A, Size::kByte>(out, line);
    add_size<I, A, Size::kWord>(out, line);
    add_size<I, A, Size::kLong>(out, line);
}

}  // namespace

M68K_FAMILY(add_sub) {
    add_operation<I, AddSub::kSub>(out, 0x9000);
    add_operation<I, AddSub::kAdd>(out, 0xD000);
}

}  // namespace varn::m68k
