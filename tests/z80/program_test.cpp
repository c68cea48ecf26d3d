// Assembled Z80 programs run on the Genesis map, the 68000 side being the real bus.

#include "genesis/bus/bus.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "memory/memory.h"
#include "support/test_files.h"
#include "z80_fixture.h"

namespace varn::test {
namespace {

class Z80ProgramTest : public Z80Test {
  protected:
    void SetUp() override {
        Z80Test::SetUp();
        memory_clear();
        genesis_bus_reset_records();
        ym2612_reset();
        psg_reset();
    }
    void TearDown() override {
        genesis_bus_reset_records();
        Z80Test::TearDown();
    }
    void load_program(const std::string& name) {
        const auto bin = read_program(name);
        ASSERT_FALSE(bin.empty()) << name;
        ASSERT_LE(bin.size(), kZ80RamSize);
        std::copy(bin.begin(), bin.end(), z80_ram.begin());
        z80_reset();
    }
    // Runs default-length slices until the core waits in HALT (or a slice cap is hit).
    void run_until_halt(int max_slices = 200000) {
        c.slice_budget = kZ80DefaultSliceBudget;
        for (int i = 0; i < max_slices && !c.halted && !z80_is_stopped(); ++i) z80_run();
        ASSERT_FALSE(z80_is_stopped());
        ASSERT_TRUE(c.halted);
    }
    u16 word(u16 at) const { return static_cast<u16>(z80_ram[at] | (z80_ram[at + 1] << 8)); }
};

TEST_F(Z80ProgramTest, ArithmeticWorkout) {
    load_program("z80_arith");
    run_until_halt();
    EXPECT_EQ(word(0x1000), 0x1D78);  // 0x1234 * 0x56
    EXPECT_EQ(word(0x1002), 0x2000);  // BCD 1999 + 1
    EXPECT_EQ(word(0x1004), 5050);
    EXPECT_EQ(z80_ram[0x1008], 5);  // strlen("HELLO")
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&z80_ram[0x1010])), "HELLO");
    EXPECT_EQ(word(0x100A), 6765);  // Fibonacci 20
    EXPECT_EQ(z80_ram[0x100C], 6);
    EXPECT_EQ(word(0x100E), 5040);  // 7!
    EXPECT_EQ(z80_ram[0x1200], 0x47);
    EXPECT_EQ(word(0x1020), 0xFF16);
    EXPECT_EQ(z80_ram[0x1022], 0xFB);
    EXPECT_EQ(word(0x1024), 0x1111);
    EXPECT_EQ(c.sp, 0x1F00);
}

TEST_F(Z80ProgramTest, SoundDriverSkeleton) {
    cart_rom[0x100] = 0x5C;
    cart_rom[0x102] = 0x12;
    cart_rom[0x103] = 0x34;
    load_program("z80_driver");
    run_until_halt();
    EXPECT_EQ(ym2612_state.reg_2b, 0x80);
    EXPECT_EQ(psg_regs.volume[0], 3);
    EXPECT_EQ(m68k_ram[0x8000], 0xDE);
    EXPECT_EQ(m68k_ram[0x8003], 0xEF);
    EXPECT_EQ(z80_bank, 0u);
    EXPECT_EQ(z80_ram[0x205], 0x5C);
    EXPECT_EQ(z80_ram[0x206], 0x12);  // the 68000 word 0x1234, byte for byte
    EXPECT_EQ(z80_ram[0x207], 0x34);
    // Each vertical interrupt runs the handler once and the loop goes back to HALT.
    for (int frame = 1; frame <= 3; ++frame) {
        z80_irq_raise();
        for (int i = 0; i < 10; ++i) z80_run();
        EXPECT_EQ(z80_ram[0x204], frame);
        EXPECT_TRUE(c.halted);
    }
    // Without a raise nothing more happens.
    for (int i = 0; i < 50; ++i) z80_run();
    EXPECT_EQ(z80_ram[0x204], 3);
}

}  // namespace
}  // namespace varn::test
