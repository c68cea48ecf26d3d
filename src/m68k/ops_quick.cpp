// ADDQ and SUBQ (line 5) add or subtract 1 to 8 (data field 0 stands for 8); MOVEQ (line 7)
// loads a sign-extended byte into a data register. On an address register ADDQ and SUBQ
// work on all 32 bits at word size too and leave the flags alone.
//
//   cycles           byte  word  long
//   ADDQ Dn            4     4     8      SUBQ the same, except SUBQ.W An 8
//   ADDQ An            -     4     8
//   ADDQ memory        8     8    12      MOVEQ 4

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr OperandCycles kQuickCycles{{4, 8}, {8, 12}};
inline constexpr SizeCycles kAddqAnCycles{4, 8};
inline constexpr SizeCycles kSubqAnCycles{8, 8};
inline constexpr u32 kMoveqCycles = 4;

inline constexpr u32 quick_data(u32 op) {
    const u32 field = (op >> 9) & 7;
    return field == 0 ? 8 : field;
}

template <class I, AddSub A, Size S, Mode M>
u32 op_quick(u32 ir) {
    const u32 op = ir >> 16;
    const u32 q  = quick_data(op);
    if constexpr (M == Mode::kAn) {
        u32& a = areg<I>(op);
        if constexpr (A == AddSub::kAdd)
            a += q;
        else
            a -= q;
        advance<I>(2);
        return by_size<S>(A == AddSub::kAdd ? kAddqAnCycles : kSubqAnCycles);
    } else {
        ea_modify<I, S, M, 2>(ir, op, [q](u32 dst) {
            const AddSubResult r = add_sub<A, S>(q, dst);
            set_arith_flags<I>(r);
            return r.res;
        });
        advance<I>(2 + kExtBytes<M, S>);
        return by_operand<S, M>(kQuickCycles);
    }
}

template <class I>
u32 op_moveq(u32 ir) {
    const u32 op     = ir >> 16;
    const u32 v      = sign_extend8(op);
    dreg<I>(op >> 9) = v;
    set_logic_flags<I, Size::kLong>(v);
    advance<I>(2);
    return kMoveqCycles;
}

template <class I, AddSub A, Size S>
void add_size(Sink<I>& out, u32 base) {
    for_each_form<kDataAlterable>([&]<EaForm F>() {
        add_pattern<&op_quick<I, A, S, handler_mode<S>(F.mode)>>(out, base | kSizeField<S> | F.bits,
                                                                 0xF1C0 | F.mask);
    });
    if constexpr (S != Size::kByte) {
        add_pattern<&op_quick<I, A, S, Mode::kAn>>(out, base | kSizeField<S> | 0x08, 0xF1F8);
    }
}

template <class I, AddSub A>
void add_operation(Sink<I>& out, u32 base) {
    add_size<I, A, Size::kByte>(out, base);
    add_size<I, A, Size::kWord>(out, base);
    add_size<I, A, Size::kLong>(out, base);
}

}  // namespace

M68K_FAMILY(quick) {
    add_operation<I, AddSub::kAdd>(out, 0x5000);
    add_operation<I, AddSub::kSub>(out, 0x5100);
    add_pattern<&op_moveq<I>>(out, 0x7000, 0xF100);
}

}  // namespace varn::m68k
