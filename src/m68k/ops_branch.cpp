// Branches and conditional instructions: Bcc (ops_branch.h), BRA, BSR (line 6), DBcc and Scc
// (line 5, size field 3). One handler serves every condition; the test is one table look-up.
//
//   Bcc    taken 10; not taken 8 (byte displacement) or 12 (word displacement)
//   BRA    10          BSR    18
//   DBcc   condition true 12; counter expired 14; branch taken 10
//   Scc    0 in every form
//
// The branch base is the opcode's address + 2; displacement byte 0x00 selects a word
// displacement, 0xFF is an ordinary -1 (no long form).

#include "m68k/ops_branch.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr u32 kBsrCycles         = 18;
inline constexpr u32 kDbccTrueCycles    = 12;
inline constexpr u32 kDbccExpiredCycles = 14;
inline constexpr u32 kDbccBranchCycles  = 10;
inline constexpr u32 kSccCycles         = 0;

template <class I>
inline bool condition(u32 op) {
    return m68k_test_condition((op >> 8) & 15, I::cpu().sr);
}

template <class I>
u32 op_bra(u32 ir) {
    if (!branch_by<I>(branch_displacement(ir))) return halt<I>();
    return kBranchTakenCycles;
}

template <class I>
u32 op_bsr(u32 ir) {
    const u32 length = (ir & 0x00FF0000) == 0 ? 4 : 2;
    const u32 ret    = insn_address<I>() + length;
    sp<I>() -= 4;
    I::write32(sp<I>(), ret);
    if (!branch_by<I>(branch_displacement(ir))) return halt<I>();
    return kBsrCycles;
}

template <class I>
u32 op_dbcc(u32 ir) {
    const u32 op = ir >> 16;
    // DBF, the loop instruction, tests no flags: its condition never holds.
    if ((op & 0x0F00) != 0x0100 && condition<I>(op)) {
        advance<I>(4);
        return kDbccTrueCycles;
    }
    u32& d        = dreg<I>(op);
    const u32 low = (d - 1) & 0xFFFF;
    set_sized<Size::kWord>(d, low);
    if (low == 0xFFFF) {
        advance<I>(4);
        return kDbccExpiredCycles;
    }
    if (!branch_by<I>(sign_extend16(ir & 0xFFFF))) return halt<I>();
    return kDbccBranchCycles;
}

// Scc writes its byte without reading the destination first.
template <class I, Mode M>
u32 op_scc(u32 ir) {
    const u32 op = ir >> 16;
    ea_write<I, Size::kByte, M, 2>(ir, op, condition<I>(op) ? 0xFF : 0x00);
    advance<I>(2 + kExtBytes<M, Size::kByte>);
    return kSccCycles;
}

}  // namespace

M68K_FAMILY(branch) {
    add_pattern<&op_bra<I>>(out, 0x6000, 0xFF00);
    add_pattern<&op_bsr<I>>(out, 0x6100, 0xFF00);
    add_pattern<&op_bcc<I>>(out, 0x6000, 0xF000);
    add_pattern<&op_dbcc<I>>(out, 0x50C8, 0xF0F8);
    add_pattern<&op_scc<I, Mode::kDn>>(out, 0x50C0, 0xF0F8);
    add_pattern<&op_scc<I, Mode::kAi>>(out, 0x50D0, 0xF0F8);
    add_pattern<&op_scc<I, Mode::kPi>>(out, 0x50D8, 0xF0F8);
    add_pattern<&op_scc<I, Mode::kPi7>>(out, 0x50DF, 0xF0FF);
    add_pattern<&op_scc<I, Mode::kPd>>(out, 0x50E0, 0xF0F8);
    add_pattern<&op_scc<I, Mode::kPd7>>(out, 0x50E7, 0xF0FF);
    add_pattern<&op_scc<I, Mode::kDi>>(out, 0x50E8, 0xF0F8);
    add_pattern<&op_scc<I, Mode::kIx>>(out, 0x50F0, 0xF0F8);
    add_pattern<&op_scc<I, Mode::kAw>>(out, 0x50F8, 0xF0FF);
    add_pattern<&op_scc<I, Mode::kAl>>(out, 0x50F9, 0xF0FF);
}

}  // namespace varn::m68k
