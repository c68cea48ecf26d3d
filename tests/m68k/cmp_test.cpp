// CMP, CMPA and CMPM.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kCompare = M68kOpTest;

TEST_F(M68kCompare, Compares) {
    run_cases({
        {.name       = "CMP.B D1,D0: 0x80 - 1 overflows, X kept",
         .code       = {0xB001},
         .regs       = {D(0, 0xFFFFFF80), D(1, 0x12345601)},
         .ccr        = kX,
         .expect_ccr = kX | kV,
         .cycles     = 4},
        {.name       = "CMP.W #0x8000,D0 of 0",
         .code       = {0xB07C, 0x8000},
         .regs       = {D(0, 0xFFFF0000)},
         .expect_ccr = kN | kV | kC},
        {.name       = "CMPA.W #0xFFFF,A0 compares with -1",
         .code       = {0xB0FC, 0xFFFF},
         .regs       = {A(0, 0x0000FFFF)},
         .expect_ccr = kC,
         .cycles     = 6},
        {.name       = "... equal to all ones",
         .code       = {0xB0FC, 0xFFFF},
         .regs       = {A(0, 0xFFFFFFFF)},
         .expect_ccr = kZ},
        {.name       = "CMPA.L (A0)+,A0 compares with the stepped A0",
         .code       = {0xB1D8},
         .regs       = {A(0, kData)},
         .mem        = {L(kData, kData + 4)},
         .expect     = {A(0, kData + 4)},
         .expect_ccr = kZ,
         .cycles     = 6},
        {.name       = "CMPM.W (A0)+,(A0)+ compares the second word minus the first",
         .code       = {0xB148},
         .regs       = {A(0, kData)},
         .mem        = {W(kData, 2), W(kData + 2, 1)},
         .expect     = {A(0, kData + 4)},
         .expect_ccr = kN | kC,
         .cycles     = 12},
        {.name       = "CMPM.B (A7)+,(A7)+ steps A7 by 1 for each",
         .code       = {0xBF0F},
         .regs       = {A(7, kData)},
         .mem        = {B(kData, 7), B(kData + 1, 7)},
         .expect     = {A(7, kData + 2)},
         .expect_ccr = kZ},
        {.name       = "CMPM.L counts 20",
         .code       = {0xB389},
         .regs       = {A(1, kData)},
         .expect     = {A(1, kData + 8)},
         .expect_ccr = kZ,
         .cycles     = 20},
        {.name       = "CMP.B (A7)+,D0 steps A7 by 2",
         .code       = {0xB01F},
         .regs       = {A(7, kData)},
         .expect     = {A(7, kData + 2)},
         .expect_ccr = kZ},
        {.name       = "CMP.L abs.L,D0 counts 6",
         .code       = {0xB0B9, 0x00FF, 0x8000},
         .expect_ccr = kZ,
         .cycles     = 6},
        {.name       = "CMP.B #0x12,D0",
         .code       = {0xB03C, 0x0012},
         .regs       = {D(0, 0x13)},
         .expect_ccr = 0,
         .cycles     = 4},
        {.name       = "CMP.W A1,D0",
         .code       = {0xB049},
         .regs       = {D(0, 0x0001), A(1, 0x00010002)},
         .expect_ccr = kN | kC},
    });
}

TEST_F(M68kCompare, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0xB008, 0xB00F, 0xB03D, 0xB03F, 0xB0FD, 0xB1FE}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    EXPECT_EQ(count_unassigned(0xB000, 0xBFFF), 328u);
}

}  // namespace
}  // namespace varn::test
