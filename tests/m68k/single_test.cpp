// NEGX, CLR, NEG, NOT, TST, TAS, NBCD, EXT, SWAP, PEA and the do-nothing opcodes of line 4.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kSingle = M68kOpTest;

TEST_F(M68kSingle, NegationAndComplement) {
    run_cases({
        {.name       = "NEGX.B of 0, X clear, keeps Z",
         .code       = {0x4000},
         .ccr        = kZ | kN,
         .expect_ccr = kZ},
        {.name       = "NEGX.B of 0, X set, gives all ones and clears Z",
         .code       = {0x4000},
         .ccr        = kX | kZ,
         .expect     = {D(0, 0xFF)},
         .expect_ccr = kX | kN | kC,
         .cycles     = 4},
        {.name       = "NEGX.L of 1 with X set",
         .code       = {0x4081},
         .regs       = {D(1, 1)},
         .ccr        = kX,
         .expect     = {D(1, 0xFFFFFFFE)},
         .expect_ccr = kX | kN | kC,
         .cycles     = 6},
        {.name       = "NEGX.B -(A7) steps A7 by 2",
         .code       = {0x4027},
         .regs       = {A(7, kData + 2)},
         .mem        = {B(kData, 0x80)},
         .expect     = {A(7, kData)},
         .expect_mem = {B(kData, 0x80)},
         .expect_ccr = kX | kN | kV | kC,
         .cycles     = 8},
        {.name       = "NEGX.B -(A6) steps A6 by 1",
         .code       = {0x4026},
         .regs       = {A(6, kData + 2)},
         .mem        = {B(kData + 1, 0x01)},
         .expect     = {A(6, kData + 1)},
         .expect_mem = {B(kData + 1, 0xFF)},
         .expect_ccr = kX | kN | kC},
        {.name       = "NEG.B of 0x80",
         .code       = {0x4400},
         .regs       = {D(0, 0x12345680)},
         .expect     = {D(0, 0x12345680)},
         .expect_ccr = kX | kN | kV | kC},
        {.name = "NEG.W of 0", .code = {0x4440}, .ccr = kX | kC, .expect_ccr = kZ},
        {.name       = "NEG.L (A0) counts 12",
         .code       = {0x4490},
         .regs       = {A(0, kData)},
         .mem        = {L(kData, 1)},
         .expect_mem = {L(kData, 0xFFFFFFFF)},
         .expect_ccr = kX | kN | kC,
         .cycles     = 12},
        {.name       = "NOT.B keeps X and the upper bytes",
         .code       = {0x4600},
         .regs       = {D(0, 0xABCDEFFF)},
         .ccr        = kX | kV | kC,
         .expect     = {D(0, 0xABCDEF00)},
         .expect_ccr = kX | kZ},
        {.name       = "NOT.W d16(A1)",
         .code       = {0x4669, 0xFFFE},
         .regs       = {A(1, kData + 2)},
         .mem        = {W(kData, 0x7FFF)},
         .expect_mem = {W(kData, 0x8000)},
         .expect_ccr = kN,
         .cycles     = 8},
    });
}

TEST_F(M68kSingle, DecimalNegation) {
    run_cases({
        {.name       = "NBCD of 0x00 with X set",
         .code       = {0x4800},
         .ccr        = kX | kZ,
         .expect     = {D(0, 0x99)},
         .expect_ccr = kX | kC,
         .cycles     = 6},
        {.name       = "NBCD of 0x99 with X set gives 0 and keeps Z",
         .code       = {0x4800},
         .regs       = {D(0, 0x99)},
         .ccr        = kX | kZ,
         .expect     = {D(0, 0x00)},
         .expect_ccr = kX | kZ | kC},
        {.name       = "NBCD of 0x01",
         .code       = {0x4800},
         .regs       = {D(0, 0x01)},
         .expect     = {D(0, 0x99)},
         .expect_ccr = kX | kC},
        {.name = "NBCD of 0 without X", .code = {0x4800}, .ccr = kN | kV, .expect_ccr = 0},
        {.name       = "NBCD (A0) of 0x10",
         .code       = {0x4810},
         .regs       = {A(0, kData)},
         .mem        = {B(kData, 0x10)},
         .expect_mem = {B(kData, 0x90)},
         .expect_ccr = kX | kC,
         .cycles     = 8},
    });
}

TEST_F(M68kSingle, ClearTestAndTas) {
    run_cases({
        {.name       = "CLR.W A3 clears the low word only",
         .code       = {0x424B},
         .regs       = {A(3, 0x12345678)},
         .ccr        = kX | kN | kV | kC,
         .expect     = {A(3, 0x12340000)},
         .expect_ccr = kX | kZ,
         .cycles     = 4},
        {.name       = "CLR.L A3",
         .code       = {0x428B},
         .regs       = {A(3, 0x12345678)},
         .expect     = {A(3, 0)},
         .expect_ccr = kZ,
         .cycles     = 6},
        {.name       = "CLR.B D2",
         .code       = {0x4202},
         .regs       = {D(2, 0x123456FF)},
         .expect     = {D(2, 0x12345600)},
         .expect_ccr = kZ},
        {.name       = "CLR.L d16(A0) counts 12",
         .code       = {0x42A8, 0x0004},
         .regs       = {A(0, kData)},
         .mem        = {L(kData + 4, 0xFFFFFFFF)},
         .expect_mem = {L(kData + 4, 0)},
         .expect_ccr = kZ,
         .cycles     = 12},
        {.name       = "TST.B (A7)+ steps A7 by 2",
         .code       = {0x4A1F},
         .regs       = {A(7, kData)},
         .mem        = {B(kData, 0x80)},
         .ccr        = kX | kV | kC,
         .expect     = {A(7, kData + 2)},
         .expect_ccr = kX | kN,
         .cycles     = 4},
        {.name = "TST.L #imm is 6 bytes", .code = {0x4ABC, 0x8000, 0x0000}, .expect_ccr = kN},
        {.name = "TST.W d16(PC)", .code = {0x4A7A, 0x0010}, .expect_ccr = kZ, .cycles = 4},
        {.name       = "TAS D0 sets bit 7 after taking N from the byte",
         .code       = {0x4AC0},
         .regs       = {D(0, 0x01)},
         .expect     = {D(0, 0x81)},
         .expect_ccr = 0,
         .cycles     = 4},
        {.name       = "TAS (A0) of 0",
         .code       = {0x4AD0},
         .regs       = {A(0, kData)},
         .expect_mem = {B(kData, 0x80)},
         .expect_ccr = kZ,
         .cycles     = 14},
    });
}

