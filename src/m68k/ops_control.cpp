// Program control (line 4): ILLEGAL, TRAP, TRAPV, CHK, RTE, RTS, RTR, JSR, JMP, LEA, LINK,
// UNLK, MOVE USP, RESET, NOP, STOP and EXTB.L. No handler tests the S bit; no address is
// tested for being odd.
//
//   instruction     cycles                     instruction     cycles
//   ILLEGAL, TRAP   0 (exception)              RTS             16
//   TRAPV           4 (taken or not)           RTR             20
//   CHK             0 (taken or not)           RTE             20, through the interrupt check
//   LINK            16                         RESET           132
//   UNLK            12                         NOP             4
//   MOVE USP        4                          STOP            none while waiting, 4 stepping over
//   EXTB.L          4
//
//   mode        JSR  JMP  LEA
//   (An)        16    8    4
//   d16(An)     18   10    8
//   d8(An,Xn)   22   14   12
//   abs.W       18   10    8
//   abs.L       20   12   12
//   d16(PC)     18   10    8
//   d8(PC,Xn)   22   14   12

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr u32 kExceptionCycles = 0;  // ILLEGAL, TRAP, CHK: taken or not
inline constexpr u32 kTrapvCycles     = 4;  // taken or not
inline constexpr u32 kRtsCycles       = 16;
inline constexpr u32 kRtrRteCycles    = 20;
inline constexpr u32 kLinkCycles      = 16;
inline constexpr u32 kUnlkCycles      = 12;
inline constexpr u32 kMoveUspCycles   = 4;
inline constexpr u32 kResetCycles     = 132;
inline constexpr u32 kNopCycles       = 4;
inline constexpr u32 kStopStepCycles  = 4;  // stepping over once the interrupt has returned
inline constexpr u32 kExtbCycles      = 4;

template <class I>
u32 op_illegal(u32) {
    advance<I>(2);
    return raise_exception<I>(4, kExceptionCycles);
}

template <class I>
u32 op_trap(u32 ir) {
    advance<I>(2);
    return raise_exception<I>(32 + ((ir >> 16) & 15), kExceptionCycles);
}

template <class I>
u32 op_trapv(u32) {
    advance<I>(2);
    if (I::cpu().sr & kM68kSrV) return raise_exception<I>(7, kTrapvCycles);
    return kTrapvCycles;
}

// CHK.W <ea>,Dn: traps when Dn (low word, read before the bound) is negative or above the
// bound; N tells which. Z, V, C and X never change.
template <class I, Mode M>
u32 op_chk(u32 ir) {
    const u32 op    = ir >> 16;
    const u32 value = dreg<I>(op >> 9) & 0xFFFF;
    const u32 bound = ea_read<I, Size::kWord, M, 2>(ir, op);
    advance<I>(2 + kExtBytes<M, Size::kWord>);
    auto& c = I::cpu();
    if (value & 0x8000) {
        c.sr |= kM68kSrN;
        return raise_exception<I>(6, kExceptionCycles);
    }
    if ((bound - value) & 0x8000) {
        c.sr &= static_cast<u16>(~kM68kSrN);
        return raise_exception<I>(6, kExceptionCycles);
    }
    return kExceptionCycles;
}

template <class I>
u32 op_rts(u32) {
    if (!set_pc<I>(I::read32(sp<I>()))) return halt<I>();
    sp<I>() += 4;
    return kRtsCycles;
}

template <class I>
u32 op_rtr(u32) {
    auto& c = I::cpu();
    c.sr    = static_cast<u16>((c.sr & 0xFF00u) | (I::read16(sp<I>()) & 0xFFu));
    sp<I>() += 2;
    if (!set_pc<I>(I::read32(sp<I>()))) return halt<I>();
    sp<I>() += 4;
    return kRtrRteCycles;
}

template <class I>
u32 op_rte(u32) {
    auto& c = I::cpu();
    c.sr    = static_cast<u16>(I::read16(sp<I>()));
    sp<I>() += 2;
    if (!set_pc<I>(I::read32(sp<I>()))) return halt<I>();
    sp<I>() += 4;
    c.irq_check = 1;
    switch_stack_for_sr<I>();
    return check_irq<I>(kRtrRteCycles);
}

template <Mode M>
inline constexpr u32 kJsrCycles = M == Mode::kAi                       ? 16u
                                  : M == Mode::kIx || M == Mode::kPcIx ? 22u
                                  : M == Mode::kAl                     ? 20u
                                                                       : 18u;
template <Mode M>
inline constexpr u32 kJmpCycles = kJsrCycles<M> - 8;
template <Mode M>
inline constexpr u32 kLeaCycles = M == Mode::kAi                                         ? 4u
                                  : M == Mode::kIx || M == Mode::kPcIx || M == Mode::kAl ? 12u
                                                                                         : 8u;

template <class I, Mode M>
u32 op_jsr(u32 ir) {
    const u32 target   = ea_control_address<I, M, 2>(ir, ir >> 16);
    const u32 ret_addr = insn_address<I>() + 2 + kExtBytes<M, Size::kLong>;
    if (!set_pc<I>(target)) return halt<I>();
    sp<I>() -= 4;
    I::write32(sp<I>(), ret_addr);
    return kJsrCycles<M>;
}

