// Cycle counts and instruction lengths of the immediate, single-operand, status register,
// MOVEM, add/subtract, logic, compare and quick families: every pattern runs once and its
// count is compared with the tables of the processor's documentation as this core fixes
// them (one count per handler, nothing added for the addressing mode).

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

// Addressing-mode rows of opcode bits 5-0, register 1 where the row leaves it free.
enum Row : u32 {
    kRowDn   = 1u << 0,
    kRowAn   = 1u << 1,
    kRowAi   = 1u << 2,
    kRowPi   = 1u << 3,
    kRowPi7  = 1u << 4,
    kRowPd   = 1u << 5,
    kRowPd7  = 1u << 6,
    kRowDi   = 1u << 7,
    kRowIx   = 1u << 8,
    kRowAw   = 1u << 9,
    kRowAl   = 1u << 10,
    kRowPcDi = 1u << 11,
    kRowPcIx = 1u << 12,
    kRowImm  = 1u << 13,
};
struct RowInfo {
    u32 bits;
    u32 ext_words;  // the immediate row takes the row's immediate size instead
    bool reg;       // counted in the register column
};
constexpr RowInfo kRows[] = {
    {0x01, 0, true},  {0x09, 0, true},  {0x11, 0, false}, {0x19, 0, false}, {0x1F, 0, false},
    {0x21, 0, false}, {0x27, 0, false}, {0x29, 1, false}, {0x31, 1, false}, {0x38, 1, false},
    {0x39, 2, false}, {0x3A, 1, false}, {0x3B, 1, false}, {0x3C, 0, false},
};

constexpr u32 kMemAlt =
    kRowAi | kRowPi | kRowPi7 | kRowPd | kRowPd7 | kRowDi | kRowIx | kRowAw | kRowAl;
constexpr u32 kDataAlt = kRowDn | kMemAlt;
constexpr u32 kDataSrc = kDataAlt | kRowPcDi | kRowPcIx | kRowImm;
constexpr u32 kAnySrc  = kDataSrc | kRowAn;

struct CycleRow {
    const char* name;
    u16 base;        // opcode with bits 5-0 clear (or the whole opcode when rows is 0)
    u32 rows;        // 0: the base opcode alone
    u32 reg_cycles;  // Dn and An rows (and the lone opcode)
    u32 mem_cycles;  // every other row
    u32 own_words;   // immediate or register list ahead of the mode's words
    u32 imm_words;   // words of the #imm row
};

