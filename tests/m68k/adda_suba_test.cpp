// ADDA and SUBA.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kAddaSuba = M68kOpTest;

TEST_F(M68kAddaSuba, WholeRegisterArithmetic) {
    run_cases({
        {.name       = "SUBA.W #1,A0 works on all 32 bits and keeps the flags",
         .code       = {0x90FC, 0x0001},
         .ccr        = kX | kZ,
         .expect     = {A(0, 0xFFFFFFFF)},
         .expect_ccr = kX | kZ,
         .cycles     = 8},
        {.name   = "SUBA.W #0xFFFF,A0 subtracts minus one",
         .code   = {0x90FC, 0xFFFF},
         .expect = {A(0, 1)}},
        {.name   = "ADDA.W D0,A1 sign-extends the low word",
         .code   = {0xD2C0},
         .regs   = {D(0, 0x12348000), A(1, 0x00010000)},
         .expect = {A(1, 0x00008000)},
         .cycles = 8},
        {.name       = "ADDA.L A0,A0 doubles",
         .code       = {0xD1C8},
         .regs       = {A(0, 0x40000001)},
         .ccr        = kN,
         .expect     = {A(0, 0x80000002)},
         .expect_ccr = kN,
         .cycles     = 6},
        {.name   = "SUBA.L A3,A3 clears",
         .code   = {0x97CB},
         .regs   = {A(3, 0x1234)},
         .expect = {A(3, 0)}},
        {.name   = "ADDA.W (A0)+,A0 adds to the stepped A0",
         .code   = {0xD0D8},
         .regs   = {A(0, kData)},
         .mem    = {W(kData, 0xFFFE)},
         .expect = {A(0, kData + 2 - 2)}},
        {.name   = "ADDA.W (A7)+,A1 steps A7 by 2",
         .code   = {0xD2DF},
         .regs   = {A(7, kData)},
         .mem    = {W(kData, 0x0005)},
         .expect = {A(1, 5), A(7, kData + 2)}},
        {.name   = "ADDA.L -(A7),A1 steps A7 by 4",
         .code   = {0xD3E7},
         .regs   = {A(7, kData + 4)},
         .mem    = {L(kData, 0x00010000)},
         .expect = {A(1, 0x00010000), A(7, kData)}},
        {.name   = "SUBA.L #imm,A0 is 6 bytes",
         .code   = {0x91FC, 0x0001, 0x0000},
         .regs   = {A(0, 0x00010000)},
         .expect = {A(0, 0)},
         .cycles = 6},
    });
}

TEST_F(M68kAddaSuba, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0x90FD, 0x90FF, 0xD1FD, 0xD1FF, 0x91FE})
        EXPECT_TRUE(halts(op)) << std::hex << op;
}

}  // namespace
}  // namespace varn::test
