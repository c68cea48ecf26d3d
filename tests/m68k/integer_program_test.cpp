// An assembled program over the memory and address-register forms of the integer families,
// run on the flat test bus until the line-A opcode that ends it halts the core.

#include <gtest/gtest.h>

#include "m68k_test_support.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

class M68kIntegerProgram : public M68kFixture {};

TEST_F(M68kIntegerProgram, MemoryAndAddressRegisterForms) {
    const std::vector<u8> bytes = read_program("m68k_integer");
    ASSERT_FALSE(bytes.empty());
    ASSERT_LE(bytes.size(), cart_rom.size());
    std::copy(bytes.begin(), bytes.end(), cart_rom.begin());
    m68k_context.fetch_base = kCartRomOffset;
    m68k_reset();
    ASSERT_TRUE(run_until_halt());
    ASSERT_EQ(cart_rom[m68k_current_pc(m68k_context)], 0xA0)
        << "halted at " << m68k_current_pc(m68k_context);

    // 64-bit addition through ADDX -(Ay),-(Ax).
    EXPECT_EQ(peek(0xFF0000, 4), 4u);
    EXPECT_EQ(peek(0xFF0004, 4), 0u);
    EXPECT_EQ(d(6) & 0xFF, 0x00u);
    // CMPM string compare.
    EXPECT_EQ(d(2) & 0xFFFF, 2u);
    EXPECT_EQ(a(2), 0x406u);
    EXPECT_EQ(a(3), 0x40Eu);
    EXPECT_EQ(d(5) & 0xFF, 0xFFu);
    // MOVEM save and restore.
    EXPECT_EQ(d(3), 0x33333333u);
    EXPECT_EQ(a(4), 0x44444444u);
    EXPECT_EQ(a(7), 0xFFFE00u);
    // Read-modify-write.
    EXPECT_EQ(peek(0xFF0100, 4), 0x1234007Fu);
    EXPECT_EQ(d(4) & 0xFF, 0xFFu);
    EXPECT_EQ(peek(0xFF0104, 2), 0x0000u);
    EXPECT_EQ(peek(0xFF0106, 2), 0x80F0u);
    EXPECT_EQ(peek(0xFF0108, 2), 0x2704u);
    EXPECT_EQ(peek(0xFF010C, 2), 0x2715u);
    // Address arithmetic.
    EXPECT_EQ(d(0) & 0xFFFF, 0xA000u);
    EXPECT_EQ(a(6), 0x1000u);
    EXPECT_EQ(d(7) & 0xFF, 0xFFu);
}

}  // namespace
}  // namespace varn::test
