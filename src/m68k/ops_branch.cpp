// Branches and conditional instructions: Bcc, BRA, BSR (line 6), DBcc and Scc (line 5, size
// field 3). One handler serves every condition; the test is one table look-up.
//
//   Bcc    taken 10; not taken 8 (byte displacement) or 12 (word displacement)
//   BRA    10          BSR    18
//   DBcc   condition true 12; counter expired 14; branch taken 10
//   Scc    0 in every form
//
// The branch base is the opcode's address + 2; displacement byte 0x00 selects a word
// displacement, 0xFF is an ordinary -1 (no long form).

#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

template <class I>
inline bool condition(u32 op) {
    return m68k_test_condition((op >> 8) & 15, I::cpu().sr);
}

// The displacement, sign-extended: byte 0x00 selects the word after the opcode.
inline u32 branch_displacement(u32 ir) {
    const u32 disp8 = (ir >> 16) & 0xFF;
    return disp8 == 0 ? sign_extend16(ir & 0xFFFF) : sign_extend8(disp8);
}

// A loop that waits on a flag in memory, as code waits for its interrupt handler to set one:
//
//     loop:  TST.B (xxx).L       (or TST.W, or an (xxx).W address)
//            Bcc.S loop
//
// When the flag lies in quiet memory (m68k_quiet_read_byte / _word: no side effect, and no
// one but this CPU writes it during the slice) and the flags the TST sets for its value take
// the branch, every round until the slice ends reads the same value, sets the same flags and
// branches again: they change nothing but the counter and the position. The taken branch then
// runs them all at once, up to and including the instruction whose cycles end the slice (the
// TST or the branch of the last round), and returns its own cycles and theirs. Returns 0
// where that does not hold; the caller then branches as usual. Bus owners that declare no
// quiet readers never see it.
inline constexpr u32 kWaitLoopDisplacementMask = 0xFD;  // -8 (abs.L) and -6 (abs.W) ...
inline constexpr u32 kWaitLoopDisplacements    = 0xF8;  // ... agree outside bit 1

template <class I>
[[gnu::noinline]] u32 run_wait_loop(u32 op) {
    if constexpr (!I::kIsMain) {
        return 0;
    } else {
        auto& c = I::cpu();
        // The branch itself ending the slice leaves nothing to run at once.
        const u32 after = static_cast<u32>(c.cycle_counter) + kBranchTakenCycles;
        if (static_cast<s32>(after) >= 0) return 0;

        const u32 pos_bcc   = c.fetch_pos;
        const bool abs_long = (op & 0xFF) == 0xF8;
        const u32 pos_tst   = pos_bcc - (abs_long ? 6 : 4);
        if (!in_jump_window(c, pos_tst)) return 0;
        const u8* code = memory_arena + pos_tst;
        const u32 tst  = load_be16(code);
        if ((tst & 0xFFBF) != (abs_long ? 0x4A39u : 0x4A38u)) return 0;
        const bool word = (tst & 0x0040) != 0;
        const u32 addr =
            (abs_long ? load_be32(code + 2) : sign_extend16(load_be16(code + 2))) & 0xFFFFFF;
        const M68kReadFn quiet = word ? m68k_quiet_read_word : m68k_quiet_read_byte;
        const auto& pages      = word ? m68k_page_read_word : m68k_page_read_byte;
        if (quiet == nullptr || pages[addr >> 12] != quiet) return 0;
        const u32 value = quiet(addr) & (word ? 0xFFFFu : 0xFFu);
        const u32 nz    = ((value >> (word ? 15 : 7)) << 3) | (value == 0 ? 4u : 0u);
        if (((kM68kCondTable[(op >> 8) & 15] >> nz) & 1) == 0) return 0;

        // Whole rounds while the counter stays below zero, then the last one: its TST ends
        // the slice when at most the TST's cycles are left, its branch otherwise.
        constexpr u32 kRound = kTstCycles + kBranchTakenCycles;
        const u32 left       = 0u - after;
        const u32 rounds     = (left - 1) / kRound;
        const bool tst_ends  = left - rounds * kRound <= kTstCycles;
        if (word) {
            set_logic_flags<I, Size::kWord>(value);
        } else {
            set_logic_flags<I, Size::kByte>(value);
        }
        c.fetch_pos = tst_ends ? pos_bcc : pos_tst;
        return kBranchTakenCycles + rounds * kRound + (tst_ends ? kTstCycles : kRound);
    }
}

