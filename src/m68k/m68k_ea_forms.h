#pragma once
// Effective-address rows of the pattern lists: the mode a handler is built for, with the
// value and the mask of opcode bits 5-0 that select it. A row that leaves the register free
// masks 0x38; a row with a fixed register (mode 7, and the A7 rows) masks 0x3F, so that the
// A7 rows refine the general (An)+ and -(An) rows.

#include <array>
#include <cstddef>
#include <utility>

#include "m68k/m68k_ea.h"

namespace varn::m68k {

struct EaForm {
    Mode mode;
    u16 bits;  // opcode bits 5-0 of the row
    u16 mask;  // 0x38: any register, 0x3F: this register only
};

inline constexpr EaForm kFormDn{Mode::kDn, 0x00, 0x38};
inline constexpr EaForm kFormAn{Mode::kAn, 0x08, 0x38};
inline constexpr EaForm kFormAi{Mode::kAi, 0x10, 0x38};
inline constexpr EaForm kFormPi{Mode::kPi, 0x18, 0x38};
inline constexpr EaForm kFormPi7{Mode::kPi7, 0x1F, 0x3F};
inline constexpr EaForm kFormPd{Mode::kPd, 0x20, 0x38};
inline constexpr EaForm kFormPd7{Mode::kPd7, 0x27, 0x3F};
inline constexpr EaForm kFormDi{Mode::kDi, 0x28, 0x38};
inline constexpr EaForm kFormIx{Mode::kIx, 0x30, 0x38};
inline constexpr EaForm kFormAw{Mode::kAw, 0x38, 0x3F};
inline constexpr EaForm kFormAl{Mode::kAl, 0x39, 0x3F};
inline constexpr EaForm kFormPcDi{Mode::kPcDi, 0x3A, 0x3F};
inline constexpr EaForm kFormPcIx{Mode::kPcIx, 0x3B, 0x3F};
inline constexpr EaForm kFormImm{Mode::kImm, 0x3C, 0x3F};

// Memory operands that can be written.
inline constexpr std::array kMemoryAlterable{kFormAi, kFormPi, kFormPi7, kFormPd, kFormPd7,
                                             kFormDi, kFormIx, kFormAw,  kFormAl};
// A data register or a memory operand that can be written.
inline constexpr std::array kDataAlterable{kFormDn,  kFormAi, kFormPi, kFormPi7, kFormPd,
                                           kFormPd7, kFormDi, kFormIx, kFormAw,  kFormAl};
// Every operand that can be written, an address register included (MOVE's destinations).
inline constexpr std::array kAlterable{kFormDn,  kFormAn, kFormAi, kFormPi, kFormPi7, kFormPd,
                                       kFormPd7, kFormDi, kFormIx, kFormAw, kFormAl};
// Every source except an address register.
inline constexpr std::array kDataSource{kFormDn,   kFormAi,   kFormPi, kFormPi7, kFormPd,
                                        kFormPd7,  kFormDi,   kFormIx, kFormAw,  kFormAl,
                                        kFormPcDi, kFormPcIx, kFormImm};
// Every source.
inline constexpr std::array kAnySource{kFormDn, kFormAn,   kFormAi,   kFormPi, kFormPi7,
                                       kFormPd, kFormPd7,  kFormDi,   kFormIx, kFormAw,
                                       kFormAl, kFormPcDi, kFormPcIx, kFormImm};
// The modes that name an address without moving a register.
inline constexpr std::array kControl{kFormAi, kFormDi,   kFormIx,  kFormAw,
                                     kFormAl, kFormPcDi, kFormPcIx};

// The common two-bit size field (bits 7-6: byte 0, word 1, long 2), in place.
template <Size S>
inline constexpr u32 kSizeField = S == Size::kByte   ? 0x00u
                                  : S == Size::kWord ? 0x40u
                                                     : 0x80u;

// The mode a row's handler is built for. The A7 rows differ from the general rows only for
// bytes (A7 steps by 2); at word and long size they share the general handler.
template <Size S>
constexpr Mode handler_mode(Mode m) {
    if constexpr (S != Size::kByte) {
        if (m == Mode::kPi7) return Mode::kPi;
        if (m == Mode::kPd7) return Mode::kPd;
    }
    return m;
}

// Calls fn.template operator()<F>() for every row F of `Forms`, in order.
template <const auto& Forms, class Fn>
constexpr void for_each_form(Fn&& fn) {
    [&]<std::size_t... N>(std::index_sequence<N...>) { (fn.template operator()<Forms[N]>(), ...); }
    (std::make_index_sequence<Forms.size()>{});
}

}  // namespace varn::m68k