template <class I, Mode M>
u32 op_jmp(u32 ir) {
    if (!set_pc<I>(ea_control_address<I, M, 2>(ir, ir >> 16))) return halt<I>();
    return kJmpCycles<M>;
}

template <class I, Mode M>
u32 op_lea(u32 ir) {
    const u32 op     = ir >> 16;
    areg<I>(op >> 9) = ea_control_address<I, M, 2>(ir, op);
    advance<I>(2 + kExtBytes<M, Size::kLong>);
    return kLeaCycles<M>;
}

template <class I>
u32 op_link(u32 ir) {
    u32& a        = areg<I>(ir >> 16);
    const u32 old = a;
    const u32 t   = sp<I>() - 4;
    a             = t;
    sp<I>()       = t + sign_extend16(ir & 0xFFFF);
    I::write32(t, old);
    advance<I>(4);
    return kLinkCycles;
}

template <class I>
u32 op_unlk(u32 ir) {
    u32& a        = areg<I>(ir >> 16);
    const u32 old = a;
    a             = I::read32(old);
    sp<I>()       = old + 4;
    advance<I>(2);
    return kUnlkCycles;
}

template <class I>
u32 op_move_to_usp(u32 ir) {
    I::cpu().sp_slots[kM68kUserSlot] = areg<I>(ir >> 16);
    advance<I>(2);
    return kMoveUspCycles;
}

template <class I>
u32 op_move_from_usp(u32 ir) {
    areg<I>(ir >> 16) = I::cpu().sp_slots[kM68kUserSlot];
    advance<I>(2);
    return kMoveUspCycles;
}

// RESET asserts the reset line for 132 cycles; no device of the machine is reset by it.
template <class I>
u32 op_reset(u32) {
    advance<I>(2);
    return kResetCycles;
}

template <class I>
u32 op_nop(u32) {
    advance<I>(2);
    return kNopCycles;
}

// STOP #imm: the first execution loads SR and ends the slice without advancing; each later
// slice runs only the STOP until an accepted interrupt's handler has returned to it, then it
// steps over itself. The counter is zeroed, so earlier overshoot is dropped.
template <class I>
u32 op_stop(u32 ir) {
    auto& c = I::cpu();
    if (!c.stopped) {
        c.irq_taken = 0;
        c.stopped   = 1;
        c.sr        = static_cast<u16>(ir & 0xFFFF);
        c.irq_check = 1;
        switch_stack_for_sr<I>();
        return end_slice_now<I>();
    }
    if (!c.irq_taken) return end_slice_now<I>();
    c.stopped   = 0;
    c.irq_taken = 0;
    advance<I>(4);
    return kStopStepCycles;
}

template <class I>
u32 op_extb_l(u32 ir) {
    u32& d = dreg<I>(ir >> 16);
    d      = sign_extend8(d);
    set_logic_flags<I, Size::kLong>(d);
    advance<I>(2);
    return kExtbCycles;
}

}  // namespace

M68K_FAMILY(control) {
    add_pattern<&op_illegal<I>>(out, 0x4AFC, 0xFFFF);
    add_pattern<&op_trap<I>>(out, 0x4E40, 0xFFF0);
    add_pattern<&op_link<I>>(out, 0x4E50, 0xFFF8);
    add_pattern<&op_unlk<I>>(out, 0x4E58, 0xFFF8);
    add_pattern<&op_move_to_usp<I>>(out, 0x4E60, 0xFFF8);
    add_pattern<&op_move_from_usp<I>>(out, 0x4E68, 0xFFF8);
    add_pattern<&op_reset<I>>(out, 0x4E70, 0xFFFF);
    add_pattern<&op_nop<I>>(out, 0x4E71, 0xFFFF);
    add_pattern<&op_stop<I>>(out, 0x4E72, 0xFFFF);
    add_pattern<&op_rte<I>>(out, 0x4E73, 0xFFFF);
    add_pattern<&op_rts<I>>(out, 0x4E75, 0xFFFF);
    add_pattern<&op_trapv<I>>(out, 0x4E76, 0xFFFF);
    add_pattern<&op_rtr<I>>(out, 0x4E77, 0xFFFF);
    add_pattern<&op_extb_l<I>>(out, 0x49C0, 0xFFF8);
    for_each_form<kControl>([&]<EaForm F>() {
        add_pattern<&op_jsr<I, F.mode>>(out, 0x4E80 | F.bits, 0xFFC0 | F.mask);
        add_pattern<&op_jmp<I, F.mode>>(out, 0x4EC0 | F.bits, 0xFFC0 | F.mask);
        add_pattern<&op_lea<I, F.mode>>(out, 0x41C0 | F.bits, 0xF1C0 | F.mask);
    });
    for_each_form<kDataSource>([&]<EaForm F>() {
        add_pattern<&op_chk<I, F.mode>>(out, 0x4180 | F.bits, 0xF1C0 | F.mask);
    });
}

}  // namespace varn::m68k
