// The Genesis Z80 map: RAM mirror, YM2612 and PSG ports, bank register, 68000 window.

#include <vector>

#include "base/config.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "z80_fixture.h"

namespace varn::test {
namespace {

struct Access {
    u32 addr, value;
    bool operator==(const Access&) const = default;
};
std::vector<Access> m68k_writes;

class Z80MapTest : public Z80Test {
  protected:
    void SetUp() override {
        Z80Test::SetUp();
        ym2612_reset();
        psg_reset();
        m68k_writes.clear();
    }
    void TearDown() override {
        cfg_set(cfg_disable_z80, 0);
        Z80Test::TearDown();
    }
    static void set_bank(u32 m68k_base) {
        for (int bit = 15; bit <= 23; ++bit) z80_write_byte(0x6000, (m68k_base >> bit) & 1);
    }
};

TEST_F(Z80MapTest, RamAndItsMirror) {
    z80_ram[0x0005] = 0xA5;
    EXPECT_EQ(z80_read_byte(0x2005), 0xA5);
    EXPECT_EQ(z80_read_byte(0x10005), 0xA5);  // the address is masked to 16 bits
    z80_write_byte(0x3FFF, 0x5A);
    EXPECT_EQ(z80_ram[0x1FFF], 0x5A);
    // Words are little-endian and wrap within the 8 KB at its end.
    z80_ram[0x0000] = 0x12;
    EXPECT_EQ(z80_read_word(0x1FFF), 0x125A);
    EXPECT_EQ(z80_read_word(0x3FFF), 0x125A);
    z80_write_word(0x3FFF, 0xBEEF);
    EXPECT_EQ(z80_ram[0x1FFF], 0xEF);
    EXPECT_EQ(z80_ram[0x0000], 0xBE);
    z80_write_word(0x0100, 0x1234);
    EXPECT_EQ(z80_ram[0x0100], 0x34);
    EXPECT_EQ(z80_ram[0x0101], 0x12);
}

TEST_F(Z80MapTest, YmStatusCarriesTheTimerFlags) {
    ym2612_state.timer_a_overflow = 0xFF;
    ym2612_state.timer_b_overflow = 0xFF;
    EXPECT_EQ(z80_read_byte(0x4000), 0x03);
    EXPECT_EQ(z80_read_byte(0x4003), 0x03);
    EXPECT_EQ(z80_read_byte(0x4FFF), 0x03);
    EXPECT_EQ(z80_read_word(0x4000), 0x0303);
    ym2612_state.timer_a_overflow = 0;
    EXPECT_EQ(z80_read_byte(0x4001), 0x02);
}

TEST_F(Z80MapTest, YmPortWrites) {
    z80_write_byte(0x4000, 0x2B);
    z80_write_byte(0x4001, 0x80);
    EXPECT_EQ(ym2612_state.ym2612_latch_part1, 0x2B);
    EXPECT_EQ(ym2612_state.reg_2b, 0x80);
    z80_write_byte(0x4002, 0x30);
    EXPECT_EQ(ym2612_state.ym2612_latch_part2, 0x30);
    z80_write_byte(0x4004, 0x22);  // beyond the four ports: ignored
    z80_write_byte(0x4800, 0x22);
    EXPECT_EQ(ym2612_state.ym2612_latch_part1, 0x2B);
    // A word at 0x4000: register number in the low byte, data in the high byte.
    z80_write_word(0x4000, 0x002B);
    EXPECT_EQ(ym2612_state.reg_2b, 0x00);
    z80_write_word(0x4001, 0x8022);  // only 0x4000 and 0x4002 take words
    EXPECT_EQ(ym2612_state.ym2612_latch_part1, 0x2B);
    EXPECT_EQ(ym2612_state.reg_2b, 0x00);
    z80_write_word(0x4002, 0x1F31);
    EXPECT_EQ(ym2612_state.ym2612_latch_part2, 0x31);
}

TEST_F(Z80MapTest, OpenPagesReadTheirAddress) {
    EXPECT_EQ(z80_read_byte(0x6000), 0x00);
    EXPECT_EQ(z80_read_byte(0x7F11), 0x11);
    EXPECT_EQ(z80_read_byte(0x5ABC), 0xBC);
    EXPECT_EQ(z80_read_word(0x5123), 0x5123);
    EXPECT_EQ(z80_read_word(0x7F10), 0x7F10);
    z80_write_byte(0x5000, 0x12);
    z80_write_word(0x7F11, 0x9F9F);  // words never reach the PSG
    EXPECT_EQ(z80_port_read(0x40), 0x40);
}

TEST_F(Z80MapTest, PsgOnlyAt7F11) {
    z80_write_byte(0x7F10, 0x95);
    z80_write_byte(0x7F13, 0x95);
    const u8 before = psg_regs.volume[0];
    EXPECT_NE(before, 5);
    z80_write_byte(0x7F11, 0x95);  // channel 0 attenuation 5
    EXPECT_EQ(psg_regs.volume[0], 5);
}

TEST_F(Z80MapTest, BankRegisterShiftsInFromTheTop) {
    for (u8 bit : {1, 0, 0, 0, 0, 0, 0, 0, 1}) z80_write_byte(0x6000, bit);
    EXPECT_EQ(z80_bank, 0x808000u);
    // Any address of the page, and only bit 0 of the byte.
    z80_write_byte(0x6FFF, 0xFE);
    EXPECT_EQ(z80_bank, 0x400000u);
    // A word shifts once, with bit 0 of its low byte.
    z80_bank = 0;
    z80_write_word(0x6000, 0x0100);
    EXPECT_EQ(z80_bank, 0u);
    z80_write_word(0x6000, 0x0001);
    EXPECT_EQ(z80_bank, 0x800000u);
    // A reset leaves it alone.
    z80_reset();
    EXPECT_EQ(z80_bank, 0x800000u);
}

TEST_F(Z80MapTest, WindowOntoThe68000Bus) {
    // 68000 page 0xC00 (0xC00000-0xC00FFF) answers with bytes from the address and records
    // writes.
    m68k_page_read_byte[0xC00]  = [](u32 a) -> u32 { return a & 0xFF; };
    m68k_page_read_word[0xC00]  = [](u32 a) -> u32 { return 0xA000 | (a & 0xFF); };
    m68k_page_write_byte[0xC00] = [](u32 a, u32 v) { m68k_writes.push_back({a, v & 0xFF}); };
    m68k_page_write_word[0xC00] = [](u32 a, u32 v) { m68k_writes.push_back({a, v & 0xFFFF}); };
    set_bank(0xC00000);
    EXPECT_EQ(z80_bank, 0xC00000u);
    EXPECT_EQ(z80_read_byte(0x8011), 0x11);
    EXPECT_EQ(z80_read_word(0x8010), 0x10A0);  // 68000 word 0xA010 in Z80 order
    z80_write_byte(0x8011, 0x9F);
    z80_write_word(0x8004, 0x028F);  // Z80 word 0x028F reaches the 68000 as 0x8F02
    const std::vector<Access> expect = {{0xC00011, 0x9F}, {0xC00004, 0x8F02}};
    EXPECT_EQ(m68k_writes, expect);
    // The window's top wraps onto its bottom: 0xFFFF is 68000 base + 0x7FFF.
    set_bank(0x000000);
    m68k_page_read_byte[0x007] = [](u32 a) -> u32 { return a == 0x7FFF ? 0x77 : 0; };
    EXPECT_EQ(z80_read_byte(0xFFFF), 0x77);
}

TEST_F(Z80MapTest, RunsOnlyWithTheBusFreeAndResetReleased) {
    struct Case {
        u32 disable, busreq, reset;
        bool runs;
    };
    const Case cases[] = {{0, 0, 0xFFFFFFFF, true},
                          {1, 0, 0xFFFFFFFF, false},
                          {0, 0xFFFFFFFF, 0xFFFFFFFF, false},
                          {0, 0, 0, false}};
    for (const auto& k : cases) {
        cfg_set(cfg_disable_z80, k.disable);
        z80_busreq_latch = k.busreq;
        z80_reset_latch  = k.reset;
        EXPECT_EQ(z80_may_run(), k.runs);
        EXPECT_EQ(z80_released(), k.busreq == 0 && k.reset != 0);
    }
}

}  // namespace
}  // namespace varn::test
