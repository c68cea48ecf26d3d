// A program assembled at build time runs on both instances of the older core, and on the
// main core for comparison.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "legacy_m68k_support.h"

namespace varn::test {
namespace {

std::vector<u8> program(const char* name) {
    std::ifstream in(std::string(VARN_TESTPROG_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr u32 kResults    = 0x8000;
constexpr u32 kExpected[] = {0x13BA0000, 0x00001A6D, 0x00001A6D, 0x20002700, 0x02A602BB, 10, 3};

class LegacyProgramTest : public LegacyFixture {
  protected:
    static u32 result(const u8* image, u32 i) {
        // The first result is a word followed by the long that starts at +2.
        const u32 at = kResults + (i == 0 ? 0 : 2 + 4 * (i - 1));
        return i == 0 ? load_be16(image + at) << 16 : load_be32(image + at);
    }
    static void check(const u8* image) {
        EXPECT_EQ(result(image, 0), kExpected[0]);
        EXPECT_EQ(result(image, 1), kExpected[1]);
        EXPECT_EQ(result(image, 2), kExpected[2]);
        EXPECT_EQ(load_be16(image + kResults + 10), 0x2000u);
        EXPECT_EQ(load_be16(image + kResults + 12), 0x2700u);
        EXPECT_EQ(load_be32(image + kResults + 14), kExpected[4]);
        EXPECT_EQ(load_be32(image + kResults + 18), kExpected[5]);
        EXPECT_EQ(load_be32(image + kResults + 22), kExpected[6]);
    }
};

TEST_F(LegacyProgramTest, RunsOnBothInstances) {
    const std::vector<u8> code = program("legacy_checks.bin");
    ASSERT_GT(code.size(), 0x200u) << "legacy_checks.bin was not built";
    for (const bool sub : {false, true}) {
        SCOPED_TRACE(sub ? "sub-CPU" : "main CPU");
        SetUp();
        u8* image = sub ? scd_prg_ram.data() : cart_rom.data();
        std::copy(code.begin(), code.end(), image);
        M68kCpuContextV024& c = sub ? s68k_context_v024 : m68k_context_v024;
        c.fetch_base          = sub ? kScdPrgRamOffset : kCartRomOffset;
        if (sub) {
            s68k_reset_v024();
        } else {
            m68k_reset_v024();
        }
        for (u32 i = 0; i < 2000 && !(c.status & kM68kStatusHalted); ++i) {
            if (sub) {
                s68k_run_slice_v024();
            } else {
                m68k_run_slice_v024();
            }
        }
        ASSERT_TRUE(c.status & kM68kStatusHalted);
        EXPECT_EQ(load_be16(image + c.pc), 0xA000u);  // halted at `done`
        check(image);
    }
}

TEST_F(LegacyProgramTest, MainCoreAgrees) {
    const std::vector<u8> code = program("legacy_checks.bin");
    ASSERT_GT(code.size(), 0x200u);
    m68k_build_jump_table();
    m68k_reset_records();
    std::copy(code.begin(), code.end(), cart_rom.begin());
    m68k_context.fetch_base = kCartRomOffset;
    m68k_reset();
    for (u32 i = 0; i < 2000 && !(m68k_context.status & kM68kStatusHalted); ++i) m68k_run_slice();
    ASSERT_TRUE(m68k_context.status & kM68kStatusHalted);
    check(cart_rom.data());
}

}  // namespace
}  // namespace varn::test
