// OR and AND in both directions.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kLogic = M68kOpTest;

TEST_F(M68kLogic, OrAnd) {
    run_cases({
        {.name       = "OR.B D1,D0 keeps the upper bytes and X",
         .code       = {0x8001},
         .regs       = {D(0, 0x12345600), D(1, 0xFF)},
         .ccr        = kX | kV | kC,
         .expect     = {D(0, 0x123456FF)},
         .expect_ccr = kX | kN,
         .cycles     = 4},
        {.name       = "AND.W #0,D0 clears the low word only",
         .code       = {0xC07C, 0x0000},
         .regs       = {D(0, 0x8765FFFF)},
         .ccr        = 0xE0 | kN,
         .expect     = {D(0, 0x87650000)},
         .expect_ccr = kZ,
         .cycles     = 4},
        {.name   = "OR.L abs.L,D0 counts 6",
         .code   = {0x80B9, 0x00FF, 0x8000},
         .mem    = {L(kData, 0x00F00000)},
         .expect = {D(0, 0x00F00000)},
         .cycles = 6},
        {.name       = "OR.L D0,abs.L counts 12",
         .code       = {0x81B9, 0x00FF, 0x8000},
         .regs       = {D(0, 0x80000000)},
         .mem        = {L(kData, 1)},
         .expect_mem = {L(kData, 0x80000001)},
         .expect_ccr = kN,
         .cycles     = 12},
        {.name       = "OR.B (A7)+,D0 steps A7 by 2",
         .code       = {0x801F},
         .regs       = {A(7, kData)},
         .expect     = {A(7, kData + 2)},
         .expect_ccr = kZ},
        {.name       = "OR.B (A0)+,D0 steps A0 by 1",
         .code       = {0x8018},
         .regs       = {A(0, kData)},
         .expect     = {A(0, kData + 1)},
         .expect_ccr = kZ},
        {.name       = "OR.W (A7)+,D0 steps A7 by 2",
         .code       = {0x805F},
         .regs       = {A(7, kData)},
         .expect     = {A(7, kData + 2)},
         .expect_ccr = kZ},
        {.name       = "OR.L D0,(A0)+ writes where it read",
         .code       = {0x8198},
         .regs       = {D(0, 0x0F), A(0, kData)},
         .mem        = {L(kData, 0xF0)},
         .expect     = {A(0, kData + 4)},
         .expect_mem = {L(kData, 0xFF), L(kData + 4, 0)}},
        {.name       = "OR.B D0,-(A7) steps A7 down by 2",
         .code       = {0x8127},
         .regs       = {D(0, 0x01), A(7, kData + 2)},
         .expect     = {A(7, kData)},
         .expect_mem = {B(kData, 0x01)},
         .cycles     = 8},
        {.name       = "AND.B D1,(A0)",
         .code       = {0xC310},
         .regs       = {D(1, 0x3C), A(0, kData)},
         .mem        = {B(kData, 0xF0)},
         .expect_mem = {B(kData, 0x30)}},
        {.name       = "AND.L d16(PC),D2",
         .code       = {0xC4BA, 0x0010},
         .regs       = {D(2, 0xFFFFFFFF)},
         .mem        = {L(kCodeAt + 2 + 0x10, 0x80000001)},
         .expect     = {D(2, 0x80000001)},
         .expect_ccr = kN},
    });
}

TEST_F(M68kLogic, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0x8008, 0x8048, 0xC088, 0x813C, 0x813A, 0x8140, 0x8188, 0xC180, 0x803D}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    EXPECT_FALSE(halts(0x803C));  // OR.B #imm,D0
}

}  // namespace
}  // namespace varn::test