// clang-format off
const CycleRow kTable[] = {
    // Immediate logical and arithmetic.
    {"ORI.B", 0x0000, kDataAlt, 8, 12, 1, 0},   {"ORI.W", 0x0040, kDataAlt, 8, 12, 1, 0},
    {"ORI.L", 0x0080, kDataAlt, 16, 20, 2, 0},  {"ANDI.B", 0x0200, kDataAlt, 8, 12, 1, 0},
    {"ANDI.W", 0x0240, kDataAlt, 8, 12, 1, 0},  {"ANDI.L", 0x0280, kDataAlt, 14, 20, 2, 0},
    {"SUBI.B", 0x0400, kDataAlt, 8, 12, 1, 0},  {"SUBI.W", 0x0440, kDataAlt, 8, 12, 1, 0},
    {"SUBI.L", 0x0480, kDataAlt, 16, 20, 2, 0}, {"ADDI.B", 0x0600, kDataAlt, 8, 12, 1, 0},
    {"ADDI.W", 0x0640, kDataAlt, 8, 12, 1, 0},  {"ADDI.L", 0x0680, kDataAlt, 16, 20, 2, 0},
    {"EORI.B", 0x0A00, kDataAlt, 8, 12, 1, 0},  {"EORI.W", 0x0A40, kDataAlt, 8, 12, 1, 0},
    {"EORI.L", 0x0A80, kDataAlt, 16, 20, 2, 0},
    {"CMPI.B", 0x0C00, kDataAlt | kRowPcDi | kRowPcIx, 8, 8, 1, 0},
    {"CMPI.W", 0x0C40, kDataAlt | kRowPcDi | kRowPcIx, 8, 8, 1, 0},
    {"CMPI.L", 0x0C80, kDataAlt | kRowPcDi | kRowPcIx, 14, 12, 2, 0},
    {"ORI CCR", 0x003C, 0, 20, 0, 1, 0},  {"ORI SR", 0x007C, 0, 20, 0, 1, 0},
    {"ANDI CCR", 0x023C, 0, 20, 0, 1, 0}, {"ANDI SR", 0x027C, 0, 20, 0, 1, 0},
    {"EORI CCR", 0x0A3C, 0, 20, 0, 1, 0}, {"EORI SR", 0x0A7C, 0, 20, 0, 1, 0},
    // Single-operand.
    {"NEGX.B", 0x4000, kDataAlt, 4, 8, 0, 0},  {"NEGX.W", 0x4040, kDataAlt, 4, 8, 0, 0},
    {"NEGX.L", 0x4080, kDataAlt, 6, 12, 0, 0},
    {"CLR.B", 0x4200, kDataAlt | kRowAn, 4, 8, 0, 0},
    {"CLR.W", 0x4240, kDataAlt | kRowAn, 4, 8, 0, 0},
    {"CLR.L", 0x4280, kDataAlt | kRowAn, 6, 12, 0, 0},
    {"NEG.B", 0x4400, kDataAlt, 4, 8, 0, 0},   {"NEG.W", 0x4440, kDataAlt, 4, 8, 0, 0},
    {"NEG.L", 0x4480, kDataAlt, 6, 12, 0, 0},  {"NOT.B", 0x4600, kDataAlt, 4, 8, 0, 0},
    {"NOT.W", 0x4640, kDataAlt, 4, 8, 0, 0},   {"NOT.L", 0x4680, kDataAlt, 6, 12, 0, 0},
    {"NBCD", 0x4800, kDataAlt, 6, 8, 0, 0},
    {"TST.B", 0x4A00, kDataSrc, 4, 4, 0, 1},   {"TST.W", 0x4A40, kDataSrc, 4, 4, 0, 1},
    {"TST.L", 0x4A80, kDataSrc, 4, 4, 0, 2},   {"TAS", 0x4AC0, kDataAlt, 4, 14, 0, 0},
    {"SWAP", 0x4841, 0, 4, 0, 0, 0},           {"EXT.W", 0x4881, 0, 4, 0, 0, 0},
    {"EXT.L", 0x48C1, 0, 4, 0, 0, 0},
    {"PEA (An)", 0x4840, kRowAi, 0, 12, 0, 0}, {"PEA d16(An)", 0x4840, kRowDi, 0, 16, 0, 0},
    {"PEA d8(An,Xn)", 0x4840, kRowIx, 0, 20, 0, 0},
    {"PEA abs.W", 0x4840, kRowAw, 0, 16, 0, 0}, {"PEA abs.L", 0x4840, kRowAl, 0, 20, 0, 0},
    {"PEA d16(PC)", 0x4840, kRowPcDi, 0, 16, 0, 0},
    {"PEA d8(PC,Xn)", 0x4840, kRowPcIx, 0, 20, 0, 0},
    // Status register moves.
    {"MOVE from SR", 0x40C0, kDataAlt, 6, 6, 0, 0},
    {"MOVE to CCR", 0x44C0, kDataSrc, 12, 12, 0, 1},
    {"MOVE to SR", 0x46C0, kDataSrc, 12, 12, 0, 1},
    // MOVEM, word and long alike.
    {"MOVEM.W to (An) -(An)", 0x4880, kRowAi | kRowPd | kRowPd7, 0, 8, 1, 0},
    {"MOVEM.L to (An) -(An)", 0x48C0, kRowAi | kRowPd | kRowPd7, 0, 8, 1, 0},
    {"MOVEM.W to d16 abs.W", 0x4880, kRowDi | kRowAw, 0, 12, 1, 0},
    {"MOVEM.L to d16 abs.W", 0x48C0, kRowDi | kRowAw, 0, 12, 1, 0},
    {"MOVEM.W to d8(An,Xn)", 0x4880, kRowIx, 0, 14, 1, 0},
    {"MOVEM.L to d8(An,Xn)", 0x48C0, kRowIx, 0, 14, 1, 0},
    {"MOVEM.W to abs.L", 0x4880, kRowAl, 0, 16, 1, 0},
    {"MOVEM.L to abs.L", 0x48C0, kRowAl, 0, 16, 1, 0},
    {"MOVEM.W from (An) (An)+", 0x4C80, kRowAi | kRowPi | kRowPi7, 0, 12, 1, 0},
    {"MOVEM.L from (An) (An)+", 0x4CC0, kRowAi | kRowPi | kRowPi7, 0, 12, 1, 0},
    {"MOVEM.W from d16 abs.W d16(PC)", 0x4C80, kRowDi | kRowAw | kRowPcDi, 0, 16, 1, 0},
    {"MOVEM.L from d16 abs.W d16(PC)", 0x4CC0, kRowDi | kRowAw | kRowPcDi, 0, 16, 1, 0},
    {"MOVEM.W from indexed", 0x4C80, kRowIx | kRowPcIx, 0, 18, 1, 0},
    {"MOVEM.L from indexed", 0x4CC0, kRowIx | kRowPcIx, 0, 18, 1, 0},
    {"MOVEM.W from abs.L", 0x4C80, kRowAl, 0, 20, 1, 0},
    {"MOVEM.L from abs.L", 0x4CC0, kRowAl, 0, 20, 1, 0},
    // ADD and SUB.
    {"SUB.B <ea>,Dn", 0x9000, kDataSrc, 4, 4, 0, 1}, {"SUB.W <ea>,Dn", 0x9040, kAnySrc, 4, 4, 0, 1},
    {"SUB.L <ea>,Dn", 0x9080, kAnySrc, 6, 6, 0, 2},  {"SUB.B Dn,<ea>", 0x9100, kMemAlt, 0, 8, 0, 0},
    {"SUB.W Dn,<ea>", 0x9140, kMemAlt, 0, 8, 0, 0},  {"SUB.L Dn,<ea>", 0x9180, kMemAlt, 0, 12, 0, 0},
    {"ADD.B <ea>,Dn", 0xD000, kDataSrc, 4, 4, 0, 1}, {"ADD.W <ea>,Dn", 0xD040, kAnySrc, 4, 4, 0, 1},
    {"ADD.L <ea>,Dn", 0xD080, kAnySrc, 6, 6, 0, 2},  {"ADD.B Dn,<ea>", 0xD100, kMemAlt, 0, 8, 0, 0},
    {"ADD.W Dn,<ea>", 0xD140, kMemAlt, 0, 8, 0, 0},  {"ADD.L Dn,<ea>", 0xD180, kMemAlt, 0, 12, 0, 0},
    // ADDA and SUBA.
    {"SUBA.W", 0x90C0, kAnySrc, 8, 8, 0, 1}, {"SUBA.L", 0x91C0, kAnySrc, 6, 6, 0, 2},
    {"ADDA.W", 0xD0C0, kAnySrc, 8, 8, 0, 1}, {"ADDA.L", 0xD1C0, kAnySrc, 6, 6, 0, 2},
    // ADDX and SUBX.
    {"SUBX.B Dy,Dx", 0x9101, 0, 4, 0, 0, 0},     {"SUBX.W Dy,Dx", 0x9141, 0, 4, 0, 0, 0},
    {"SUBX.L Dy,Dx", 0x9181, 0, 8, 0, 0, 0},     {"SUBX.B -(Ay),-(Ax)", 0x9109, 0, 18, 0, 0, 0},
    {"SUBX.W -(Ay),-(Ax)", 0x9149, 0, 18, 0, 0, 0}, {"SUBX.L -(Ay),-(Ax)", 0x9189, 0, 30, 0, 0, 0},
    {"ADDX.B Dy,Dx", 0xD101, 0, 4, 0, 0, 0},     {"ADDX.W Dy,Dx", 0xD141, 0, 4, 0, 0, 0},
    {"ADDX.L Dy,Dx", 0xD181, 0, 8, 0, 0, 0},     {"ADDX.B -(Ay),-(Ax)", 0xD109, 0, 18, 0, 0, 0},
    {"ADDX.W -(Ay),-(Ax)", 0xD149, 0, 18, 0, 0, 0}, {"ADDX.L -(Ay),-(Ax)", 0xD189, 0, 30, 0, 0, 0},
    // OR and AND.
    {"OR.B <ea>,Dn", 0x8000, kDataSrc, 4, 4, 0, 1},  {"OR.W <ea>,Dn", 0x8040, kDataSrc, 4, 4, 0, 1},
    {"OR.L <ea>,Dn", 0x8080, kDataSrc, 6, 6, 0, 2},  {"OR.B Dn,<ea>", 0x8100, kMemAlt, 0, 8, 0, 0},
    {"OR.W Dn,<ea>", 0x8140, kMemAlt, 0, 8, 0, 0},   {"OR.L Dn,<ea>", 0x8180, kMemAlt, 0, 12, 0, 0},
    {"AND.B <ea>,Dn", 0xC000, kDataSrc, 4, 4, 0, 1}, {"AND.W <ea>,Dn", 0xC040, kDataSrc, 4, 4, 0, 1},
    {"AND.L <ea>,Dn", 0xC080, kDataSrc, 6, 6, 0, 2}, {"AND.B Dn,<ea>", 0xC100, kMemAlt, 0, 8, 0, 0},
    {"AND.W Dn,<ea>", 0xC140, kMemAlt, 0, 8, 0, 0},  {"AND.L Dn,<ea>", 0xC180, kMemAlt, 0, 12, 0, 0},
    // Compares and EOR.
    {"CMP.B", 0xB000, kDataSrc, 4, 4, 0, 1},   {"CMP.W", 0xB040, kAnySrc, 4, 4, 0, 1},
    {"CMP.L", 0xB080, kAnySrc, 6, 6, 0, 2},    {"CMPA.W", 0xB0C0, kAnySrc, 6, 6, 0, 1},
    {"CMPA.L", 0xB1C0, kAnySrc, 6, 6, 0, 2},   {"CMPM.B", 0xB109, 0, 12, 0, 0, 0},
    {"CMPM.W", 0xB149, 0, 12, 0, 0, 0},        {"CMPM.L", 0xB189, 0, 20, 0, 0, 0},
    {"EOR.B", 0xB100, kDataAlt, 4, 8, 0, 0},   {"EOR.W", 0xB140, kDataAlt, 4, 8, 0, 0},
    {"EOR.L", 0xB180, kDataAlt, 8, 12, 0, 0},
    // Quick arithmetic.
    {"ADDQ.B", 0x5000, kDataAlt, 4, 8, 0, 0},  {"ADDQ.W", 0x5040, kDataAlt, 4, 8, 0, 0},
    {"ADDQ.W An", 0x5040, kRowAn, 4, 0, 0, 0}, {"ADDQ.L", 0x5080, kDataAlt | kRowAn, 8, 12, 0, 0},
    {"SUBQ.B", 0x5100, kDataAlt, 4, 8, 0, 0},  {"SUBQ.W", 0x5140, kDataAlt, 4, 8, 0, 0},
    {"SUBQ.W An", 0x5140, kRowAn, 8, 0, 0, 0}, {"SUBQ.L", 0x5180, kDataAlt | kRowAn, 8, 12, 0, 0},
    {"MOVEQ", 0x7201, 0, 4, 0, 0, 0},
};
// clang-format on

