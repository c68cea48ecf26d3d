// The older core's opcode tables: 437 ordered records {handler, match, mask} per instance,
// built so that the LAST matching record owns an opcode. The list is written for that rule:
// per operation, the general record (every mode) first, then narrower records for the
// register forms with handlers of their own, then records that send the modes the operation
// lacks to the halt, and last the single opcodes that reuse an otherwise invalid mode (ORI,
// ANDI, EORI to CCR and SR; ILLEGAL). The halting records use masks with single mode and
// register bits so that one record covers a set of invalid encodings (0x003A/0xFF3A: mode 7,
// registers 2, 3, 6 and 7). Every opcode matches some record; there is no catch-all.

#include "legacy/m68k/m68k_v024_table.h"

#include "base/pattern_table.h"
#include "legacy/m68k/ops_v024_arith.h"
#include "legacy/m68k/ops_v024_control.h"
#include "legacy/m68k/ops_v024_line0.h"
#include "legacy/m68k/ops_v024_move.h"
#include "legacy/m68k/ops_v024_shift.h"

namespace varn {

namespace m68k_v024 {
namespace {

template <class I>
bool op_unassigned() {
    return halt_here<I>();
}

constexpr Size B = Size::kByte, W = Size::kWord, L = Size::kLong;

template <class I>
struct Records {
    std::vector<RecordV024> list;
    void add(M68kHandlerV024 h, u32 match, u32 mask) {
        list.push_back({h, static_cast<u16>(match), static_cast<u16>(mask)});
    }
    void halt(u32 match, u32 mask) { add(&op_unassigned<I>, match, mask); }

    // ORI, ANDI, SUBI, ADDI, EORI: general, Dn, then An, PC-relative and immediate rejected.
    template <BinOp Op>
    void immediate(u32 base) {
        add(&op_imm_ea<I, Op, B>, base | 0x00, 0xFFC0);
        add(&op_imm_ea<I, Op, W>, base | 0x40, 0xFFC0);
        add(&op_imm_ea<I, Op, L>, base | 0x80, 0xFFC0);
        add(&op_imm_dn<I, Op, B>, base | 0x00, 0xFFF8);
        add(&op_imm_dn<I, Op, W>, base | 0x40, 0xFFF8);
        add(&op_imm_dn<I, Op, L>, base | 0x80, 0xFFF8);
        halt(base | 0x08, 0xFF38);
    }

    template <Unary U>
    void unary(u32 base) {
        add(&op_unary_ea<I, U, B>, base | 0x00, 0xFFC0);
        add(&op_unary_ea<I, U, W>, base | 0x40, 0xFFC0);
        add(&op_unary_ea<I, U, L>, base | 0x80, 0xFFC0);
        add(&op_unary_reg<I, U, B>, base | 0x00, 0xFFF0);
        add(&op_unary_reg<I, U, W>, base | 0x40, 0xFFF0);
        add(&op_unary_reg<I, U, L>, base | 0x80, 0xFFF0);
    }

    template <BinOp Op>
    void bin_pair(u32 base) {
        add(&op_bin_to_dn<I, Op, B>, base | 0x000, 0xF1C0);
        add(&op_bin_to_dn<I, Op, W>, base | 0x040, 0xF1C0);
        add(&op_bin_to_dn<I, Op, L>, base | 0x080, 0xF1C0);
        add(&op_bin_to_ea<I, Op, B>, base | 0x100, 0xF1C0);
        add(&op_bin_to_ea<I, Op, W>, base | 0x140, 0xF1C0);
        add(&op_bin_to_ea<I, Op, L>, base | 0x180, 0xF1C0);
    }

    template <AddSub Op>
    void extended(u32 base) {
        add(&op_addx_dn<I, Op, B>, base | 0x100, 0xF1F8);
        add(&op_addx_dn<I, Op, W>, base | 0x140, 0xF1F8);
        add(&op_addx_dn<I, Op, L>, base | 0x180, 0xF1F8);
        add(&op_addx_mem<I, Op, B>, base | 0x108, 0xF1F8);
        add(&op_addx_mem<I, Op, W>, base | 0x148, 0xF1F8);
        add(&op_addx_mem<I, Op, L>, base | 0x188, 0xF1F8);
    }

