// ADDX and SUBX: X carried in, Z only ever cleared, the -(Ay),-(Ax) memory form.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kAddxSubx = M68kOpTest;

TEST_F(M68kAddxSubx, ExtendedArithmetic) {
    run_cases({
        {.name       = "ADDX.B carry out of 0xFF + 0 + X keeps Z set",
         .code       = {0xD101},
         .regs       = {D(0, 0x123456FF)},
         .ccr        = kX | kZ,
         .expect     = {D(0, 0x12345600)},
         .expect_ccr = kX | kZ | kC,
         .cycles     = 4},
        {.name       = "... and keeps Z clear",
         .code       = {0xD101},
         .regs       = {D(0, 0xFF)},
         .ccr        = kX,
         .expect     = {D(0, 0)},
         .expect_ccr = kX | kC},
        {.name       = "SUBX.B 0 - 0xFF - 1 borrows",
         .code       = {0x9101},
         .regs       = {D(1, 0xFF)},
         .ccr        = kX | kZ,
         .expect_ccr = kX | kZ | kC},
        {.name       = "SUBX.W with a non-zero result clears Z",
         .code       = {0x9141},
         .regs       = {D(0, 5), D(1, 2)},
         .ccr        = kZ,
         .expect     = {D(0, 3)},
         .expect_ccr = 0,
         .cycles     = 4},
        {.name       = "ADDX.B the carry in alone overflows",
         .code       = {0xD101},
         .regs       = {D(0, 0x7F)},
         .ccr        = kX,
         .expect     = {D(0, 0x80)},
         .expect_ccr = kN | kV},
        {.name       = "ADDX.B 0xFF + 0x80 + 1",
         .code       = {0xD101},
         .regs       = {D(0, 0xFF), D(1, 0x80)},
         .ccr        = kX,
         .expect     = {D(0, 0x80)},
         .expect_ccr = kX | kN | kC},
        {.name       = "SUBX.B 0x80 - 0 - 1 overflows",
         .code       = {0x9101},
         .regs       = {D(0, 0x80)},
         .ccr        = kX,
         .expect     = {D(0, 0x7F)},
         .expect_ccr = kV},
        {.name       = "ADDX.L register form counts 8",
         .code       = {0xD581},
         .regs       = {D(1, 0xFFFFFFFF), D(2, 0xFFFFFFFF)},
         .expect     = {D(2, 0xFFFFFFFE)},
         .expect_ccr = kX | kN | kC,
         .cycles     = 8},
        {.name       = "SUBX.B -(A7),-(A7) steps A7 by 1 for each operand",
         .code       = {0x9F0F},
         .regs       = {A(7, kData + 2)},
         .mem        = {B(kData, 0x05), B(kData + 1, 0x02)},
         .ccr        = kZ,
         .expect     = {A(7, kData)},
         .expect_mem = {B(kData, 0x03), B(kData + 1, 0x02)},
         .cycles     = 18},
        {.name       = "ADDX.L -(A1),-(A0) counts 30",
         .code       = {0xD189},
         .regs       = {A(0, kData + 4), A(1, kData + 0x14)},
         .mem        = {L(kData, 0x7FFFFFFF), L(kData + 0x10, 1)},
         .expect     = {A(0, kData), A(1, kData + 0x10)},
         .expect_mem = {L(kData, 0x80000000)},
         .expect_ccr = kN | kV,
         .cycles     = 30},
    });
}

TEST_F(M68kAddxSubx, MemoryFormReadsSourceThenDestination) {
    start_at(kCodeAt, {0xD189, 0xA000});
    a(0) = kData + 4;
    a(1) = kData + 0x14;
    poke(kData, 0x10, 4);
    poke(kData + 0x10, 0x20, 4);
    bus_logging() = true;
    step();
    EXPECT_EQ(bus_log(),
              (std::vector<BusAccess>{
                  {'r', 4, kData + 0x10, 0x20}, {'r', 4, kData, 0x10}, {'w', 4, kData, 0x30}}));
}

// A 64-bit addition, ADD.L of the low longs then ADDX.L of the high longs: Z at the end is
// set exactly when both halves of the result are zero.
TEST_F(M68kAddxSubx, ChainTestsTheWholeResult) {
    struct Sum {
        u32 hi0, lo0, hi1, lo1;
        bool z;
    };
    for (const Sum& s : {Sum{0, 0, 0, 0, true}, Sum{0, 1, 0, 0xFFFFFFFF, false},
                         Sum{0xFFFFFFFF, 1, 0, 0xFFFFFFFF, true}, Sum{1, 0, 0, 0, false}}) {
        // D2:D1 += D3:D0 as ADD.L D0,D1 then ADDX.L D3,D2.
        start_at(kCodeAt, {0xD280, 0xD583, 0xA000});
        m68k_context.sr = 0x2700 | kZ;
        d(0)            = s.lo0;
        d(1)            = s.lo1;
        d(3)            = s.hi0;
        d(2)            = s.hi1;
        step();
        step();
        EXPECT_EQ((m68k_context.sr & kZ) != 0, s.z) << std::hex << s.hi0 << ":" << s.lo0;
    }
}

}  // namespace
}  // namespace varn::test
