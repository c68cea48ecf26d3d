#pragma once
// Effective addresses and operand access, for every instruction family. The mode and size
// are template arguments, so a handler forms its address with a few additions and never
// decodes a mode at run time.
//
// `Off` is the byte offset, from the start of the instruction, of the mode's first extension
// word: 2 when it follows the opcode, 4 after a word immediate / bit number / register mask,
// 6 after a long immediate; for MOVE's destination, 2 + the source's extension bytes. The
// PC-relative base is the 68000 address of that extension word.
//
// Order of register updates and bus accesses:
// - source reads (ea_read): -(An) and (An)+ store the stepped register before the read;
// - write-only destinations (ea_write: MOVE, CLR, Scc): the same, the write goes to the old
//   address for (An)+ and the new one for -(An);
// - read-modify-write (ea_modify): -(An) steps before the read, (An)+ after the read and
//   before the write, one read and one write at the same address.
// A byte access through (A7)+ or -(A7) steps A7 by 2 (modes kPi7 / kPd7, which the pattern
// lists bind ahead of the general forms).

#include <bit>
#include <cstring>
#include <type_traits>

#include "base/bits.h"
#include "m68k/m68k_alu.h"
#include "m68k/m68k_core.h"

namespace varn::m68k {

enum class Mode {
    kDn,    // Dn
    kAn,    // An
    kAi,    // (An)
    kPi,    // (An)+
    kPi7,   // (A7)+
    kPd,    // -(An)
    kPd7,   // -(A7)
    kDi,    // d16(An)
    kIx,    // d8(An,Xn)
    kAw,    // abs.W
    kAl,    // abs.L
    kPcDi,  // d16(PC)
    kPcIx,  // d8(PC,Xn)
    kImm,   // #imm
};

// Bytes of extension words the mode takes.
template <Mode M, Size S>
inline constexpr u32 kExtBytes = (M == Mode::kDi || M == Mode::kIx || M == Mode::kAw ||
                                  M == Mode::kPcDi || M == Mode::kPcIx)
                                     ? 2u
                                 : M == Mode::kAl  ? 4u
                                 : M == Mode::kImm ? (S == Size::kLong ? 4u : 2u)
                                                   : 0u;

// Step of (An)+ and -(An).
template <Mode M, Size S>
inline constexpr u32 kStep = ((M == Mode::kPi7 || M == Mode::kPd7) && S == Size::kByte)
                                 ? 2u
                                 : kSizeBytes<S>;

template <Mode M>
inline constexpr bool kIsMemory = M != Mode::kDn&& M != Mode::kAn&& M != Mode::kImm;

// Register number of the mode: the fixed A7 forms ignore the opcode's field.
template <Mode M>
M68K_INLINE constexpr u32 ea_reg(u32 reg) {
    return (M == Mode::kPi7 || M == Mode::kPd7) ? 7u : (reg & 7u);
}

// Sized bus access.
template <class I, Size S>
M68K_INLINE u32 bus_read(u32 addr) {
    if constexpr (S == Size::kByte)
        return I::read8(addr) & 0xFFu;
    else if constexpr (S == Size::kWord)
        return I::read16(addr) & 0xFFFFu;
    else
        return I::read32(addr);
}
template <class I, Size S>
M68K_INLINE void bus_write(u32 addr, u32 value) {
    if constexpr (S == Size::kByte)
        I::write8(addr, value & 0xFFu);
    else if constexpr (S == Size::kWord)
        I::write16(addr, value & 0xFFFFu);
    else
        I::write32(addr, value);
}

// Replaces the low byte, low word or all of a register. On a little-endian host the low byte
// or word lies at the register's start: one narrow store instead of a read, merge and write.
template <Size S>
M68K_INLINE void set_sized(u32& reg, u32 value) {
    if constexpr (S != Size::kLong && std::endian::native == std::endian::little) {
        using Narrow   = std::conditional_t<S == Size::kByte, u8, u16>;
        const Narrow v = static_cast<Narrow>(value);
        std::memcpy(&reg, &v, sizeof v);
    } else {
        reg = (reg & ~kSizeMask<S>) | (value & kSizeMask<S>);
    }
}

// Index of a brief extension word: register (kind * 8 + number), word or long, plus the
// signed displacement byte. Bits 8-10 are ignored.
template <class I>
M68K_INLINE u32 brief_index(u32 ext) {
    u32 x = I::cpu().regs[(ext >> 12) & 15];
    if (!(ext & 0x0800)) x = sign_extend16(x);
    return x + sign_extend8(ext);
}

// Address of a memory mode that moves no register: (An), d16(An), d8(An,Xn), abs.W, abs.L,
// d16(PC), d8(PC,Xn).
template <class I, Mode M, u32 Off>
M68K_INLINE u32 ea_fixed_address(u32 ir, u32 reg) {
    if constexpr (M == Mode::kAi) {
        return areg<I>(reg);
    } else if constexpr (M == Mode::kDi) {
        return areg<I>(reg) + sign_extend16(ext16<I, Off>(ir));
    } else if constexpr (M == Mode::kIx) {
        return areg<I>(reg) + brief_index<I>(ext16<I, Off>(ir));
    } else if constexpr (M == Mode::kAw) {
        return sign_extend16(ext16<I, Off>(ir));
    } else if constexpr (M == Mode::kAl) {
        return ext32<I, Off>(ir);
    } else if constexpr (M == Mode::kPcDi) {
        return insn_address<I>() + Off + sign_extend16(ext16<I, Off>(ir));
    } else if constexpr (M == Mode::kPcIx) {
        return insn_address<I>() + Off + brief_index<I>(ext16<I, Off>(ir));
    } else {
        static_assert(M == Mode::kAi, "mode has no fixed address");
        return 0;
    }
}

// Address for a control operand (JMP, JSR, LEA, PEA): the fixed-address modes.
template <class I, Mode M, u32 Off>
M68K_INLINE u32 ea_control_address(u32 ir, u32 reg) {
    return ea_fixed_address<I, M, Off>(ir, reg);
}

// Address of a memory operand that is read only or written only; (An)+ / -(An) store the
// stepped register now.
template <class I, Size S, Mode M, u32 Off>
M68K_INLINE u32 ea_address(u32 ir, u32 reg) {
    if constexpr (M == Mode::kPi || M == Mode::kPi7) {
        u32& a       = areg<I>(ea_reg<M>(reg));
        const u32 at = a;
        a            = at + kStep<M, S>;
        return at;
    } else if constexpr (M == Mode::kPd || M == Mode::kPd7) {
        u32& a = areg<I>(ea_reg<M>(reg));
        a -= kStep<M, S>;
        return a;
    } else {
        return ea_fixed_address<I, M, Off>(ir, reg);
    }
}

// Reads a source operand (zero-extended to 32 bits).
template <class I, Size S, Mode M, u32 Off>
M68K_INLINE u32 ea_read(u32 ir, u32 reg) {
    if constexpr (M == Mode::kDn) {
        return dreg<I>(reg) & kSizeMask<S>;
    } else if constexpr (M == Mode::kAn) {
        return areg<I>(reg) & kSizeMask<S>;
    } else if constexpr (M == Mode::kImm) {
        if constexpr (S == Size::kByte)
            return ext16<I, Off>(ir) & 0xFFu;
        else if constexpr (S == Size::kWord)
            return ext16<I, Off>(ir);
        else
            return ext32<I, Off>(ir);
    } else {
        return bus_read<I, S>(ea_address<I, S, M, Off>(ir, reg));
    }
}

// Writes a write-only destination (not An: address-register destinations write the whole
// register and belong to their families).
template <class I, Size S, Mode M, u32 Off>
M68K_INLINE void ea_write(u32 ir, u32 reg, u32 value) {
    static_assert(M != Mode::kAn && M != Mode::kImm && M != Mode::kPcDi && M != Mode::kPcIx);
    if constexpr (M == Mode::kDn) {
        set_sized<S>(dreg<I>(reg), value);
    } else {
        bus_write<I, S>(ea_address<I, S, M, Off>(ir, reg), value);
    }
}

// Read-modify-write of a data-register or memory operand: `op(value)` gets the operand
// (zero-extended) and returns the result to store (and sets the flags itself).
template <class I, Size S, Mode M, u32 Off, class Op>
M68K_INLINE void ea_modify(u32 ir, u32 reg, Op&& op) {
    if constexpr (M == Mode::kDn) {
        u32& d = dreg<I>(reg);
        set_sized<S>(d, op(d & kSizeMask<S>));
    } else if constexpr (M == Mode::kPi || M == Mode::kPi7) {
        u32& a         = areg<I>(ea_reg<M>(reg));
        const u32 addr = a;
        const u32 r    = op(bus_read<I, S>(addr));
        a              = addr + kStep<M, S>;
        bus_write<I, S>(addr, r);
    } else if constexpr (M == Mode::kPd || M == Mode::kPd7) {
        u32& a = areg<I>(ea_reg<M>(reg));
        a -= kStep<M, S>;
        const u32 addr = a;
        bus_write<I, S>(addr, op(bus_read<I, S>(addr)));
    } else {
        static_assert(M != Mode::kAn && M != Mode::kImm && M != Mode::kPcDi && M != Mode::kPcIx);
        const u32 addr = ea_fixed_address<I, M, Off>(ir, reg);
        bus_write<I, S>(addr, op(bus_read<I, S>(addr)));
    }
}

}  // namespace varn::m68k