    template <AddSub Op>
    void quick(u32 base) {
        add(&op_quick_ea<I, Op, B>, base | 0x00, 0xF1C0);
        add(&op_quick_ea<I, Op, W>, base | 0x40, 0xF1C0);
        add(&op_quick_ea<I, Op, L>, base | 0x80, 0xF1C0);
        add(&op_quick_dn<I, Op, B>, base | 0x00, 0xF1F8);
        add(&op_quick_dn<I, Op, W>, base | 0x40, 0xF1F8);
        add(&op_quick_dn<I, Op, L>, base | 0x80, 0xF1F8);
        halt(base | 0x08, 0xF1F8);
        add(&op_quick_an<I, Op, W>, base | 0x48, 0xF1F8);
        add(&op_quick_an<I, Op, L>, base | 0x88, 0xF1F8);
    }

    // The register shifts of one size: immediate count, then count register, right then
    // left, in the order AS, LS, ROX, RO.
    template <Size S>
    void shifts(u32 size_bits) {
        shift_group<S, false>(0xE000 | size_bits);
        shift_group<S, true>(0xE100 | size_bits);
    }
    template <Size S, bool Left>
    void shift_group(u32 base) {
        add(&op_shift_reg<I, S, ShiftOp::kAs, Left, false>, base | 0x00, 0xF1F8);
        add(&op_shift_reg<I, S, ShiftOp::kLs, Left, false>, base | 0x08, 0xF1F8);
        add(&op_shift_reg<I, S, ShiftOp::kRox, Left, false>, base | 0x10, 0xF1F8);
        add(&op_shift_reg<I, S, ShiftOp::kRo, Left, false>, base | 0x18, 0xF1F8);
        add(&op_shift_reg<I, S, ShiftOp::kAs, Left, true>, base | 0x20, 0xF1F8);
        add(&op_shift_reg<I, S, ShiftOp::kLs, Left, true>, base | 0x28, 0xF1F8);
        add(&op_shift_reg<I, S, ShiftOp::kRox, Left, true>, base | 0x30, 0xF1F8);
        add(&op_shift_reg<I, S, ShiftOp::kRo, Left, true>, base | 0x38, 0xF1F8);
    }

