#pragma once
// Control of the older core: branches (Bcc, BRA, BSR, DBcc, Scc), jumps and returns (JMP,
// JSR, RTS, RTR, RTE), the instruction exceptions (TRAP, TRAPV, CHK, ILLEGAL), addresses and
// stack frames (LEA, PEA, LINK, UNLK, MOVEM, MOVE USP) and NOP, RESET, STOP.
//
//   mode        (An)  (An)+  -(An)  d16(An)  d8(An,Xn)  abs.W  abs.L  d16(PC)  d8(PC,Xn)
//   JMP         8     -      -      10       14         10     12     10       14
//   JSR         16    -      -      18       22         18     20     18       22
//   LEA         4     -      -      8        12         8      12     8        12
//   PEA         12    -      -      16       20         16     20     16       20
//   MOVEM r->m  8     -      8      12       14         12     16     -        -
//   MOVEM m->r  12    12     -      16       18         16     20     16       18
//
//   Bcc 8/10 (short, not taken/taken), 12/10 (word); BRA 10; BSR 18; DBcc 12 (true),
//   14 (expired), 10 (loops); RTS 16; RTR 20; RTE 20; TRAPV 4; LINK 16; UNLK 12;
//   MOVE USP 4; NOP 4; RESET 132; TRAP 34, ILLEGAL 34, CHK 40 when it traps (the 68000's
//   exception times, so that a vector leading back to itself still uses up the slice).
//   Scc stores no cost, nor does CHK when it does not trap: the last cost is charged again.

#include "legacy/m68k/m68k_v024_core.h"