class M68kIntegerCycles : public M68kOpTest {
  protected:
    // Runs `opcode` with zero extension words and registers that point into work RAM.
    void run_one(const char* name, u32 opcode, u32 length, u32 cycles) {
        SCOPED_TRACE(::testing::Message() << name << std::hex << " opcode 0x" << opcode);
        start_at(kCodeAt, {static_cast<u16>(opcode), 0, 0, 0, 0, 0, 0xA000});
        auto& c = m68k_context;
        for (u32 i = 0; i < 8; ++i) {
            c.regs[i]     = 0;
            c.regs[8 + i] = kData + 0x100 * i;
        }
        c.sp_slots = {kData + 0x800, c.regs[15]};
        EXPECT_EQ(step(), cycles);
        EXPECT_EQ(c.status & kM68kStatusHalted, 0u);
        EXPECT_EQ(c.pc, kCodeAt + length);
    }
};

TEST_F(M68kIntegerCycles, EveryPatternCountsItsTableCycles) {
    u32 runs = 0;
    for (const CycleRow& row : kTable) {
        if (row.rows == 0) {
            run_one(row.name, row.base, 2 + 2 * row.own_words, row.reg_cycles);
            ++runs;
            continue;
        }
        for (u32 i = 0; i < std::size(kRows); ++i) {
            if (!(row.rows & (1u << i))) continue;
            const RowInfo& r = kRows[i];
            const u32 ext    = (1u << i) == kRowImm ? row.imm_words : r.ext_words;
            run_one(row.name, row.base | r.bits, 2 + 2 * (row.own_words + ext),
                    r.reg ? row.reg_cycles : row.mem_cycles);
            ++runs;
        }
    }
    // The families' 956 patterns, less the do-nothing opcodes (below).
    EXPECT_EQ(runs, 955u);
}

// The do-nothing opcodes of line 4 take no time: the NOP behind them ends the slice alone.
TEST_F(M68kIntegerCycles, NoOperationOpcodesTakeNoCycles) {
    for (u16 op = 0x4848; op <= 0x484F; ++op) {
        start_at(kCodeAt, {op, 0x4E71, 0xA000});
        EXPECT_EQ(step(), 4u);
        EXPECT_EQ(m68k_context.pc, kCodeAt + 4);
    }
}

}  // namespace
}  // namespace varn::test
