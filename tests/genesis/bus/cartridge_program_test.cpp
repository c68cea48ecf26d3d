// Test cartridges assembled at build time, powered on and run frame by frame as the machine
// runs them; each leaves its observations in work RAM.

#include <gtest/gtest.h>

#include <algorithm>

#include "base/host.h"
#include "bus_fixture.h"
#include "genesis/io/lightgun.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "runtime/pacing.h"
#include "runtime/region.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "support/machine_records.h"
#include "support/test_files.h"
#include "support/test_machine.h"

namespace varn {
namespace {

class CartridgeProgramTest : public test::BusTest {
  protected:
    static void SetUpTestSuite() { test::compose_machines(); }

    void SetUp() override {
        BusTest::SetUp();
        test::reset_runtime_records();
        cfg_set(cfg_frame_skip, 0);  // no pacing: frames run as fast as the host allows
        cfg_set(cfg_disable_z80, 0);
        region_set(kRegionUsa);
        emu_set_host(&host);
        test::reset_genesis_records();
    }
    void TearDown() override {
        emu_set_host(nullptr);
        cfg_set(cfg_frame_skip, 15);
        BusTest::TearDown();
    }

    // Loads the program as the cartridge and powers the machine on.
    bool power_on(const char* program) {
        const auto image = test::read_program(program);
        if (image.empty()) return false;
        std::fill(cart_rom.begin(), cart_rom.end(), u8{0});
        std::copy_n(image.begin(), std::min<size_t>(image.size(), kCartRomSize), cart_rom.begin());
        genesis_power_on_machine();
        scheduler_reset();
        return true;
    }

    void run_frames(u32 frames) {
        for (u32 i = 0; i < frames; ++i) ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    }

    static u8 ram(u32 offset) { return m68k_ram[offset]; }

    RecordingHost host;
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

TEST_F(CartridgeProgramTest, PadPortsThroughTheDeviceSlot) {
    ASSERT_TRUE(power_on("bus_pad_port_cart"));
    io_port_device_read = [](u32 port) -> u8 {
        if (port != 0) return kIoPortNoDevice;
        return pad_th ? pad_th_high : pad_th_low;
    };
    io_port_device_write = [](u32 port, u8 lines) {
        if (port == 0) pad_th = (lines >> 6) & 1;
    };
    run_frames(1);
    ASSERT_EQ(ram(0x1F), 0x99) << "program did not finish";
    EXPECT_EQ(ram(0x00), 0x7F) << "TH high: bit 6 from the latch, the rest from the pad";
    EXPECT_EQ(ram(0x01), 0x33) << "TH low";
    EXPECT_EQ(ram(0x02), 0x7F) << "nothing plugged into port 2";
    EXPECT_EQ(ram(0x03), 0x80) << "version register: an overseas NTSC console";
    EXPECT_EQ(ram(0x04), 0x40);
    EXPECT_EQ(ram(0x05), 0xFF);
}

}  // namespace
}  // namespace varn
