// Small 68000 programs, assembled at build time, run on the flat test bus until the line-A
// opcode that ends each of them halts the core.

#include <gtest/gtest.h>

#include "m68k_test_support.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

class M68kPrograms : public M68kFixture {
  protected:
    // Loads the program at 0, resets from its vectors and runs it to its halt.
    void run_program(const char* name) {
        const std::vector<u8> bytes = read_program(name);
        ASSERT_FALSE(bytes.empty()) << name;
        ASSERT_LE(bytes.size(), cart_rom.size());
        std::copy(bytes.begin(), bytes.end(), cart_rom.begin());
        m68k_context.fetch_base = kCartRomOffset;
        m68k_reset();
        ASSERT_TRUE(run_until_halt()) << name << " did not reach its halt";
        ASSERT_EQ(cart_rom[m68k_current_pc(m68k_context)], 0xA0)
            << "halted at " << m68k_current_pc(m68k_context);
    }
};

TEST_F(M68kPrograms, Flow) {
    run_program("m68k_flow");
    EXPECT_EQ(a(0), 55u);
    EXPECT_EQ(d(1), 0xABCDFFFFu);
    EXPECT_EQ(a(2), 3u);
    EXPECT_EQ(d(3), 0x777777FFu);
    EXPECT_EQ(d(4), 0x77777700u);
    EXPECT_EQ(d(5) & 0xFF, 0x11u);
    EXPECT_EQ(peek(0xFF0000, 4), 0x12345678u);
    EXPECT_EQ(a(6), 0xFFF000u);
    EXPECT_EQ(a(7), 0xFFFE00u);
}

TEST_F(M68kPrograms, Copy) {
    run_program("m68k_copy");
    for (u32 i = 0; i < 16; i += 2) {
        EXPECT_EQ(peek(0xFF0000 + i, 2), i == 10 ? 0x5A5Au : (i << 8) | (i + 1)) << i;
    }
    EXPECT_EQ(peek(0xFF0010, 2), 0x5A5Au);
    EXPECT_EQ(peek(0xFF0014, 4), 0xCAFEF00Du);
    EXPECT_EQ(d(2), 0x01020304u);
    EXPECT_EQ(peek(0xFF0018, 4), 0xFFFFFFFEu);
    EXPECT_EQ(peek(0xFF001C, 4), 0x00FFFE00u);
    EXPECT_EQ(peek(0xFF0020, 2), 0x1122u);
}

TEST_F(M68kPrograms, Traps) {
    run_program("m68k_traps");
    EXPECT_EQ(d(4), 2u);
    EXPECT_EQ(d(5), 1u);
    EXPECT_EQ(d(6), 1u);
    EXPECT_EQ(d(7), 1u);
    EXPECT_EQ(a(5), 0x00FF8000u);
    EXPECT_EQ(peek(0xFF0000, 2), 0x0000u);
    EXPECT_EQ(m68k_context.sr, 0x2004);  // supervisor; Z from the last MOVE
    EXPECT_EQ(m68k_context.sp_slots[kM68kUserSlot], 0x00FF8000u);
}

}  // namespace
}  // namespace varn::test