    void build() {
        // Line 0, records 0-88.
        immediate<BinOp::kOr>(0x0000);
        halt(0x003A, 0xFF3A);
        halt(0x003C, 0xFF3C);
        add(&op_imm_ccr<I, Logic::kOr>, 0x003C, 0xFFFF);
        add(&op_imm_sr<I, Logic::kOr>, 0x007C, 0xFFFF);
        halt(0x00C0, 0xFFC0);
        immediate<BinOp::kAnd>(0x0200);
        halt(0x023A, 0xFF3A);
        halt(0x023C, 0xFF3C);
        add(&op_imm_ccr<I, Logic::kAnd>, 0x023C, 0xFFFF);
        add(&op_imm_sr<I, Logic::kAnd>, 0x027C, 0xFFFF);
        halt(0x02C0, 0xFFC0);
        immediate<BinOp::kSub>(0x0400);
        halt(0x043A, 0xFF3A);
        halt(0x043C, 0xFF3C);
        halt(0x04C0, 0xFFC0);
        immediate<BinOp::kAdd>(0x0600);
        halt(0x063A, 0xFF3A);
        halt(0x063C, 0xFF3C);
        halt(0x06C0, 0xFFC0);
        add(&op_bit_ea<I, BitOp::kTst, true>, 0x0800, 0xFFC0);
        add(&op_bit_dn<I, BitOp::kTst, true>, 0x0800, 0xFFF8);
        add(&op_bit_ea<I, BitOp::kChg, true>, 0x0840, 0xFFC0);
        add(&op_bit_dn<I, BitOp::kChg, true>, 0x0840, 0xFFF8);
        add(&op_bit_ea<I, BitOp::kClr, true>, 0x0880, 0xFFC0);
        add(&op_bit_dn<I, BitOp::kClr, true>, 0x0880, 0xFFF8);
        add(&op_bit_ea<I, BitOp::kSet, true>, 0x08C0, 0xFFC0);
        add(&op_bit_dn<I, BitOp::kSet, true>, 0x08C0, 0xFFF8);
        halt(0x0808, 0xFF38);
        halt(0x083C, 0xFF3C);
        immediate<BinOp::kEor>(0x0A00);
        halt(0x0A3A, 0xFF3A);
        halt(0x0A3C, 0xFF3C);
        add(&op_imm_ccr<I, Logic::kEor>, 0x0A3C, 0xFFFF);
        add(&op_imm_sr<I, Logic::kEor>, 0x0A7C, 0xFFFF);
        halt(0x0AC0, 0xFFC0);
        immediate<BinOp::kCmp>(0x0C00);
        halt(0x0C3C, 0xFF3C);
        halt(0x0CC0, 0xFFC0);
        add(&op_bit_ea<I, BitOp::kTst, false>, 0x0100, 0xF1C0);
        add(&op_bit_dn<I, BitOp::kTst, false>, 0x0100, 0xF1F8);
        add(&op_bit_ea<I, BitOp::kChg, false>, 0x0140, 0xF1C0);
        add(&op_bit_dn<I, BitOp::kChg, false>, 0x0140, 0xF1F8);
        add(&op_bit_ea<I, BitOp::kClr, false>, 0x0180, 0xF1C0);
        add(&op_bit_dn<I, BitOp::kClr, false>, 0x0180, 0xF1F8);
        add(&op_bit_ea<I, BitOp::kSet, false>, 0x01C0, 0xF1C0);
        add(&op_bit_dn<I, BitOp::kSet, false>, 0x01C0, 0xF1F8);
        halt(0x013C, 0xF13C);
        add(&op_movep<I, W, true>, 0x0108, 0xF1F8);
        add(&op_movep<I, L, true>, 0x0148, 0xF1F8);
        add(&op_movep<I, W, false>, 0x0188, 0xF1F8);
        add(&op_movep<I, L, false>, 0x01C8, 0xF1F8);
        halt(0x0E00, 0xFF00);

        // Line 1 (MOVE.B), records 89-99.
        add(&op_move<I, B, MoveDst::kDn>, 0x1000, 0xF1C0);
        add(&op_move<I, B, MoveDst::kAn>, 0x1040, 0xF1C0);
        add(&op_move<I, B, MoveDst::kAi>, 0x1080, 0xF1C0);
        add(&op_move<I, B, MoveDst::kPi>, 0x10C0, 0xF1C0);
        add(&op_move<I, B, MoveDst::kPi7>, 0x1EC0, 0xFFC0);
        add(&op_move<I, B, MoveDst::kPd>, 0x1100, 0xF1C0);
        add(&op_move<I, B, MoveDst::kPd7>, 0x1F00, 0xFFC0);
        add(&op_move<I, B, MoveDst::kDi>, 0x1140, 0xF1C0);
        add(&op_move<I, B, MoveDst::kIx>, 0x1180, 0xF1C0);
        add(&op_move<I, B, MoveDst::kAw>, 0x11C0, 0xFFC0);
        add(&op_move<I, B, MoveDst::kAl>, 0x13C0, 0xFFC0);
        // Lines 2 and 3 (MOVE.L, MOVE.W), records 100-117.
        moves<L>(0x2000);
        moves<W>(0x3000);
        // MOVE forms without a destination, and sources 7.5-7.7, records 118-125.
        halt(0x15C0, 0xD5C0);
        halt(0x25C0, 0xE5C0);
        halt(0x19C0, 0xD9C0);
        halt(0x29C0, 0xE9C0);
        halt(0x103D, 0xD03D);
        halt(0x203D, 0xE03D);
        halt(0x103E, 0xD03E);
        halt(0x203E, 0xE03E);

        // Line 4, records 126-250.
        unary<Unary::kNegx>(0x4000);
        halt(0x4008, 0xFF38);
        halt(0x403A, 0xFF3A);
        halt(0x403C, 0xFF3C);
        add(&op_move_from_sr<I>, 0x40C0, 0xFFC0);
        halt(0x40C8, 0xFFF8);
        halt(0x40FC, 0xFFFC);
        halt(0x40FA, 0xFFFA);
        add(&op_clr_ea<I, B>, 0x4200, 0xFFC0);
        add(&op_clr_ea<I, W>, 0x4240, 0xFFC0);
        add(&op_clr_ea<I, L>, 0x4280, 0xFFC0);
        add(&op_clr_reg<I, B>, 0x4200, 0xFFF0);
        add(&op_clr_reg<I, W>, 0x4240, 0xFFF0);
        add(&op_clr_reg<I, L>, 0x4280, 0xFFF0);
        halt(0x42C0, 0xFFC0);
        halt(0x4208, 0xFF38);
        halt(0x423A, 0xFF3A);
        halt(0x423C, 0xFF3C);
        unary<Unary::kNeg>(0x4400);
        halt(0x443A, 0xFF3A);
        halt(0x443C, 0xFF3C);
        add(&op_move_to_ccr<I>, 0x44C0, 0xFFC0);
        halt(0x44FD, 0xFFFD);
        halt(0x44FE, 0xFFFE);
        halt(0x4408, 0xFF38);
        unary<Unary::kNot>(0x4600);
        halt(0x463A, 0xFF3A);
        halt(0x463C, 0xFF3C);
        add(&op_move_to_sr<I>, 0x46C0, 0xFFC0);
        halt(0x46FD, 0xFFFD);
        halt(0x46FE, 0xFFFE);
        halt(0x4608, 0xFF38);
        add(&op_nbcd_ea<I>, 0x4800, 0xFFC0);
        add(&op_nbcd_reg<I>, 0x4800, 0xFFF0);
        halt(0x4808, 0xFFF8);
        halt(0x483A, 0xFFFA);
        halt(0x483C, 0xFFFC);
        add(&op_pea<I>, 0x4840, 0xFFC0);
        add(&op_swap<I>, 0x4840, 0xFFF8);
        add(&op_4848<I>, 0x4848, 0xFFF8);
        halt(0x4858, 0xFFF8);
        halt(0x4860, 0xFFF8);
        halt(0x487C, 0xFFFC);
        add(&op_movem_to_mem<I, W>, 0x4880, 0xFFC0);
        add(&op_movem_to_mem<I, L>, 0x48C0, 0xFFC0);
        add(&op_movem_to_predec<I, W>, 0x48A0, 0xFFF8);
        add(&op_movem_to_predec<I, L>, 0x48E0, 0xFFF8);
        add(&op_ext<I, B, W>, 0x4880, 0xFFF8);
        add(&op_ext<I, W, L>, 0x48C0, 0xFFF8);
        halt(0x4888, 0xFFB8);
        halt(0x4898, 0xFFB8);
        halt(0x48BA, 0xFFBA);
        halt(0x48BC, 0xFFBC);
        add(&op_tst_ea<I, B>, 0x4A00, 0xFFC0);
        add(&op_tst_ea<I, W>, 0x4A40, 0xFFC0);
        add(&op_tst_ea<I, L>, 0x4A80, 0xFFC0);
        add(&op_tst_reg<I, B>, 0x4A00, 0xFFF0);
        add(&op_tst_reg<I, W>, 0x4A40, 0xFFF0);
        add(&op_tst_reg<I, L>, 0x4A80, 0xFFF0);
        halt(0x4A3D, 0xFF3D);
        halt(0x4A3E, 0xFF3E);
        add(&op_tas_ea<I>, 0x4AC0, 0xFFC0);
        add(&op_tas_reg<I>, 0x4AC0, 0xFFF0);
        halt(0x4AC8, 0xFFF8);
        halt(0x4AFA, 0xFFFA);
        halt(0x4AFC, 0xFFFC);
        add(&op_illegal<I>, 0x4AFC, 0xFFFF);
        halt(0x4C00, 0xFF80);
        add(&op_movem_to_reg<I, W>, 0x4C80, 0xFFC0);
        add(&op_movem_to_reg<I, L>, 0x4CC0, 0xFFC0);
        add(&op_movem_postinc<I, W>, 0x4C98, 0xFFF8);
        add(&op_movem_postinc<I, L>, 0x4CD8, 0xFFF8);
        halt(0x4C80, 0xFFB8);
        halt(0x4C88, 0xFFB8);
        halt(0x4CA0, 0xFFB8);
        halt(0x4CBC, 0xFFBC);
        halt(0x4E00, 0xFFC0);
        add(&op_trap<I>, 0x4E40, 0xFFF0);
        add(&op_link<I>, 0x4E50, 0xFFF8);
        add(&op_unlk<I>, 0x4E58, 0xFFF8);
        add(&op_move_usp<I, true>, 0x4E60, 0xFFF8);
        add(&op_move_usp<I, false>, 0x4E68, 0xFFF8);
        add(&op_reset<I>, 0x4E70, 0xFFFF);
        add(&op_nop<I>, 0x4E71, 0xFFFF);
        add(&op_stop<I>, 0x4E72, 0xFFFF);
        add(&op_rte<I>, 0x4E73, 0xFFFF);
        halt(0x4E74, 0xFFFF);
        add(&op_rts<I>, 0x4E75, 0xFFFF);
        add(&op_trapv<I>, 0x4E76, 0xFFFF);
        add(&op_rtr<I>, 0x4E77, 0xFFFF);
        halt(0x4E78, 0xFFF8);
        add(&op_jsr<I>, 0x4E80, 0xFFC0);
        add(&op_jmp<I>, 0x4EC0, 0xFFC0);
        halt(0x4E80, 0xFFB8);
        halt(0x4E88, 0xFFB8);
        halt(0x4E98, 0xFFB8);
        halt(0x4EA0, 0xFFB8);
        halt(0x4EBC, 0xFFBC);
        add(&op_lea<I>, 0x41C0, 0xF1C0);
        halt(0x41C0, 0xF1F8);
        halt(0x41C8, 0xF1F8);
        halt(0x41D8, 0xF1F8);
        halt(0x41E0, 0xF1F8);
        halt(0x41FC, 0xF1FC);
        halt(0x4140, 0xF1C0);
        add(&op_chk<I>, 0x4100, 0xF140);
        halt(0x4108, 0xF178);
        halt(0x413D, 0xF17D);
        halt(0x413E, 0xF17E);
        add(&op_ext<I, B, L>, 0x49C0, 0xFFF8);

        // Line 5, records 251-272.
        quick<AddSub::kAdd>(0x5000);
        quick<AddSub::kSub>(0x5100);
        add(&op_scc<I>, 0x50C0, 0xF0C0);
        add(&op_dbcc<I>, 0x50C8, 0xF0F8);
        halt(0x503A, 0xF03A);
        halt(0x503C, 0xF03C);

        // Lines 6 and 7, records 273-277.
        add(&op_bcc<I>, 0x6000, 0xF000);
        add(&op_bra<I>, 0x6000, 0xFF00);
        add(&op_bsr<I>, 0x6100, 0xFF00);
        add(&op_moveq<I>, 0x7000, 0xF100);
        halt(0x7100, 0xF100);

        // Line 8, records 278-291.
        add(&op_bin_to_dn<I, BinOp::kOr, B>, 0x8000, 0xF1C0);
        add(&op_bin_to_dn<I, BinOp::kOr, W>, 0x8040, 0xF1C0);
        add(&op_bin_to_dn<I, BinOp::kOr, L>, 0x8080, 0xF1C0);
        add(&op_bin_to_ea<I, BinOp::kOr, B>, 0x8100, 0xF1C0);
        add(&op_bin_to_ea<I, BinOp::kOr, W>, 0x8140, 0xF1C0);
        add(&op_bin_to_ea<I, BinOp::kOr, L>, 0x8180, 0xF1C0);
        add(&op_div<I, false>, 0x80C0, 0xF1C0);
        add(&op_div<I, true>, 0x81C0, 0xF1C0);
        halt(0x8008, 0xF138);
        halt(0x8108, 0xF138);
        halt(0x803D, 0xF03D);
        halt(0x803E, 0xF03E);
        add(&op_bcd_dn<I, false>, 0x8100, 0xF1F8);
        add(&op_bcd_mem<I, false>, 0x8108, 0xF1F8);

        // Line 9, records 292-311.
        bin_pair<BinOp::kSub>(0x9000);
        halt(0x903D, 0xF13D);
        halt(0x903E, 0xF13E);
        halt(0x913A, 0xF13A);
        halt(0x913C, 0xF13C);
        extended<AddSub::kSub>(0x9000);
        add(&op_adda<I, AddSub::kSub, W>, 0x90C0, 0xF1C0);
        add(&op_adda<I, AddSub::kSub, L>, 0x91C0, 0xF1C0);
        halt(0x90FD, 0xF0FD);
        halt(0x90FE, 0xF0FE);

        // Line A, record 312.
        halt(0xA000, 0xF000);

        // Line B, records 313-332.
        add(&op_bin_to_dn<I, BinOp::kCmp, B>, 0xB000, 0xF1C0);
        add(&op_bin_to_dn<I, BinOp::kCmp, W>, 0xB040, 0xF1C0);
        add(&op_bin_to_dn<I, BinOp::kCmp, L>, 0xB080, 0xF1C0);
        halt(0xB03D, 0xF13D);
        halt(0xB03E, 0xF13E);
        add(&op_bin_to_ea<I, BinOp::kEor, B>, 0xB100, 0xF1C0);
        add(&op_bin_to_ea<I, BinOp::kEor, W>, 0xB140, 0xF1C0);
        add(&op_bin_to_ea<I, BinOp::kEor, L>, 0xB180, 0xF1C0);
        add(&op_eor_dn<I, B>, 0xB100, 0xF1F8);
        add(&op_eor_dn<I, W>, 0xB140, 0xF1F8);
        add(&op_eor_dn<I, L>, 0xB180, 0xF1F8);
        add(&op_cmpm<I, B>, 0xB108, 0xF1F8);
        add(&op_cmpm<I, W>, 0xB148, 0xF1F8);
        add(&op_cmpm<I, L>, 0xB188, 0xF1F8);
        halt(0xB13A, 0xF13A);
        halt(0xB13C, 0xF13C);
        add(&op_cmpa<I, W>, 0xB0C0, 0xF1C0);
        add(&op_cmpa<I, L>, 0xB1C0, 0xF1C0);
        halt(0xB0FD, 0xF0FD);
        halt(0xB0FE, 0xF0FE);

        // Line C, records 333-354.
        bin_pair<BinOp::kAnd>(0xC000);
        halt(0xC008, 0xF138);
        halt(0xC03D, 0xF13D);
        halt(0xC03E, 0xF13E);
        halt(0xC100, 0xF130);
        halt(0xC13A, 0xF13A);
        halt(0xC13C, 0xF13C);
        add(&op_mul<I, false>, 0xC0C0, 0xF1C0);
        add(&op_mul<I, true>, 0xC1C0, 0xF1C0);
        halt(0xC0C8, 0xF0F8);
        halt(0xC0FD, 0xF0FD);
        halt(0xC0FE, 0xF0FE);
        add(&op_exg<I, 0, 0>, 0xC140, 0xF1F8);
        add(&op_exg<I, 8, 8>, 0xC148, 0xF1F8);
        add(&op_exg<I, 0, 8>, 0xC188, 0xF1F8);
        add(&op_bcd_dn<I, true>, 0xC100, 0xF1F8);
        add(&op_bcd_mem<I, true>, 0xC108, 0xF1F8);

        // Line D, records 355-374.
        bin_pair<BinOp::kAdd>(0xD000);
        halt(0xD03D, 0xF13D);
        halt(0xD03E, 0xF13E);
        halt(0xD13A, 0xF13A);
        halt(0xD13C, 0xF13C);
        extended<AddSub::kAdd>(0xD000);
        add(&op_adda<I, AddSub::kAdd, W>, 0xD0C0, 0xF1C0);
        add(&op_adda<I, AddSub::kAdd, L>, 0xD1C0, 0xF1C0);
        halt(0xD0FD, 0xF0FD);
        halt(0xD0FE, 0xF0FE);

        // Line E, records 375-434.
        shifts<B>(0x00);
        shifts<W>(0x40);
        shifts<L>(0x80);
        add(&op_shift_mem<I, ShiftOp::kAs, false>, 0xE0C0, 0xFFC0);
        add(&op_shift_mem<I, ShiftOp::kLs, false>, 0xE2C0, 0xFFC0);
        add(&op_shift_mem<I, ShiftOp::kRox, false>, 0xE4C0, 0xFFC0);
        add(&op_shift_mem<I, ShiftOp::kRo, false>, 0xE6C0, 0xFFC0);
        add(&op_shift_mem<I, ShiftOp::kAs, true>, 0xE1C0, 0xFFC0);
        add(&op_shift_mem<I, ShiftOp::kLs, true>, 0xE3C0, 0xFFC0);
        add(&op_shift_mem<I, ShiftOp::kRox, true>, 0xE5C0, 0xFFC0);
        add(&op_shift_mem<I, ShiftOp::kRo, true>, 0xE7C0, 0xFFC0);
        halt(0xE8C0, 0xF8C0);
        halt(0xE0C0, 0xF0F0);
        halt(0xE0FA, 0xF0FA);
        halt(0xE0FC, 0xF0FC);

        // Line F, record 435.
        halt(0xF000, 0xF000);

        // Record 436: MOVE.L A4,D0 once more, to the handler its general record gives it.
        add(&op_move<I, L, MoveDst::kDn>, 0x200C, 0xFFFF);
    }

