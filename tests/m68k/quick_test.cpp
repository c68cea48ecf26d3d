// ADDQ, SUBQ and MOVEQ.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kQuick = M68kOpTest;

TEST_F(M68kQuick, QuickArithmetic) {
    run_cases({
        {.name       = "ADDQ.B #8,D0 (data field 0) wraps to zero",
         .code       = {0x5000},
         .regs       = {D(0, 0x123456F8)},
         .expect     = {D(0, 0x12345600)},
         .expect_ccr = kX | kZ | kC,
         .cycles     = 4},
        {.name       = "SUBQ.W #1,D1 of 0x8000 overflows",
         .code       = {0x5341},
         .regs       = {D(1, 0xFFFF8000)},
         .ccr        = kX | kC,
         .expect     = {D(1, 0xFFFF7FFF)},
         .expect_ccr = kV,
         .cycles     = 4},
        {.name       = "SUBQ.L #1,D2 of 0",
         .code       = {0x5382},
         .expect     = {D(2, 0xFFFFFFFF)},
         .expect_ccr = kX | kN | kC,
         .cycles     = 8},
        {.name       = "ADDQ.W #1,A0 works on all 32 bits, flags kept, 4 cycles",
         .code       = {0x5248},
         .regs       = {A(0, 0x0000FFFF)},
         .ccr        = kN | kC,
         .expect     = {A(0, 0x00010000)},
         .expect_ccr = kN | kC,
         .cycles     = 4},
        {.name   = "SUBQ.W #1,A0 counts 8",
         .code   = {0x5348},
         .expect = {A(0, 0xFFFFFFFF)},
         .cycles = 8},
        {.name   = "SUBQ.L #8,A7",
         .code   = {0x518F},
         .regs   = {A(7, 0x100)},
         .expect = {A(7, 0xF8)},
         .cycles = 8},
        {.name       = "ADDQ.B #1,-(A7) steps A7 down by 2",
         .code       = {0x5227},
         .regs       = {A(7, kData + 2)},
         .mem        = {B(kData, 0x7F)},
         .expect     = {A(7, kData)},
         .expect_mem = {B(kData, 0x80)},
         .expect_ccr = kN | kV,
         .cycles     = 8},
        {.name       = "ADDQ.B #1,(A3)+ steps A3 by 1",
         .code       = {0x521B},
         .regs       = {A(3, kData)},
         .expect     = {A(3, kData + 1)},
         .expect_mem = {B(kData, 0x01)}},
        {.name       = "ADDQ.L #4,(A0) counts 12",
         .code       = {0x5890},
         .regs       = {A(0, kData)},
         .expect_mem = {L(kData, 4)},
         .cycles     = 12},
        {.name       = "ADDQ.W #4,abs.L is 6 bytes and counts 8",
         .code       = {0x5879, 0x00FF, 0x8000},
         .mem        = {W(kData, 0xFFFC)},
         .expect_mem = {W(kData, 0)},
         .expect_ccr = kX | kZ | kC,
         .cycles     = 8},
        {.name       = "MOVEQ #-1,D7",
         .code       = {0x7EFF},
         .ccr        = kX | kZ | kV | kC,
         .expect     = {D(7, 0xFFFFFFFF)},
         .expect_ccr = kX | kN,
         .cycles     = 4},
        {.name       = "MOVEQ #0,D0",
         .code       = {0x7000},
         .regs       = {D(0, 0x12345678)},
         .expect     = {D(0, 0)},
         .expect_ccr = kZ},
        {.name = "MOVEQ #0x7F,D1", .code = {0x727F}, .expect = {D(1, 0x7F)}, .expect_ccr = 0},
    });
}

TEST_F(M68kQuick, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0x7100, 0x7FFF, 0x5208, 0x5F0F, 0x503A, 0x507C, 0x51BF}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    EXPECT_EQ(count_unassigned(0x7000, 0x7FFF), 2048u);
    EXPECT_EQ(count_unassigned(0x5000, 0x5FFF), 512u);
}

}  // namespace
}  // namespace varn::test
