// Test cartridges assembled at build time, run by the 68000 core on the real bus for a few
// frames' worth of slices; each leaves its observations in work RAM.

#include <gtest/gtest.h>

#include <algorithm>

#include "bus_fixture.h"
#include "genesis/io/lightgun.h"
#include "m68k/m68k.h"
#include "support/test_files.h"
#include "z80/genesis_z80.h"
#include "z80/z80.h"

namespace varn {
namespace {

constexpr u32 kSlicesPerFrame = 2752;

class CartridgeProgramTest : public test::BusTest {
  protected:
    void SetUp() override {
        BusTest::SetUp();
        m68k_build_jump_table();
        m68k_reset_records();
        m68k_clear_hooks();
        z80_reset_records();
        z80_ram.fill(0);
    }
    void TearDown() override {
        m68k_clear_hooks();
        BusTest::TearDown();
    }

    // Loads the program as the cartridge and powers the bus and both CPUs on as the machine's
    // power-on does.
    bool power_on(const char* program) {
        const auto image = test::read_program(program);
        if (image.empty()) return false;
        std::copy_n(image.begin(), std::min<size_t>(image.size(), kCartRomSize), cart_rom.begin());
        boot_rom_latch_power_on();
        m68k_reset_memory_map();
        cart_save_setup();
        io_ports_power_on();
        cart_bank_regs_power_on();
        z80_busreq_latch = 0;
        z80_reset_latch  = 0;
        m68k_init_fetch_pages(boot_rom_latch);
        m68k_context.fetch_base = kCartRomOffset;
        m68k_reset();
        z80_reset();
        m68k_z80_released  = [] { return z80_may_run(); };
        m68k_z80_successor = [] { z80_run(); };
        return true;
    }

    void run_frames(u32 frames) {
        for (u32 i = 0; i < frames * kSlicesPerFrame; ++i) {
            m68k_run_slice();
            lightgun_tick(0, 2);
            ASSERT_EQ(m68k_context.status & kM68kStatusHalted, 0u) << "68000 halted";
        }
    }

    static u8 ram(u32 offset) { return m68k_ram[offset]; }
};

TEST_F(CartridgeProgramTest, SaveRamWindowAndItsEnableRegister) {
    ASSERT_TRUE(power_on("bus_save_ram_cart"));
    ASSERT_EQ(cart_sram_size, 0x3FFFu);
    run_frames(2);
    ASSERT_EQ(ram(0x1F), 0x99) << "program did not finish";
    for (u32 i = 0; i < 16; ++i) {
        EXPECT_EQ(ram(i), static_cast<u8>(0x40 + 3 * i)) << i;
        EXPECT_EQ(cart_sram[i], static_cast<u8>(0x40 + 3 * i)) << i;
    }
    EXPECT_EQ(ram(0x10), 0xCD) << "window off: cartridge ROM at 0x200001";
    EXPECT_EQ(ram(0x11), 0x40) << "window on again, the write made while off was dropped";
    EXPECT_EQ(ram(0x12), 0x01);
}

TEST_F(CartridgeProgramTest, Z80BusRequestAndResetLines) {
    ASSERT_TRUE(power_on("bus_z80_control_cart"));
    run_frames(3);
    ASSERT_EQ(ram(0x1F), 0x99) << "program did not finish";
    EXPECT_EQ(ram(0x00), 0x01) << "bus not granted while the reset is held";
    EXPECT_EQ(ram(0x01), 0x00) << "granted once the reset is released";
    EXPECT_EQ(ram(0x02), 0x5A) << "the Z80 ran the copied program";
    EXPECT_NE(ram(0x03), 0x00) << "and kept counting";
    EXPECT_EQ(ram(0x04), ram(0x03)) << "the Z80 stands still while the 68000 holds its bus";
    EXPECT_EQ(ram(0x05), 0x00) << "a reset pulse restarts the Z80 program";
}

u8 pad_th_high = 0x7F;  // a three-button pad with nothing pressed
u8 pad_th_low  = 0x33;
u8 pad_th      = 1;

TEST_F(CartridgeProgramTest, PadPortsThroughTheDeviceSeam) {
    ASSERT_TRUE(power_on("bus_pad_port_cart"));
    io_port_device_read = [](u32 port) -> u8 {
        if (port != 0) return kIoPortNoDevice;
        return pad_th ? pad_th_high : pad_th_low;
    };
    io_port_device_write = [](u32 port, u8 lines) {
        if (port == 0) pad_th = (lines >> 6) & 1;
    };
    io_version_bits = [] { return u8{0x80}; };
    run_frames(1);
    ASSERT_EQ(ram(0x1F), 0x99) << "program did not finish";
    EXPECT_EQ(ram(0x00), 0x7F) << "TH high: bit 6 from the latch, the rest from the pad";
    EXPECT_EQ(ram(0x01), 0x33) << "TH low";
    EXPECT_EQ(ram(0x02), 0x7F) << "nothing plugged into port 2";
    EXPECT_EQ(ram(0x03), 0x80);
    EXPECT_EQ(ram(0x04), 0x40);
    EXPECT_EQ(ram(0x05), 0xFF);
}

}  // namespace
}  // namespace varn
