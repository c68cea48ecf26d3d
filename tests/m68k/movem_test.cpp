// MOVEM: register lists to memory and back, word and long, every addressing mode.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kMovem = M68kOpTest;

TEST_F(M68kMovem, ListsToMemoryAndBack) {
    run_cases({
        {.name       = "MOVEM.W D0/D1,(A1) leaves A1 alone",
         .code       = {0x4891, 0x0003},
         .regs       = {D(0, 0xAAAA1111), D(1, 0xBBBB2222), A(1, kData)},
         .ccr        = 0xFF,
         .expect_mem = {W(kData, 0x1111), W(kData + 2, 0x2222), W(kData + 4, 0)},
         .expect_ccr = 0xFF,
         .cycles     = 8},
        {.name       = "MOVEM.L A3,-(A3) stores A3 minus 4",
         .code       = {0x48E3, 0x0010},
         .regs       = {A(3, kData + 0x10)},
         .expect     = {A(3, kData + 0x0C)},
         .expect_mem = {L(kData + 0x0C, kData + 0x0C)},
         .cycles     = 8},
        {.name       = "MOVEM.L D1/A2,-(A0): reversed list, ascending memory",
         .code       = {0x48E0, 0x4020},
         .regs       = {D(1, 0x11111111), A(2, 0x22222222), A(0, kData + 0x20)},
         .expect     = {A(0, kData + 0x18)},
         .expect_mem = {L(kData + 0x18, 0x11111111), L(kData + 0x1C, 0x22222222)}},
        {.name   = "MOVEM.W (A0)+,D0 sign-extends into all of D0",
         .code   = {0x4C98, 0x0001},
         .regs   = {D(0, 0x12345678), A(0, kData)},
         .mem    = {W(kData, 0x8001)},
         .expect = {D(0, 0xFFFF8001), A(0, kData + 2)},
         .cycles = 12},
        {.name   = "MOVEM.L (A0)+,D0/A0 ends A0 after the values",
         .code   = {0x4CD8, 0x0101},
         .regs   = {A(0, kData)},
         .mem    = {L(kData, 0x01020304), L(kData + 4, 0x05060708)},
         .expect = {D(0, 0x01020304), A(0, kData + 8)}},
        {.name   = "MOVEM.W d16(A2),A1 sign-extends an address register",
         .code   = {0x4CAA, 0x0200, 0x0010},
         .regs   = {A(2, kData)},
         .mem    = {W(kData + 0x10, 0x7FFE)},
         .expect = {A(1, 0x7FFE)},
         .cycles = 16},
        {.name   = "MOVEM.L d16(PC),D0 reads behind the list word",
         .code   = {0x4CFA, 0x0001, 0x0020},
         .mem    = {L(kCodeAt + 4 + 0x20, 0xCAFEF00D)},
         .expect = {D(0, 0xCAFEF00D)},
         .cycles = 16},
        {.name       = "MOVEM.L D0-D1,abs.L",
         .code       = {0x48F9, 0x0003, 0x00FF, 0x8040},
         .regs       = {D(0, 1), D(1, 2)},
         .expect_mem = {L(kData + 0x40, 1), L(kData + 0x44, 2)},
         .cycles     = 16},
        {.name   = "an empty list with -(An) leaves An",
         .code   = {0x48A4, 0x0000},
         .regs   = {A(4, kData + 8)},
         .cycles = 8},
        {.name   = "an empty list with (An)+ leaves An",
         .code   = {0x4CDC, 0x0000},
         .regs   = {A(4, kData + 8)},
         .cycles = 12},
    });
}

// The usual register save and restore around a subroutine, through the stack.
TEST_F(M68kMovem, SaveAndRestoreThroughTheStack) {
    start_at(kCodeAt, {0x48E7, 0xFFFE, 0x4CDF, 0x7FFF, 0xA000});
    auto& c = m68k_context;
    for (u32 i = 0; i < 15; ++i) c.regs[i] = 0x01010101u * (i + 1);
    const auto saved = c.regs;
    const u32 sp     = c.regs[15];
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(c.regs[15], sp - 60);
    EXPECT_EQ(peek(sp - 60, 4), saved[0]);  // D0 lowest
    EXPECT_EQ(peek(sp - 4, 4), saved[14]);  // A6 just below the old A7
    for (u32 i = 0; i < 15; ++i) c.regs[i] = 0;
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(c.regs, saved);
}

TEST_F(M68kMovem, EmptyListMakesNoBusAccess) {
    start_at(kCodeAt, {0x48D0, 0x0000, 0x4CD0, 0x0000, 0xA000});
    a(0)          = kData;
    bus_logging() = true;
    step();
    step();
    EXPECT_TRUE(bus_log().empty());
    EXPECT_EQ(m68k_context.pc, kCodeAt + 8);
}

TEST_F(M68kMovem, EncodingsWithoutAMemberHalt) {
    for (u16 op :
         {0x4888, 0x4898, 0x48BA, 0x48DF, 0x48FC, 0x4C80, 0x4CA0, 0x4CBC, 0x4CE7, 0x4CFF}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    EXPECT_FALSE(halts(0x48A7));  // -(A7)
    EXPECT_FALSE(halts(0x4CDF));  // (A7)+
}

}  // namespace
}  // namespace varn::test
