#pragma once
// MOVE and MOVEA (opcode lines 1, 2 and 3): one handler per size, source mode and
// destination mode. Each size is built in a file of its own (ops_move_byte.cpp,
// ops_move_word.cpp, ops_move_long.cpp), as the three together are the largest family.
//
// Cycles, set by the destination alone (size and source never change them):
//   Dn 4   An (MOVEA) 4   (An) (An)+ -(An) 8   d16(An) 12   d8(An,Xn) 14   abs.W 12   abs.L 16

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k::move {
// Each size's file has its own copy of these (internal linkage), so that the compiler sees
// every handler's one caller, the table entry, and builds the two as one function.
namespace {

template <Mode Dst>
inline constexpr u32 kMoveCycles = (Dst == Mode::kDn || Dst == Mode::kAn) ? kMoveToRegisterCycles
                                   : Dst == Mode::kDi                     ? 12u
                                   : Dst == Mode::kIx                     ? 14u
                                   : Dst == Mode::kAw                     ? 12u
                                   : Dst == Mode::kAl                     ? 16u
                                                                          : 8u;

template <class I, Size S, Mode Src, Mode Dst>
u32 op_move(u32 ir) {
    constexpr u32 kDstOff = 2 + kExtBytes<Src, S>;
    const u32 op          = ir >> 16;
    const u32 value       = ea_read<I, S, Src, 2>(ir, op);
    set_logic_flags<I, S>(value);
    const u32 dst = op >> 9;
    if constexpr (S == Size::kLong && Dst == Mode::kPd) {
        // The one split write: the low word first, at the higher address.
        u32& a = areg<I>(dst);
        a -= 4;
        I::write16(a + 2, value & 0xFFFF);
        I::write16(a, value >> 16);
    } else {
        ea_write<I, S, Dst, kDstOff>(ir, dst, value);
    }
    advance<I>(kDstOff + kExtBytes<Dst, S>);
    return kMoveCycles<Dst>;
}

template <class I, Size S, Mode Src>
u32 op_movea(u32 ir) {
    const u32 op = ir >> 16;
    u32 value    = ea_read<I, S, Src, 2>(ir, op);
    if constexpr (S == Size::kWord) value = sign_extend16(value);
    areg<I>(op >> 9) = value;
    advance<I>(2 + kExtBytes<Src, S>);
    return kMoveToRegisterCycles;
}

template <Size S>
inline constexpr u32 kLine = S == Size::kByte   ? 0x1000u
                             : S == Size::kWord ? 0x3000u
                                                : 0x2000u;

// The destination field holds its register in bits 11-9 and its mode in bits 8-6: an
// effective-address row (mode in bits 5-3, register in bits 2-0) moved there.
constexpr u32 destination_bits(u32 ea_bits) {
    return ((ea_bits & 7u) << 9) | ((ea_bits & 0x38u) << 3);
}

// Every MOVE and MOVEA of size S. No MOVEA.B; the (A7)+ and -(A7) destination forms exist
// for bytes only (word and long step A7 by 2 and 4 through the general forms).
template <class I, Size S>
void add_size(Sink<I>& out) {
    for_each_form<kAlterable>([&]<EaForm D>() {
        for_each_form<kAnySource>([&]<EaForm Src>() {
            constexpr Mode src = handler_mode<S>(Src.mode);
            const u32 match    = kLine<S> | destination_bits(D.bits) | Src.bits;
            const u32 mask     = 0xF000 | destination_bits(D.mask) | Src.mask;
            if constexpr (S == Size::kByte && D.mode == Mode::kAn) {
                return;
            } else if constexpr (S != Size::kByte &&
                                 (D.mode == Mode::kPi7 || D.mode == Mode::kPd7)) {
                return;
            } else if constexpr (D.mode == Mode::kAn) {
                add_pattern<&op_movea<I, S, src>>(out, match, mask);
            } else {
                add_pattern<move_entry<I, S, src, D.mode, &op_move<I, S, src, D.mode>>()>(
                    out, match, mask);
            }
        });
    });
}

}  // namespace
}  // namespace varn::m68k::move
