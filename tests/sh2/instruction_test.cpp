// Single instructions: results and flags of the register operations, and the cycles each
// instruction group charges at addresses with bit 1 clear and set.

#include <functional>

#include "sh2/sh2_test_support.h"

namespace varn {
namespace {

using test::kNop;
using test::Sh2Test;

// Registers set before one instruction and the ones checked after it.
struct Regs {
    u32 r0 = 0, r1 = 0, t = 0;
};
struct AluCase {
    const char* what;
    u16 word;
    Regs in;
    Regs out;
};

// r0 = Rn and r1 = Rm in every word below (fields n = 0, m = 1) unless the form has no Rm.
constexpr AluCase kAluCases[] = {
    {"ADDC carry out", 0x301E, {0xFFFFFFFF, 0, 1}, {0, 0, 1}},
    {"ADDC plain", 0x301E, {5, 6, 1}, {12, 6, 0}},
    {"ADDV overflow", 0x301F, {0x7FFFFFFF, 1, 0}, {0x80000000, 1, 1}},
    {"ADDV none", 0x301F, {0xFFFFFFFF, 1, 1}, {0, 1, 0}},
    {"SUBC borrow", 0x301A, {0, 0, 1}, {0xFFFFFFFF, 0, 1}},
    {"SUBV overflow", 0x301B, {0x80000000, 1, 0}, {0x7FFFFFFF, 1, 1}},
    {"NEGC", 0x601A, {0, 1, 1}, {0xFFFFFFFE, 1, 1}},
    {"NEGC of zero", 0x601A, {7, 0, 0}, {0, 0, 0}},
    {"CMP/GE signed", 0x3013, {0xFFFFFFFF, 1, 1}, {0xFFFFFFFF, 1, 0}},
    {"CMP/HS unsigned", 0x3012, {0xFFFFFFFF, 1, 0}, {0xFFFFFFFF, 1, 1}},
    {"CMP/GT equal", 0x3017, {4, 4, 1}, {4, 4, 0}},
    {"CMP/HI", 0x3016, {5, 4, 0}, {5, 4, 1}},
    {"CMP/STR one byte equal", 0x201C, {0x12345678, 0xAA34BBCC, 0}, {0x12345678, 0xAA34BBCC, 1}},
    {"CMP/STR none", 0x201C, {0x12345678, 0x21436587, 1}, {0x12345678, 0x21436587, 0}},
    {"CMP/PZ zero", 0x4011, {0, 0, 0}, {0, 0, 1}},
    {"CMP/PL zero", 0x4015, {0, 0, 1}, {0, 0, 0}},
    {"CMP/EQ #imm sign-extended", 0x88FF, {0xFFFFFFFF, 0, 0}, {0xFFFFFFFF, 0, 1}},
    {"TST", 0x2018, {0xF0, 0x0F, 0}, {0xF0, 0x0F, 1}},
    {"TST #imm", 0xC801, {2, 0, 0}, {2, 0, 1}},
    {"XTRCT", 0x201D, {0x12345678, 0x9ABCDEF0, 0}, {0xDEF01234, 0x9ABCDEF0, 0}},
    {"SWAP.B", 0x6018, {0, 0x11223344, 0}, {0x11224433, 0x11223344, 0}},
    {"SWAP.W", 0x6019, {0, 0x11223344, 0}, {0x33441122, 0x11223344, 0}},
    {"EXTS.B", 0x601E, {0, 0x80, 0}, {0xFFFFFF80, 0x80, 0}},
    {"EXTU.W", 0x601D, {0, 0xFFFF8000, 0}, {0x8000, 0xFFFF8000, 0}},
    {"DT to zero", 0x4010, {1, 0, 0}, {0, 0, 1}},
    {"DT", 0x4010, {0, 0, 1}, {0xFFFFFFFF, 0, 0}},
    {"SHAR keeps the sign", 0x4021, {0x80000001, 0, 0}, {0xC0000000, 0, 1}},
    {"SHLL", 0x4000, {0x80000001, 0, 0}, {2, 0, 1}},
    {"ROTCL through T", 0x4024, {0x80000000, 0, 1}, {1, 0, 1}},
    {"ROTCR through T", 0x4025, {1, 0, 0}, {0, 0, 1}},
    {"ROTR", 0x4005, {1, 0, 0}, {0x80000000, 0, 1}},
    {"SHLR16", 0x4029, {0x12345678, 0, 0}, {0x1234, 0, 0}},
    {"DIV0S signs differ", 0x2017, {0x80000000, 1, 0}, {0x80000000, 1, 1}},
    // DIV1 after reset (Q = M = 0) subtracts; with Rn as its own divisor it subtracts the
    // value already shifted.
    {"DIV1 Rm,Rn", 0x3014, {0x40000001, 0x40000001, 1}, {0x40000002, 0x40000001, 1}},
    {"DIV1 Rn,Rn subtracts the shifted Rn", 0x3004, {0x40000001, 0, 1}, {0, 0, 1}},
    {"MOVT", 0x0029, {5, 0, 1}, {1, 0, 1}},
    {"ADD #imm sign-extended", 0x70FE, {1, 0, 0}, {0xFFFFFFFF, 0, 0}},
    {"MOV #imm sign-extended", 0xE080, {0, 0, 0}, {0xFFFFFF80, 0, 0}},
};

TEST_F(Sh2Test, RegisterOperationsGiveTheirResultsAndT) {
    for (const auto& k : kAluCases) {
        boot_code({k.word}, [&](Sh2CpuContext& c) {
            c.r[0] = k.in.r0;
            c.r[1] = k.in.r1;
            c.sr   = 0xF0 | k.in.t;
        });
        run_one_slice();
        const auto& c = sh2_context;
        EXPECT_EQ(c.r[0], k.out.r0) << k.what;
        EXPECT_EQ(c.r[1], k.out.r1) << k.what;
        EXPECT_EQ(c.sr & kSh2SrT, k.out.t) << k.what;
    }
}

TEST_F(Sh2Test, MultipliesWriteMacAndLoadsOfSrKeepEveryBit) {
    const struct {
        const char* what;
        u16 word;
        u32 r0, r1, mach, macl;
    } cases[] = {
        {"MUL.L", 0x0017, 0x10001, 0x10001, 0x1111, 0x00020001},
        {"MULS.W", 0x201F, 0xFFFF, 0x0003, 0x1111, 0xFFFFFFFD},
        {"MULU.W", 0x201E, 0xFFFF, 0x0003, 0x1111, 0x0002FFFD},
        {"DMULS.L", 0x301D, 0xFFFFFFFF, 0x00000002, 0xFFFFFFFF, 0xFFFFFFFE},
        {"DMULU.L", 0x3015, 0xFFFFFFFF, 0x00000002, 0x00000001, 0xFFFFFFFE},
    };
    for (const auto& k : cases) {
        boot_code({k.word}, [&](Sh2CpuContext& c) {
            c.r[0] = k.r0;
            c.r[1] = k.r1;
            c.mach = 0x1111;
        });
        run_one_slice();
        EXPECT_EQ(sh2_context.mach, k.mach) << k.what;
        EXPECT_EQ(sh2_context.macl, k.macl) << k.what;
    }
    // LDC Rm,SR loads all 32 bits and asks for an interrupt check.
    boot_code({0x410E}, [](Sh2CpuContext& c) { c.r[1] = 0xFFFFFF0F; });
    run_one_slice();
    EXPECT_EQ(sh2_context.sr, 0xFFFFFF0Fu);
    EXPECT_EQ(sh2_context.irq_check, 1);
}

TEST_F(Sh2Test, MemoryForms) {
    // Operands in SDRAM: the longs 0x80112233 at `base`, 0x11223344 at base + 4, 0 at
    // base + 0x10 (the long checked after each instruction). r1 = base.
    const u32 base = 0x06001000;
    const struct {
        const char* what;
        u16 word;
        u32 r0, r2_in;
        u32 r1, r2;  // after
        u32 mem;     // the long at base + 0x10 after
    } cases[] = {
        {"MOV.B @Rm+,Rn sign-extends and steps", 0x6214, 0, 0, base + 1, 0xFFFFFF80, 0},
        {"MOV.L @Rm+,Rm keeps the loaded value", 0x6116, 0, 0, 0x80112233, 0, 0},
        {"MOV.W Rm,@-Rn", 0x2215, 0, base + 0x12, base, base + 0x10, 0x10000000},
        {"MOV.L Rm,@(R0,Rn)", 0x0216, 0x10, base, base, base, base},
        {"MOV.L @(disp,Rm),Rn", 0x5211, 0, 0, base, 0x11223344, 0},
        {"MOV.B R0,@(disp,Rn)", 0x8021, 0xAB, base + 0x10, base, base + 0x10, 0x00AB0000},
        {"TAS.B @Rn", 0x421B, 0, base + 0x10, base, base + 0x10, 0x80000000},
        {"AND.B #imm,@(R0,GBR)", 0xCD0F, 0x10, 0, base, 0, 0},
    };
    for (const auto& k : cases) {
        boot_code({k.word}, [&](Sh2CpuContext& c) {
            c.r[0] = k.r0;
            c.r[1] = base;
            c.r[2] = k.r2_in;
            c.gbr  = base;
        });
        store_be32(&s32x_sdram[0x1000], 0x80112233);
        store_be32(&s32x_sdram[0x1004], 0x11223344);
        store_be32(&s32x_sdram[0x1010], 0);
        run_one_slice();
        const auto& c = sh2_context;
        EXPECT_EQ(c.r[1], k.r1) << k.what;
        EXPECT_EQ(c.r[2], k.r2) << k.what;
        EXPECT_EQ(load_be32(&s32x_sdram[0x1010]), k.mem) << k.what;
    }
    EXPECT_EQ(sh2_context.sr & kSh2SrT, 0u);
}

// Cycles by group, at an address with bit 1 clear and with it set (after a NOP).
TEST_F(Sh2Test, CyclesPerInstructionGroup) {
    const struct {
        const char* what;
        u16 word;
        bool t;
        s32 clear, set;
    } cases[] = {
        {"MOV Rm,Rn", 0x6013, false, 1, 1},
        {"ADD", 0x301C, false, 1, 1},
        {"MULS.W", 0x201F, false, 1, 1},
        {"DIV1", 0x3014, false, 1, 1},
        {"LDC Rm,SR", 0x400E, false, 1, 1},
        {"STS PR,Rn", 0x002A, false, 1, 1},
        {"MOVA", 0xC700, false, 1, 1},
        {"MUL.L", 0x0017, false, 3, 3},
        {"DMULS.L", 0x301D, false, 3, 3},
        {"MAC.W", 0x401F, false, 3, 3},
        {"MAC.L", 0x000F, false, 3, 3},
        {"LDC.L @Rm+,SR", 0x4107, false, 3, 3},
        {"MOV.L @Rm,Rn", 0x6012, false, 1, 2},
        {"MOV.L Rm,@Rn", 0x2102, false, 1, 2},
        {"MOV.W @(disp,PC),Rn", 0x9000, false, 1, 2},
        {"LDS.L @Rm+,PR", 0x4126, false, 1, 2},
        {"STS.L PR,@-Rn", 0x4122, false, 1, 2},
        {"CLRMAC", 0x0028, false, 1, 2},
        {"LDS Rm,MACL", 0x401A, false, 1, 2},
        {"STS MACH,Rn", 0x000A, false, 1, 2},
        {"STC.L SR,@-Rn", 0x4103, false, 3, 2},
        {"TST.B #imm,@(R0,GBR)", 0xCC01, false, 3, 4},
        {"OR.B #imm,@(R0,GBR)", 0xCF01, false, 3, 4},
        {"TAS.B @Rn", 0x411B, false, 5, 4},
        {"BT not taken", 0x8900, false, 1, 1},
        {"BT taken", 0x8900, true, 3, 3},
        {"BF/S not taken", 0x8F00, true, 1, 1},
        {"BT/S taken", 0x8D00, true, 2, 2},
        {"BRA", 0xA000, false, 2, 2},
        {"JSR", 0x410B, false, 2, 2},
        {"RTS", 0x000B, false, 2, 2},
        {"RTE", 0x002B, false, 4, 4},
        {"TRAPA", 0xC300, false, 8, 8},
    };
    for (const auto& k : cases) {
        for (const bool bit1 : {false, true}) {
            // Every register points into SDRAM; VBR too, so TRAPA's vector reads 0 and the
            // code it reaches (the boot ROM's first word, 0x0000) halts. Delayed branches halt
            // in their slot (a SLEEP), having charged their own cycles.
            const auto setup = [&](Sh2CpuContext& c) {
                c.r.fill(0x06001000);
                c.r[0] = 0;
                c.gbr  = 0x06002000;
                c.vbr  = 0x06003000;
                c.sr   = 0xF0 | (k.t ? 1 : 0);
            };
            if (bit1) {
                boot_code({kNop, k.word}, setup);
            } else {
                boot_code({k.word}, setup);
            }
            const s32 cycles = run_one_slice() - (bit1 ? 1 : 0);
            EXPECT_EQ(cycles, bit1 ? k.set : k.clear) << k.what << (bit1 ? " (bit 1 set)" : "");
            EXPECT_TRUE(sh2_context.status & kSh2StatusHalted) << k.what;
        }
    }
}

}  // namespace
}  // namespace varn
