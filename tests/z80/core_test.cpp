// Run loop, slices, interrupts, HALT, traps, R register, state chunk.

#include "z80_fixture.h"

namespace varn::test {
namespace {

class Z80CoreTest : public Z80Test {};

TEST_F(Z80CoreTest, ResetState) {
    c.af = 0x1234;
    z80_reset();
    EXPECT_EQ(c.af, 0x1240);
    EXPECT_EQ(c.pc, 0);
    EXPECT_EQ(c.sp, 0);
    EXPECT_EQ(c.ix, 0xFFFF);
    EXPECT_EQ(c.iy, 0xFFFF);
    EXPECT_EQ(c.iff1, 0);
}

TEST_F(Z80CoreTest, RunsSmallProgram) {
    load({0x3E, 0x12, 0x3C, 0x76});  // ld a,0x12 / inc a / halt
    c.slice_budget = -100;
    z80_run();
    EXPECT_EQ(a(), 0x13);
    EXPECT_EQ(c.pc, 3);
    EXPECT_EQ(c.halted, 1);
}

}  // namespace
}  // namespace varn::test
