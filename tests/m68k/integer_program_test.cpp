// An assembled program over the memory and address-register forms of the integer families,
// run on the flat test bus until the line-A opcode that ends it halts the core.

#include <gtest/gtest.h>

#include <string>

#include "m68k_test_support.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

// Runs the program on the main CPU or on the Sega CD sub-CPU (from PRG-RAM, on its own bus)
// and reads the results back through that CPU's memory.
class M68kIntegerProgram : public M68kFixture, public ::testing::WithParamInterface<bool> {
  protected:
    static bool sub() { return GetParam(); }
    static M68kCpuContext& cpu() { return sub() ? s68k_context : m68k_context; }
    static u32 mem(u32 addr, u32 size) {
        return sub() ? read_n<sub_byte>(addr, size) : read_n<main_byte>(addr, size);
    }
    static u32 dr(u32 n) { return cpu().regs[n]; }
    static u32 ar(u32 n) { return cpu().regs[8 + n]; }

    void run() {
        const std::vector<u8> bytes = read_program("m68k_integer");
        ASSERT_FALSE(bytes.empty());
        auto& c = cpu();
        if (sub()) {
            ASSERT_LE(bytes.size(), scd_prg_ram.size());
            std::copy(bytes.begin(), bytes.end(), scd_prg_ram.begin());
            c.fetch_base = kScdPrgRamOffset;
            s68k_reset();
        } else {
            ASSERT_LE(bytes.size(), cart_rom.size());
            std::copy(bytes.begin(), bytes.end(), cart_rom.begin());
            c.fetch_base = kCartRomOffset;
            m68k_reset();
        }
        for (u32 i = 0; i < 100000 && !(c.status & kM68kStatusHalted); ++i) {
            sub() ? s68k_run_slice() : m68k_run_slice();
        }
        ASSERT_TRUE(c.status & kM68kStatusHalted) << "the program did not reach its halt";
        ASSERT_EQ(mem(m68k_current_pc(c), 1), 0xA0u) << "halted at " << m68k_current_pc(c);
    }
};

TEST_P(M68kIntegerProgram, MemoryAndAddressRegisterForms) {
    run();
    // 64-bit addition through ADDX -(Ay),-(Ax).
    EXPECT_EQ(mem(0xFF0000, 4), 4u);
    EXPECT_EQ(mem(0xFF0004, 4), 0u);
    EXPECT_EQ(dr(6) & 0xFF, 0x00u);
    // CMPM string compare.
    EXPECT_EQ(dr(2) & 0xFFFF, 2u);
    EXPECT_EQ(ar(2), 0x406u);
    EXPECT_EQ(ar(3), 0x40Eu);
    EXPECT_EQ(dr(5) & 0xFF, 0xFFu);
    // MOVEM save and restore.
    EXPECT_EQ(dr(3), 0x33333333u);
    EXPECT_EQ(ar(4), 0x44444444u);
    EXPECT_EQ(ar(7), 0xFFFE00u);
    // Read-modify-write.
    EXPECT_EQ(mem(0xFF0100, 4), 0x1234007Fu);
    EXPECT_EQ(dr(4) & 0xFF, 0xFFu);
    EXPECT_EQ(mem(0xFF0104, 2), 0x0000u);
    EXPECT_EQ(mem(0xFF0106, 2), 0x80F0u);
    EXPECT_EQ(mem(0xFF0108, 2), 0x2704u);
    EXPECT_EQ(mem(0xFF010C, 2), 0x2715u);
    // Address arithmetic.
    EXPECT_EQ(dr(0) & 0xFFFF, 0xA000u);
    EXPECT_EQ(ar(6), 0x1000u);
    EXPECT_EQ(dr(7) & 0xFF, 0xFFu);
    // The other CPU's record and work RAM stay untouched.
    const M68kCpuContext& other = sub() ? m68k_context : s68k_context;
    EXPECT_EQ(other.regs[3], 0u);
    if (sub()) {
        EXPECT_EQ(read_n<main_byte>(0xFF0100, 4), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(BothCpus, M68kIntegerProgram, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? std::string("SubCpu") : std::string("MainCpu");
                         });

}  // namespace
}  // namespace varn::test
