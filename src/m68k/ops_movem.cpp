// MOVEM (line 4): a list of registers to consecutive memory or back, word or long. The
// register-list word follows the opcode; the mode's extension words follow the list. One bus
// access per listed register; the condition codes never change; one fixed cycle count
// whatever the list holds:
//
//   to memory     (An) 8, -(An) 8, d16(An) 12, d8(An,Xn) 14, abs.W 12, abs.L 16
//   to registers  (An) 12, (An)+ 12, d16(An) 16, d8(An,Xn) 18, abs.W 16, abs.L 20,
//                 d16(PC) 16, d8(PC,Xn) 18
//
// List bit n is register n of D0-D7, A0-A7, except for -(An), where the order is reversed
// (bit 0 is A7). Words loaded into registers are sign-extended, data registers included.

#include <bit>

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

template <Mode M>
inline constexpr u32 kToMemoryCycles = M == Mode::kDi || M == Mode::kAw ? 12u
                                       : M == Mode::kIx                 ? 14u
                                       : M == Mode::kAl                 ? 16u
                                                                        : 8u;
template <Mode M>
inline constexpr u32 kToRegistersCycles = M == Mode::kAi || M == Mode::kPi     ? 12u
                                          : M == Mode::kIx || M == Mode::kPcIx ? 18u
                                          : M == Mode::kAl                     ? 20u
                                                                               : 16u;

template <class I, Size S, Mode M>
u32 op_movem_to_memory(u32 ir) {
    auto& c  = I::cpu();
    u32 list = ir & 0xFFFF;
    if constexpr (M == Mode::kPd) {
        // The register steps down once now and is written with that value if listed; it ends
        // at the last register written.
        u32& an = areg<I>(ir >> 16);
        an -= kSizeBytes<S>;
        u32 addr = an;
        for (; list != 0; list &= list - 1) {
            const u32 n = 15 - static_cast<u32>(std::countr_zero(list));
            bus_write<I, S>(addr, c.regs[n]);
            addr -= kSizeBytes<S>;
        }
        an = addr + kSizeBytes<S>;
    } else {
        u32 addr = ea_fixed_address<I, M, 4>(ir, ir >> 16);
        for (; list != 0; list &= list - 1) {
            bus_write<I, S>(addr, c.regs[static_cast<u32>(std::countr_zero(list))]);
            addr += kSizeBytes<S>;
        }
    }
    advance<I>(4 + kExtBytes<M, S>);
    return kToMemoryCycles<M>;
}

template <class I, Size S, Mode M>
u32 op_movem_to_registers(u32 ir) {
    auto& c  = I::cpu();
    u32 list = ir & 0xFFFF;
    u32 addr;
    if constexpr (M == Mode::kPi) {
        addr = areg<I>(ir >> 16);
    } else {
        addr = ea_fixed_address<I, M, 4>(ir, ir >> 16);
    }
    for (; list != 0; list &= list - 1) {
        u32 v = bus_read<I, S>(addr);
        if constexpr (S == Size::kWord) v = sign_extend16(v);
        c.regs[static_cast<u32>(std::countr_zero(list))] = v;
        addr += kSizeBytes<S>;
    }
    // (An)+ ends after the last value read, replacing a value loaded into An itself.
    if constexpr (M == Mode::kPi) areg<I>(ir >> 16) = addr;
    advance<I>(4 + kExtBytes<M, S>);
    return kToRegistersCycles<M>;
}

inline constexpr std::array kToMemoryForms{kFormAi, kFormPd, kFormPd7, kFormDi,
                                           kFormIx, kFormAw, kFormAl};
inline constexpr std::array kToRegistersForms{kFormAi, kFormPi, kFormPi7,  kFormDi,  kFormIx,
                                              kFormAw, kFormAl, kFormPcDi, kFormPcIx};

// The A7 rows have patterns of their own but behave as the general ones.
template <class I, Size S>
void add_size(Sink<I>& out, u32 long_bit) {
    for_each_form<kToMemoryForms>([&]<EaForm F>() {
        add_pattern<&op_movem_to_memory<I, S, handler_mode<Size::kWord>(F.mode)>>(
            out, 0x4880 | long_bit | F.bits, 0xFFC0 | F.mask);
    });
    for_each_form<kToRegistersForms>([&]<EaForm F>() {
        add_pattern<&op_movem_to_registers<I, S, handler_mode<Size::kWord>(F.mode)>>(
            out, 0x4C80 | long_bit | F.bits, 0xFFC0 | F.mask);
    });
}

}  // namespace

M68K_FAMILY(movem) {
    add_size<I, Size::kWord>(out, 0x00);
    add_size<I, Size::kLong>(out, 0x40);
}

}  // namespace varn::m68k