    // MOVE.L and MOVE.W with MOVEA.
    template <Size S>
    void moves(u32 base) {
        add(&op_move<I, S, MoveDst::kDn>, base | 0x000, 0xF1C0);
        add(&op_move<I, S, MoveDst::kAn>, base | 0x040, 0xF1C0);
        add(&op_move<I, S, MoveDst::kAi>, base | 0x080, 0xF1C0);
        add(&op_move<I, S, MoveDst::kPi>, base | 0x0C0, 0xF1C0);
        add(&op_move<I, S, MoveDst::kPd>, base | 0x100, 0xF1C0);
        add(&op_move<I, S, MoveDst::kDi>, base | 0x140, 0xF1C0);
        add(&op_move<I, S, MoveDst::kIx>, base | 0x180, 0xF1C0);
        add(&op_move<I, S, MoveDst::kAw>, base | 0x1C0, 0xFFC0);
        add(&op_move<I, S, MoveDst::kAl>, base | 0x3C0, 0xFFC0);
    }
};

template <class I>
std::vector<RecordV024> record_list() {
    Records<I> r;
    r.build();
    return r.list;
}

template <class I>
void build(M68kJumpTableV024& table) {
    const std::vector<RecordV024> list = record_list<I>();
    table.fill(&op_unassigned<I>);
    (void)build_pattern_table<M68kHandlerV024>(list, table, MatchOrder::kLastWins);
}

}  // namespace

std::vector<RecordV024> m68k_records_v024() { return record_list<Main>(); }
std::vector<RecordV024> s68k_records_v024() { return record_list<Sub>(); }
M68kHandlerV024 m68k_unassigned_v024() { return &op_unassigned<Main>; }
M68kHandlerV024 s68k_unassigned_v024() { return &op_unassigned<Sub>; }

}  // namespace m68k_v024

M68kJumpTableV024 m68k_jump_table_v024 = [] {
    M68kJumpTableV024 t{};
    t.fill(m68k_v024::m68k_unassigned_v024());
    return t;
}();
M68kJumpTableV024 s68k_jump_table_v024 = [] {
    M68kJumpTableV024 t{};
    t.fill(m68k_v024::s68k_unassigned_v024());
    return t;
}();

void m68k_build_jump_table_v024() { m68k_v024::build<m68k_v024::Main>(m68k_jump_table_v024); }
void s68k_build_jump_table_v024() { m68k_v024::build<m68k_v024::Sub>(s68k_jump_table_v024); }

}  // namespace varn