namespace varn::m68k_v024 {

inline constexpr u32 kTrapCycles    = 34;
inline constexpr u32 kIllegalCycles = 34;
inline constexpr u32 kChkTrapCycles = 40;

struct ModeCosts {
    u32 ai, pi, pd, di, ix, aw, al, pcdi, pcix;
};
V024_INLINE u32 mode_cost(const ModeCosts& t, u32 mode, u32 reg) {
    switch (mode) {
        case 2:
            return t.ai;
        case 3:
            return t.pi;
        case 4:
            return t.pd;
        case 5:
            return t.di;
        case 6:
            return t.ix;
        default:
            switch (reg & 7) {
                case 0:
                    return t.aw;
                case 1:
                    return t.al;
                case 2:
                    return t.pcdi;
                default:
                    return t.pcix;
            }
    }
}
inline constexpr ModeCosts kJmpCosts{8, 0, 0, 10, 14, 10, 12, 10, 14};
inline constexpr ModeCosts kJsrCosts{16, 0, 0, 18, 22, 18, 20, 18, 22};
inline constexpr ModeCosts kLeaCosts{4, 0, 0, 8, 12, 8, 12, 8, 12};
inline constexpr ModeCosts kPeaCosts{12, 0, 0, 16, 20, 16, 20, 16, 20};
inline constexpr ModeCosts kMovemToMemCosts{8, 0, 8, 12, 14, 12, 16, 0, 0};
inline constexpr ModeCosts kMovemToRegCosts{12, 12, 0, 16, 18, 16, 20, 16, 18};

// A relative branch to `target`: the host PC is left where the dispatcher's advance by
// `insn_length` reaches it. The target's own page is looked up.
template <class I>
V024_INLINE bool branch_to(u32 target) {
    auto& c = I::cpu();
    if (!load_pc<I>(target)) return true;
    c.host_pc -= c.insn_length;
    return false;
}

// The displacement of Bcc, BRA and BSR: the low byte, or the extension word when it is 0.
template <class I>
V024_INLINE u32 branch_displacement(u32 op) {
    const u32 d8 = op & 0xFF;
    return d8 != 0 ? sign_extend8(d8) : sign_extend16(ext16<I>());
}

template <class I>
bool op_bcc() {
    const u32 op   = opcode<I>();
    const u32 disp = branch_displacement<I>(op);
    if (!m68k_test_condition(op >> 8, I::cpu().sr)) {
        set_cost<I>(I::cpu().insn_length == 2 ? 8 : 12);
        return false;
    }
    set_cost<I>(10);
    return branch_to<I>(insn_address<I>() + 2 + disp);
}

template <class I>
bool op_bra() {
    set_cost<I>(10);
    const u32 disp = branch_displacement<I>(opcode<I>());
    return branch_to<I>(insn_address<I>() + 2 + disp);
}

// BSR: the return address is stacked before the target's page is looked up.
template <class I>
bool op_bsr() {
    set_cost<I>(18);
    const u32 disp = branch_displacement<I>(opcode<I>());
    const u32 here = insn_address<I>();
    u32& a7        = sp<I>();
    a7 -= 4;
    I::write32(a7, here + I::cpu().insn_length);
    return branch_to<I>(here + 2 + disp);
}

template <class I>
bool op_dbcc() {
    const u32 op   = opcode<I>();
    const u32 disp = sign_extend16(ext16<I>());
    if (m68k_test_condition(op >> 8, I::cpu().sr)) {
        set_cost<I>(12);
        return false;
    }
    u32& d        = dreg<I>(op);
    const u32 cnt = (d - 1) & 0xFFFF;
    set_sized<Size::kWord>(d, cnt);
    if (cnt == 0xFFFF) {
        set_cost<I>(14);
        return false;
    }
    set_cost<I>(10);
    return branch_to<I>(insn_address<I>() + 2 + disp);
}

template <class I>
bool op_scc() {
    const u32 op = opcode<I>();
    const u32 v  = m68k_test_condition(op >> 8, I::cpu().sr) ? 0xFF : 0x00;
    write_ea<I, Size::kByte>(field_mode(op), field_reg(op), v);
    return false;
}

// JMP, JSR: an absolute target; the host PC is set to it and `insn_length` to 0.
template <class I>
bool op_jmp() {
    const u32 op = opcode<I>();
    set_cost<I>(mode_cost(kJmpCosts, field_mode(op), field_reg(op)));
    const u32 target = fixed_address<I>(field_mode(op), field_reg(op));
    if (!load_pc<I>(target)) return true;
    I::cpu().insn_length = 0;
    return false;
}

// JSR: a target without code halts before anything is stacked.
template <class I>
bool op_jsr() {
    const u32 op = opcode<I>();
    set_cost<I>(mode_cost(kJsrCosts, field_mode(op), field_reg(op)));
    const u32 target    = fixed_address<I>(field_mode(op), field_reg(op));
    const u32 return_to = insn_address<I>() + I::cpu().insn_length;
    if (!load_pc<I>(target)) return true;
    u32& a7 = sp<I>();
    a7 -= 4;
    I::write32(a7, return_to);
    I::cpu().insn_length = 0;
    return false;
}

// RTS: a return address without code halts with A7 unchanged.
template <class I>
bool op_rts() {
    set_cost<I>(16);
    u32& a7 = sp<I>();
    if (!load_pc<I>(I::read32(a7))) return true;
    I::cpu().insn_length = 0;
    a7 += 4;
    return false;
}

// RTR: the whole low byte of SR from the stacked word, then as RTS.
template <class I>
bool op_rtr() {
    set_cost<I>(20);
    auto& c = I::cpu();
    u32& a7 = sp<I>();
    c.sr    = static_cast<u16>((c.sr & 0xFF00) | (I::read16(a7) & 0xFF));
    a7 += 2;
    if (!load_pc<I>(I::read32(a7))) return true;
    c.insn_length = 0;
    a7 += 4;
    return false;
}

// RTE: SR and PC popped from the stack live when it began, then the stack follows the new S
// and an interrupt the popped mask lets through is taken before the next instruction.
template <class I>
bool op_rte() {
    set_cost<I>(20);
    auto& c = I::cpu();
    u32& a7 = sp<I>();
    c.sr    = static_cast<u16>(I::read16(a7));
    a7 += 2;
    if (!load_pc<I>(I::read32(a7))) return true;
    a7 += 4;
    c.irq_check = 1;
    switch_stack_for_sr<I>();
    c.insn_length = 2;
    if (!check_irq<I>()) return true;
    c.insn_length = 0;
    return false;
}

template <class I>
bool op_trap() {
    set_cost<I>(kTrapCycles);
    return raise_exception<I>(32 + (opcode<I>() & 15));
}

template <class I>
bool op_illegal() {
    set_cost<I>(kIllegalCycles);
    return raise_exception<I>(4);
}

template <class I>
bool op_trapv() {
    set_cost<I>(4);
    if (I::cpu().sr & kCcrV) return raise_exception<I>(7);
    return false;
}

// CHK: the low word of Dx against 0 and the bound (signed words, both size encodings).
template <class I>
bool op_chk() {
    const u32 op    = opcode<I>();
    const s32 bound = static_cast<s16>(read_ea<I, Size::kWord>(field_mode(op), field_reg(op)));
    const s32 value = static_cast<s16>(dreg<I>(field_reg9(op)));
    auto& c         = I::cpu();
    if (value < 0) {
        c.sr = static_cast<u16>(c.sr | kCcrN);
    } else if (value > bound) {
        c.sr = static_cast<u16>(c.sr & ~kCcrN);
    } else {
        return false;
    }
    set_cost<I>(kChkTrapCycles);
    return raise_exception<I>(6);
}

template <class I>
bool op_lea() {
    const u32 op = opcode<I>();
    set_cost<I>(mode_cost(kLeaCosts, field_mode(op), field_reg(op)));
    areg<I>(field_reg9(op)) = fixed_address<I>(field_mode(op), field_reg(op));
    return false;
}

template <class I>
bool op_pea() {
    const u32 op = opcode<I>();
    set_cost<I>(mode_cost(kPeaCosts, field_mode(op), field_reg(op)));
    const u32 addr = fixed_address<I>(field_mode(op), field_reg(op));
    u32& a7        = sp<I>();
    a7 -= 4;
    I::write32(a7, addr);
    return false;
}

template <class I>
bool op_link() {
    set_cost<I>(16);
    const u32 op   = opcode<I>();
    const u32 disp = sign_extend16(ext16<I>());
    u32& a7        = sp<I>();
    a7 -= 4;
    I::write32(a7, areg<I>(op));
    areg<I>(op) = a7;
    a7 += disp;
    return false;
}

template <class I>
bool op_unlk() {
    set_cost<I>(12);
    const u32 op  = opcode<I>();
    const u32 old = areg<I>(op);
    areg<I>(op)   = I::read32(old);
    sp<I>()       = old + 4;
    return false;
}

// MOVE An,USP and MOVE USP,An: the user slot, whichever mode runs.
template <class I, bool ToUsp>
bool op_move_usp() {
    set_cost<I>(4);
    auto& c      = I::cpu();
    const u32 op = opcode<I>();
    if constexpr (ToUsp) {
        c.sp_slots[kM68kUserSlot] = areg<I>(op);
    } else {
        areg<I>(op) = c.sp_slots[kM68kUserSlot];
    }
    return false;
}

template <class I>
bool op_nop() {
    set_cost<I>(4);
    return false;
}

// RESET: the cost, and no device is reset.
template <class I>
bool op_reset() {
    set_cost<I>(132);
    return false;
}

// STOP #imm: loads SR and ends the slice without stepping over itself; each later slice
// dispatches it again and ends at once until an accepted interrupt's RTE returns to it, then
// it steps over itself.
template <class I>
bool op_stop() {
    auto& c = I::cpu();
    if (!c.stopped) {
        c.sr        = static_cast<u16>(load_be16(memory_arena + c.host_pc + 2));
        c.irq_check = 1;
        c.stopped   = 1;
        c.irq_taken = 0;
        switch_stack_for_sr<I>();
        return end_slice_now<I>();
    }
    if (!c.irq_taken) return end_slice_now<I>();
    set_cost<I>(4);
    c.stopped     = 0;
    c.irq_taken   = 0;
    c.insn_length = 4;
    return false;
}

// MOVEM registers to memory. The mask: bit 0 = D0 ... bit 15 = A7.
template <class I, Size S>
bool op_movem_to_mem() {
    const u32 op = opcode<I>();
    set_cost<I>(mode_cost(kMovemToMemCosts, field_mode(op), field_reg(op)));
    const u32 mask = ext16<I>();
    u32 addr       = fixed_address<I>(field_mode(op), field_reg(op));
    auto& regs     = I::cpu().regs;
    for (u32 bit = 0; bit < 16; ++bit) {
        if (mask & (1u << bit)) {
            bus_write<I, S>(addr, regs[bit]);
            addr += kSizeBytes<S>;
        }
    }
    return false;
}

// MOVEM registers to -(An). The mask: bit 0 = A7 ... bit 15 = D0. An is lowered by one step
// before the first write, so a listed An is written with that lowered value.
template <class I, Size S>
bool op_movem_to_predec() {
    set_cost<I>(8);
    const u32 op   = opcode<I>();
    const u32 mask = ext16<I>();
    u32& a         = areg<I>(op);
    a -= kSizeBytes<S>;
    u32 addr   = a;
    auto& regs = I::cpu().regs;
    for (u32 bit = 0; bit < 16; ++bit) {
        if (mask & (1u << bit)) {
            bus_write<I, S>(addr, regs[15 - bit]);
            addr -= kSizeBytes<S>;
        }
    }
    a = addr + kSizeBytes<S>;
    return false;
}

// MOVEM memory to registers; words are sign-extended into data registers too.
template <class I, Size S>
V024_INLINE u32 movem_load(u32 mask, u32 addr) {
    auto& regs = I::cpu().regs;
    for (u32 bit = 0; bit < 16; ++bit) {
        if (mask & (1u << bit)) {
            regs[bit] = sign_extend<S>(bus_read<I, S>(addr));
            addr += kSizeBytes<S>;
        }
    }
    return addr;
}

template <class I, Size S>
bool op_movem_to_reg() {
    const u32 op = opcode<I>();
    set_cost<I>(mode_cost(kMovemToRegCosts, field_mode(op), field_reg(op)));
    const u32 mask = ext16<I>();
    movem_load<I, S>(mask, fixed_address<I>(field_mode(op), field_reg(op)));
    return false;
}

// (An)+: An ends at the final address, whatever was loaded into it.
template <class I, Size S>
bool op_movem_postinc() {
    set_cost<I>(12);
    const u32 op   = opcode<I>();
    const u32 mask = ext16<I>();
    u32& a         = areg<I>(op);
    a              = movem_load<I, S>(mask, a);
    return false;
}

}  // namespace varn::m68k_v024
