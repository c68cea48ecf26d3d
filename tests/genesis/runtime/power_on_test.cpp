#include <algorithm>

#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k_bus.h"
#include "runtime_fixture.h"

namespace varn::test {
namespace {

using PowerOnTest = MachineTest;

TEST_F(PowerOnTest, ResetsTheMachineMapsSaveRamAndHandsOverTheRunEntry) {
    load_cartridge("runtime_frame_cart");
    // Battery RAM at 0x200001-0x203FFF, as a header describes it.
    const u8 header[] = {'R', 'A', 0xF8, 0x20, 0x00, 0x20, 0x00, 0x01, 0x00, 0x20, 0x3F, 0xFF};
    std::copy(std::begin(header), std::end(header), cart_rom.begin() + 0x1B0);
    m68k_ram[0x1234] = 0x55;
    z80_ram[0x100]   = 0x66;
    z80_busreq_latch = 0xFFFFFFFF;
    z80_reset_latch  = 0xFFFFFFFF;
    screen_width     = 256;

    genesis_power_on();

    EXPECT_EQ(emu_thread_target.load(), genesis_run_entry);
    EXPECT_EQ(screen_width, 320u);
    EXPECT_EQ(screen_height, 224u);
    EXPECT_EQ(host.requests().front(), kRequestDisplaySizeChanged);
    EXPECT_EQ(m68k_context.pc, 0x200u);
    EXPECT_EQ(m68k_context.sr, 0x2700);
    EXPECT_EQ(m68k_context.slice_cycles, -54);
    EXPECT_EQ(m68k_ram[0x1234], 0);
    EXPECT_EQ(z80_ram[0x100], 0);
    EXPECT_EQ(z80_busreq_latch, 0u);
    EXPECT_EQ(z80_reset_latch, 0u);
    EXPECT_EQ(cart_sram_size, 0x3FFFu);
    EXPECT_EQ(cart_save_start, 0x200001u);
}

TEST_F(PowerOnTest, SpeedSettingsGiveTheSliceLengths) {
    load_cartridge("runtime_frame_cart");
    cfg_set(cfg_gen_m68k_speed, 0x00);
    cfg_set(cfg_gen_z80_speed, 0xFF);
    genesis_power_on_machine();
    EXPECT_EQ(m68k_context.slice_cycles, -256);
    EXPECT_EQ(z80_context.slice_budget, -1);
    cfg_set(cfg_gen_m68k_speed, 0xCA);
    cfg_set(cfg_gen_z80_speed, 0xEB);
}

TEST_F(PowerOnTest, HeaderRegionReachesTheVersionRegister) {
    load_cartridge("runtime_frame_cart");  // "JUE"
    genesis_power_on_machine();
    struct Case {
        u32 order;
        u8 version_bits;
    };
    for (const Case c : {Case{0, 0x80}, Case{2, 0xC0}, Case{4, 0x00}}) {
        cfg_set(cfg_region_order, c.order);
        EXPECT_EQ(region_autodetect(), 0u);
        ASSERT_NE(io_version_bits, nullptr);
        EXPECT_EQ(io_version_bits(), c.version_bits) << c.order;
    }
}

// The cartridge registers as a powered-on machine has them wired. No image loader streams
// banks yet and no 32X unit is there: a bank register keeps its value and the window keeps
// the image it shows; the "MARS" marker reads as all ones.
TEST_F(PowerOnTest, CartridgeRegistersWithoutABankLoaderOrA32xUnit) {
    load_cartridge("runtime_frame_cart");
    for (u32 a = 0x80000; a < 0x80010; ++a) cart_rom[a] = static_cast<u8>(a);
    genesis_power_on_machine();
    m68k_write_byte(0xA130F3, 0x05);  // window 1 (0x080000) to bank 5
    EXPECT_EQ(m68k_read_byte(0xA130F3) & 0xFF, 0x05u);
    EXPECT_EQ(m68k_read_long(0x080000), 0x00010203u) << "the window keeps its image";
    EXPECT_EQ(m68k_read_long(0xA130EC), 0xFFFFFFFFu);
    EXPECT_EQ(m68k_read_word(0xA130EC) & 0xFFFF, 0xFFFFu);
    genesis_power_on_machine();
    EXPECT_EQ(m68k_read_byte(0xA130F3) & 0xFF, 0x01u) << "power-on: each window its own bank";
}

}  // namespace
}  // namespace varn::test