template <class I>
u32 op_bcc(u32 ir) {
    if (!condition<I>(ir >> 16)) {
        const bool word = (ir & 0x00FF0000) == 0;
        advance<I>(word ? 4 : 2);
        return word ? 12 : 8;
    }
    if (((ir >> 16) & kWaitLoopDisplacementMask) == kWaitLoopDisplacements) [[unlikely]] {
        if (const u32 cycles = run_wait_loop<I>(ir >> 16)) return cycles;
    }
    if (!branch_by<I>(branch_displacement(ir))) return halt<I>();
    return kBranchTakenCycles;
}

template <class I>
u32 op_bra(u32 ir) {
    if (!branch_by<I>(branch_displacement(ir))) return halt<I>();
    return 10;
}

template <class I>
u32 op_bsr(u32 ir) {
    const u32 length = (ir & 0x00FF0000) == 0 ? 4 : 2;
    const u32 ret    = insn_address<I>() + length;
    u32& a7          = I::cpu().regs[kM68kA7];
    a7 -= 4;
    I::write32(a7, ret);
    if (!branch_by<I>(branch_displacement(ir))) return halt<I>();
    return 18;
}

template <class I>
u32 op_dbcc(u32 ir) {
    const u32 op = ir >> 16;
    // DBF, the loop instruction, tests no flags: its condition never holds.
    if ((op & 0x0F00) != 0x0100 && condition<I>(op)) {
        advance<I>(4);
        return 12;
    }
    u32& d        = dreg<I>(op);
    const u32 low = (d - 1) & 0xFFFF;
    set_sized<Size::kWord>(d, low);
    if (low == 0xFFFF) {
        advance<I>(4);
        return 14;
    }
    if (!branch_by<I>(sign_extend16(ir & 0xFFFF))) return halt<I>();
    return 10;
}

// Scc writes its byte without reading the destination first.
template <class I, Mode M>
u32 op_scc(u32 ir) {
    const u32 op = ir >> 16;
    ea_write<I, Size::kByte, M, 2>(ir, op, condition<I>(op) ? 0xFF : 0x00);
    advance<I>(2 + kExtBytes<M, Size::kByte>);
    return 0;
}

}  // namespace

M68K_FAMILY(branch) {
    out.add(&op_bra<I>, 0x6000, 0xFF00);
    out.add(&op_bsr<I>, 0x6100, 0xFF00);
    out.add(&op_bcc<I>, 0x6000, 0xF000);
    out.add(&op_dbcc<I>, 0x50C8, 0xF0F8);
    out.add(&op_scc<I, Mode::kDn>, 0x50C0, 0xF0F8);
    out.add(&op_scc<I, Mode::kAi>, 0x50D0, 0xF0F8);
    out.add(&op_scc<I, Mode::kPi>, 0x50D8, 0xF0F8);
    out.add(&op_scc<I, Mode::kPi7>, 0x50DF, 0xF0FF);
    out.add(&op_scc<I, Mode::kPd>, 0x50E0, 0xF0F8);
    out.add(&op_scc<I, Mode::kPd7>, 0x50E7, 0xF0FF);
    out.add(&op_scc<I, Mode::kDi>, 0x50E8, 0xF0F8);
    out.add(&op_scc<I, Mode::kIx>, 0x50F0, 0xF0F8);
    out.add(&op_scc<I, Mode::kAw>, 0x50F8, 0xF0FF);
    out.add(&op_scc<I, Mode::kAl>, 0x50F9, 0xF0FF);
}

}  // namespace varn::m68k