TEST_F(M68kSingle, RegisterFormsAndPea) {
    run_cases({
        {.name       = "EXT.W keeps the upper word",
         .code       = {0x4880},
         .regs       = {D(0, 0x123456F0)},
         .expect     = {D(0, 0x1234FFF0)},
         .expect_ccr = kN,
         .cycles     = 4},
        {.name       = "EXT.L replaces the register",
         .code       = {0x48C1},
         .regs       = {D(1, 0x12348000)},
         .expect     = {D(1, 0xFFFF8000)},
         .expect_ccr = kN},
        {.name       = "EXT.L of a positive word",
         .code       = {0x48C1},
         .regs       = {D(1, 0xFFFF0000)},
         .expect     = {D(1, 0)},
         .expect_ccr = kZ},
        {.name       = "SWAP clears the flagless CCR bits",
         .code       = {0x4847},
         .regs       = {D(7, 0x12345678)},
         .ccr        = 0xE0 | kX | kC,
         .expect     = {D(7, 0x56781234)},
         .expect_ccr = kX,
         .cycles     = 4},
        {.name       = "PEA (A7) pushes A7 as it was, keeping the CCR",
         .code       = {0x4857},
         .regs       = {A(7, kData + 0x100)},
         .ccr        = 0xE0 | kZ,
         .expect     = {A(7, kData + 0xFC)},
         .expect_mem = {L(kData + 0xFC, kData + 0x100)},
         .expect_ccr = 0xE0 | kZ,
         .cycles     = 12},
        {.name       = "PEA d16(PC)",
         .code       = {0x487A, 0x0010},
         .regs       = {A(7, kData + 0x100)},
         .expect     = {A(7, kData + 0xFC)},
         .expect_mem = {L(kData + 0xFC, kCodeAt + 2 + 0x10)},
         .cycles     = 16},
        {.name       = "PEA abs.W sign-extends",
         .code       = {0x4878, 0x8000},
         .regs       = {A(7, kData + 0x100)},
         .expect     = {A(7, kData + 0xFC)},
         .expect_mem = {L(kData + 0xFC, 0xFFFF8000)},
         .cycles     = 16},
    });
}

// CLR only writes; TAS writes back even a byte whose bit 7 was set.
TEST_F(M68kSingle, BusAccessesOfClrAndTas) {
    start_at(kCodeAt, {0x4250, 0x4AD0, 0xA000});
    a(0) = kData;
    poke(kData, 0x80FF, 2);
    bus_logging() = true;
    step();
    step();
    EXPECT_EQ(bus_log(), (std::vector<BusAccess>{
                             {'w', 2, kData, 0}, {'r', 1, kData, 0}, {'w', 1, kData, 0x80}}));
    bus_log().clear();
    poke(kData, 0x80, 1);
    start_at(kCodeAt, {0x4AD0, 0xA000});
    step();
    EXPECT_EQ(bus_log(), (std::vector<BusAccess>{{'r', 1, kData, 0x80}, {'w', 1, kData, 0x80}}));
    EXPECT_EQ(m68k_context.sr & 0xFF, kN);
}

TEST_F(M68kSingle, DoNothingOpcodesAndHalts) {
    start_at(kCodeAt, {0x484D, 0x4E71, 0xA000});
    m68k_context.sr = 0x27FF;
    EXPECT_EQ(step(), 4u);  // 0 for the no-op, 4 for the NOP behind it
    EXPECT_EQ(m68k_context.sr, 0x27FF);
    for (u16 op : {0x4008, 0x403A, 0x42C0, 0x4808, 0x483A, 0x4A08, 0x4A3D, 0x4AC8, 0x4AFA, 0x4858,
                   0x4860, 0x487C}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    for (u16 op : {0x4208, 0x4A3C, 0x4A3B}) EXPECT_FALSE(halts(op)) << std::hex << op;
}

// NBCD against decimal arithmetic: every valid packed-decimal byte, with and without X.
TEST_F(M68kSingle, NbcdIsDecimalNegation) {
    for (u32 tens = 0; tens < 10; ++tens) {
        for (u32 units = 0; units < 10; ++units) {
            for (u32 x : {0u, 1u}) {
                const u32 value   = tens * 10 + units;
                const u32 decimal = (200 - value - x) % 100;
                start_at(kCodeAt, {0x4800, 0xA000});
                d(0)            = (tens << 4) | units;
                m68k_context.sr = static_cast<u16>(0x2700 | (x ? kX : 0) | kZ);
                step();
                EXPECT_EQ(d(0), ((decimal / 10) << 4) | (decimal % 10)) << value << " x " << x;
                const bool borrow = value + x > 0;
                EXPECT_EQ(m68k_context.sr & 0xFF,
                          (borrow ? kX | kC : 0u) | (decimal == 0 ? kZ : 0u))
                    << value << " x " << x;
            }
        }
    }
}

}  // namespace
}  // namespace varn::test
