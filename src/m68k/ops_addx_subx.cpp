// ADDX and SUBX (lines D and 9): Dy,Dx and -(Ay),-(Ax), with X as carry or borrow in and Z
// only ever cleared, for arithmetic wider than 32 bits. The memory form steps both registers
// by the operand size, A7 by 1 for bytes like any other.
//
//   cycles       byte  word  long
//   Dy,Dx          4     4     8
//   -(Ay),-(Ax)   18    18    30

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr SizeCycles kRegistersCycles{4, 8};
inline constexpr SizeCycles kMemoryCycles{18, 30};

template <class I, AddSub A, Size S>
inline u32 extended(u32 src, u32 dst) {
    const AddSubResult r = add_sub<A, S>(src, dst, x_bit<I>());
    set_extend_flags<I>(r);
    return r.res;
}

template <class I, AddSub A, Size S>
u32 op_registers(u32 ir) {
    const u32 op = ir >> 16;
    u32& dx      = dreg<I>(op >> 9);
    set_sized<S>(dx, extended<I, A, S>(dreg<I>(op) & kSizeMask<S>, dx & kSizeMask<S>));
    advance<I>(2);
    return by_size<S>(kRegistersCycles);
}

template <class I, AddSub A, Size S>
u32 op_memory(u32 ir) {
    const u32 op = ir >> 16;
    u32& ay      = areg<I>(op);
    ay -= kSizeBytes<S>;
    const u32 src = bus_read<I, S>(ay);
    u32& ax       = areg<I>(op >> 9);
    ax -= kSizeBytes<S>;
    const u32 addr = ax;
    bus_write<I, S>(addr, extended<I, A, S>(src, bus_read<I, S>(addr)));
    advance<I>(2);
    return by_size<S>(kMemoryCycles);
}

template <class I, AddSub A, Size S>
void add_size(Sink<I>& out, u32 line) {
    constexpr u32 size = kSizeField<S>;
    add_pattern<&op_registers<I, A, S>>(out, line | 0x100 | size, 0xF1F8);
    add_pattern<&op_memory<I, A, S>>(out, line | 0x108 | size, 0xF1F8);
}

template <class I, AddSub A>
void add_operation(Sink<I>& out, u32 line) {
    add_size<I, A, Size::kByte>(out, line);
    add_size<I, A, Size::kWord>(out, line);
    add_size<I, A, Size::kLong>(out, line);
}

}  // namespace

M68K_FAMILY(addx_subx) {
    add_operation<I, AddSub::kSub>(out, 0x9000);
    add_operation<I, AddSub::kAdd>(out, 0xD000);
}

}  // namespace varn::m68k
