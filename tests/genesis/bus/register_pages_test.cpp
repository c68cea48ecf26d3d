// The register pages of the main 68000's map: Z80 area, I/O ports, Z80 control, cartridge
// registers, boot-ROM switch and the VDP/PSG ports.

#include <gtest/gtest.h>

#include <vector>

#include "bus_fixture.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"

namespace varn {
namespace {

using test::bus_read;
using test::bus_write;

class RegisterPagesTest : public test::BusTest {
  protected:
    void SetUp() override {
        BusTest::SetUp();
        z80_reset_records();
        z80_ram.fill(0);
        z80_busreq_latch = 0;
        z80_reset_latch  = 0;
        vdp_reset_all();
        psg_reset();
        ym2612_reset();
    }
};

// ---- Z80 area ----

TEST_F(RegisterPagesTest, Z80RamIsBigEndianFromThe68000AndWrapsPerByte) {
    bus_write(2, 0xA00010, 0x1234);
    EXPECT_EQ(z80_ram[0x10], 0x12);
    EXPECT_EQ(z80_ram[0x11], 0x34);
    bus_write(4, 0xA01FFE, 0xA1B2C3D4);
    EXPECT_EQ(z80_ram[0x1FFE], 0xA1);
    EXPECT_EQ(z80_ram[0x1FFF], 0xB2);
    EXPECT_EQ(z80_ram[0x0000], 0xC3);
    EXPECT_EQ(z80_ram[0x0001], 0xD4);
    EXPECT_EQ(bus_read(4, 0xA01FFE), 0xA1B2C3D4u);
    EXPECT_EQ(bus_read(1, 0xA00011), 0x34u);
    bus_write(1, 0xA02010, 0x55);
    EXPECT_EQ(z80_ram[0x10], 0x12) << "0xA02000 does not reach the Z80 RAM";
}

TEST_F(RegisterPagesTest, Ym2612PortsByWidth) {
    bus_write(1, 0xA04000, 0x22);
    bus_write(1, 0xA04001, 0x0B);
    EXPECT_EQ(ym2612_state.ym2612_latch_part1, 0x22);
    EXPECT_EQ(ym2612_state.reg_22, 0x0B);
    bus_write(2, 0xA04002, 0x3071);  // part II register 0x30, data 0x71
    EXPECT_EQ(ym2612_state.ym2612_latch_part2, 0x30);
    bus_write(4, 0xA04000, 0x22034100);  // part I 0x22 := 3, then part II 0x41 := 0
    EXPECT_EQ(ym2612_state.reg_22, 0x03);
    EXPECT_EQ(ym2612_state.ym2612_latch_part2, 0x41);
    bus_write(4, 0xA04002, 0x32000000);  // at port 2 only the high word, to part II
    EXPECT_EQ(ym2612_state.ym2612_latch_part2, 0x32);
    EXPECT_EQ(ym2612_state.ym2612_latch_part1, 0x22);

    ym2612_state.timer_a_overflow = 0xFF;
    EXPECT_EQ(bus_read(1, 0xA04003), 0x01u);
    EXPECT_EQ(bus_read(2, 0xA04000), 0x0101u);
    EXPECT_EQ(bus_read(4, 0xA04000), 0x01010101u);
}

TEST_F(RegisterPagesTest, PsgTakesBytesAtA07000AndC00011Only) {
    bus_write(1, 0xA07011, 0x9F);  // channel 0 attenuation 15
    EXPECT_EQ(psg_regs.volume[0], 15);
    bus_write(2, 0xA07000, 0xB3);  // every width in the Z80 area: channel 1 attenuation 3
    EXPECT_EQ(psg_regs.volume[1], 3);
    bus_write(1, 0xC00011, 0xD7);
    EXPECT_EQ(psg_regs.volume[2], 7);
    bus_write(2, 0xC00010, 0x00D1);
    bus_write(1, 0xC00013, 0xD1);
    EXPECT_EQ(psg_regs.volume[2], 7) << "no other VDP-page address reaches the PSG";
    EXPECT_EQ(bus_read(1, 0xC00011), 0x11u);
}

// ---- I/O ports ----

struct DeviceLog {
    std::vector<std::pair<u32, u8>> writes;
    u8 value[2] = {0x3F, 0x15};
};
DeviceLog device;

class IoPortTest : public RegisterPagesTest {
  protected:
    void SetUp() override {
        RegisterPagesTest::SetUp();
        device               = {};
        io_port_device_read  = [](u32 port) { return device.value[port]; };
        io_port_device_write = [](u32 port, u8 lines) { device.writes.push_back({port, lines}); };
    }
};

TEST_F(IoPortTest, VersionRegister) {
    EXPECT_EQ(bus_read(1, 0xA10001), 0x00u);
    io_version_bits = [] { return u8{0xFF}; };
    EXPECT_EQ(bus_read(1, 0xA10001), 0xC0u) << "overseas and PAL only";
    EXPECT_EQ(bus_read(2, 0xA10000), 0xC0u);
    EXPECT_EQ(bus_read(4, 0xA10000), 0xC0u);
    EXPECT_EQ(bus_read(1, 0xA10000), 0x00u) << "even addresses read the address";
}

TEST_F(IoPortTest, DataReadMixesDeviceInputsWithTheLatchOnOutputs) {
    bus_write(1, 0xA10009, 0x40);  // TH is an output
    bus_write(1, 0xA10003, 0x00);  // TH low
    EXPECT_EQ(device.writes.back(), (std::pair<u32, u8>{0, 0xBF})) << "inputs pulled high";
    EXPECT_EQ(bus_read(1, 0xA10003), 0x3Fu) << "bit 6 from the latch, the rest from the pad";
    bus_write(1, 0xA10003, 0x40);
    EXPECT_EQ(bus_read(1, 0xA10003), 0x7Fu);
    EXPECT_EQ(bus_read(2, 0xA10004), 0x15u);
    EXPECT_EQ(bus_read(1, 0xA10007), 0xFFu);
}

TEST_F(IoPortTest, ControlWriteResendsTheLatchWithTheNewDirection) {
    bus_write(1, 0xA10005, 0x00);
    device.writes.clear();
    bus_write(1, 0xA1000B, 0x40);
    ASSERT_EQ(device.writes.size(), 1u);
    EXPECT_EQ(device.writes[0], (std::pair<u32, u8>{1, 0xBF}));
    EXPECT_EQ(bus_read(1, 0xA1000B), 0x40u);
    bus_write(2, 0xA1000A, 0x0000);  // word form stores the direction only
    EXPECT_EQ(device.writes.size(), 1u);
    EXPECT_EQ(io_port_regs.control[1], 0u);
}

TEST_F(IoPortTest, NoDevicePluggedReadsFloatingInputs) {
    io_port_device_read  = nullptr;
    io_port_device_write = nullptr;
    bus_write(1, 0xA10009, 0x40);
    bus_write(1, 0xA10003, 0x00);
    EXPECT_EQ(bus_read(1, 0xA10003), 0x3Fu);
    EXPECT_EQ(bus_read(1, 0xA10005), 0x7Fu);
}

TEST_F(IoPortTest, WordAndLongForms) {
    bus_write(1, 0xA10009, 0x11);
    bus_write(1, 0xA1000B, 0x22);
    bus_write(1, 0xA1000D, 0x33);
    const struct {
        u32 address;
        int width;
        u32 expected;
    } reads[] = {
        {0xA10008, 2, 0x11},     {0xA1000C, 2, 0x33},     {0xA1000E, 2, 0x00},
        {0xA10008, 4, 0x110022}, {0xA1000A, 4, 0x220033}, {0xA1000C, 4, 0x330000},
        {0xA1001F, 1, 0x00},     {0xA10020, 1, 0x20},     {0xA10800, 4, 0xA10800},
    };
    for (const auto& r : reads)
        EXPECT_EQ(bus_read(r.width, r.address), r.expected) << std::hex << r.address;
    bus_write(4, 0xA10008, 0x00440055);
    EXPECT_EQ(io_port_regs.control[0], 0x44);
    EXPECT_EQ(io_port_regs.control[1], 0x55);
    bus_write(4, 0xA1000C, 0x00F00066);
    EXPECT_EQ(io_port_regs.control[2], 0xF0) << "port 3 from bits 16-23 only";
    EXPECT_EQ(io_port_regs.data[2], 0xFF);
    io_port_regs.data[2] = 0x00;
    bus_write(1, 0xA1000D, 0xF0);
    EXPECT_EQ(io_port_regs.data[2], 0x0F) << "port 3 latch gets the input bits set";
    device.writes.clear();
    bus_write(2, 0xA10002, 0x0040);
    EXPECT_EQ(io_port_regs.data[0], 0x40);
    EXPECT_EQ(device.writes.size(), 1u) << "word data write steps the device";
}

TEST_F(IoPortTest, UndecodedAddressesIgnoreWritesOfEveryWidth) {
    const IoPortRegs before = io_port_regs;
    for (int width : {1, 2, 4}) {
        bus_write(width, 0xA1001E, 0xFFFFFFFF);
        bus_write(width, 0xA10020, 0xFFFFFFFF);
        bus_write(width, 0xA10FFE, 0xFFFFFFFF);
    }
    bus_write(1, 0xA10002, 0xFF);  // even byte of the data register
    EXPECT_EQ(io_port_regs.data, before.data);
    EXPECT_EQ(io_port_regs.control, before.control);
    EXPECT_TRUE(device.writes.empty());
}

// The fifteen registers in address order, and back: the direction registers too.
TEST_F(IoPortTest, StateImageRoundTripsEveryRegister) {
    bus_write(1, 0xA10003, 0x12);
    bus_write(1, 0xA10009, 0x7F);  // port 1 direction
    bus_write(1, 0xA1000D, 0x83);  // expansion port direction
    io_port_regs.serial[8] = 0x99;
    const IoPortRegs saved = io_port_regs;
    u8 image[kIoPortStateBytes];
    io_ports_save(image);
    EXPECT_EQ(image[0], 0x12);
    EXPECT_EQ(image[3], 0x7F);
    EXPECT_EQ(image[5], 0x83);
    EXPECT_EQ(image[14], 0x99);
    io_ports_power_on();
    io_ports_load(image);
    EXPECT_EQ(io_port_regs.data, saved.data);
    EXPECT_EQ(io_port_regs.control, saved.control);
    EXPECT_EQ(io_port_regs.serial, saved.serial);
}

// ---- Z80 bus request and reset ----

TEST_F(RegisterPagesTest, BusRequestReadsZeroOnlyWithTheZ80OutOfReset) {
    bus_write(1, 0xA11100, 0x01);
    EXPECT_EQ(z80_busreq_latch, 0xFFFFFFFFu);
    EXPECT_EQ(bus_read(1, 0xA11100), 1u) << "reset held";
    bus_write(2, 0xA11200, 0x0100);
    EXPECT_EQ(z80_reset_latch, 0xFFFFFFFFu);
    EXPECT_EQ(bus_read(1, 0xA11100), 0u);
    EXPECT_EQ(bus_read(2, 0xA11100), 0x0000u);
    bus_write(2, 0xA11100, 0x0000);
    EXPECT_EQ(z80_busreq_latch, 0u);
    EXPECT_EQ(bus_read(2, 0xA11100), 0x0100u);
    EXPECT_EQ(bus_read(1, 0xA11101), 0x01u) << "odd address: not decoded";
    EXPECT_EQ(bus_read(4, 0xA11100), 0xA11100u) << "no long access is decoded";
    bus_write(1, 0xA11102, 0x01);
    EXPECT_EQ(z80_busreq_latch, 0u) << "bits 1-7 must be zero";
    bus_write(1, 0xA11500, 0x01);  // bit 10 set: not decoded
    EXPECT_EQ(z80_busreq_latch, 0u);
    bus_write(1, 0xA11300, 0x01);  // decoded but no register
    EXPECT_EQ(z80_busreq_latch, 0u);
}

TEST_F(RegisterPagesTest, ReleasingTheResetLineResetsTheZ80OnTheRisingEdgeOnly) {
    z80_context.pc = 0x1234;
    bus_write(1, 0xA11200, 0x01);
    EXPECT_EQ(z80_context.pc, 0u);
    z80_context.pc = 0x1234;
    bus_write(1, 0xA11200, 0x01);
    EXPECT_EQ(z80_context.pc, 0x1234u) << "already released";
    bus_write(1, 0xA11200, 0x00);
    EXPECT_EQ(z80_reset_latch, 0u);
    EXPECT_EQ(z80_context.pc, 0x1234u);
    bus_write(1, 0xA11200, 0x01);
    EXPECT_EQ(z80_context.pc, 0u);
}

// ---- cartridge registers ----

std::vector<std::pair<u32, u32>> bank_loads;

TEST_F(RegisterPagesTest, BankRegistersLoadWindowsOnByteWrites) {
    bank_loads.clear();
    cart_bank_load = [](u32 window, u32 bank) { bank_loads.push_back({window, bank}); };
    bus_write(1, 0xA130F5, 0x03);
    EXPECT_EQ(bank_loads, (std::vector<std::pair<u32, u32>>{{2, 3}}));
    EXPECT_EQ(cart_bank_regs[2], 3);
    EXPECT_EQ(bus_read(1, 0xA130F5), 3u);
    bus_write(1, 0xA130FF, 0x1A);
    EXPECT_EQ(bank_loads.back(), (std::pair<u32, u32>{7, 0xA}));
    bus_write(2, 0xA130F6, 0x0005);  // word: stored, nothing loaded
    EXPECT_EQ(cart_bank_regs[3], 5);
    EXPECT_EQ(bank_loads.size(), 2u);
    bus_write(1, 0xA13015, 0x06);  // every 32-byte block repeats the registers
    EXPECT_EQ(cart_bank_regs[2], 6);
    EXPECT_EQ(bus_read(1, 0xA130F4), 0xF4u) << "even byte: no register";
    EXPECT_EQ(bus_read(1, 0xA130E1), 0xE1u);
    cart_bank_regs_power_on();
    EXPECT_EQ(cart_bank_regs[7], 7);
}

TEST_F(RegisterPagesTest, MarsIdOnlyWithA32xImage) {
    EXPECT_EQ(bus_read(4, 0xA130EC), 0xFFFFFFFFu);
    cart_is_32x_image = [] { return true; };
    EXPECT_EQ(bus_read(4, 0xA130EC), 0x4D415253u);
    EXPECT_EQ(bus_read(2, 0xA130EC), 0x5253u);
    EXPECT_EQ(bus_read(1, 0xA130EC), 0x53u);
    EXPECT_EQ(bus_read(4, 0xA130EE), 0xA130EEu);
}

// ---- boot-ROM switch ----

TEST_F(RegisterPagesTest, BootRomSwitch) {
    cart_rom[0]     = 0xCA;
    gen_boot_rom[0] = 0xB0;
    bus_write(1, 0xA14101, 0x00);
    EXPECT_EQ(boot_rom_latch, 1u) << "ignored without the boot ROM option";
    EXPECT_EQ(bus_read(1, 0xA14101), 1u);

    cfg_set(cfg_gen_use_bios, 1);
    boot_rom_latch_power_on();
    m68k_reset_memory_map();
    EXPECT_EQ(bus_read(1, 0x000000), 0xB0u);
    EXPECT_EQ(bus_read(1, 0xA14101), 0u);
    bus_write(1, 0xA14101, 0x01);
    EXPECT_EQ(bus_read(1, 0x000000), 0xCAu);
    EXPECT_EQ(m68k_fetch_pages[0].offset, kCartRomOffset);
    bus_write(1, 0xA14101, 0x00);
    EXPECT_EQ(bus_read(1, 0x000000), 0xB0u);
    EXPECT_EQ(m68k_fetch_pages[0].offset, kBootRomOffset);
    bus_write(1, 0xA14001, 0x01);
    EXPECT_EQ(bus_read(1, 0x000000), 0xB0u) << "only 0xA14101 is the switch";
}

// ---- VDP ports ----

TEST_F(RegisterPagesTest, VdpDataPortByteWritesAreDoubled) {
    bus_write(2, 0xC00004, 0x8F02);      // auto-increment 2
    bus_write(4, 0xC00004, 0x40000000);  // VRAM write at 0, both words to the control port
    bus_write(1, 0xC00001, 0x12);
    EXPECT_EQ(vdp_vram[0], 0x1212);
    bus_write(1, 0xC00005, 0x81);  // byte writes to the control port are ignored
    bus_write(4, 0xC00000, 0x33334444);
    EXPECT_EQ(vdp_vram[1], 0x3333);
    EXPECT_EQ(vdp_vram[2], 0x4444);
    bus_write(4, 0xC00002, 0x55554004);  // data word, then a command word on the control port
    EXPECT_EQ(vdp_vram[3], 0x5555);
}

// The status port's read is steady only while a read now gives what the next one would: a
// DMA fill leaves the busy bit for the next read to report once (0x3602, then 0x3600).
TEST_F(RegisterPagesTest, VdpStatusIsSteadyOnlyWhileTheNextReadGivesTheSame) {
    EXPECT_TRUE(m68k_read_is_steady(0xC00004, 2));
    for (u32 word : {0x8114u, 0x8F01u, 0x9780u, 0x9310u, 0x9400u, 0x4000u, 0x0080u})
        bus_write(2, 0xC00004, word);  // a VRAM fill of 16 bytes at 0
    bus_write(2, 0xC00000, 0x1200);    // its value: the fill runs
    EXPECT_FALSE(m68k_read_is_steady(0xC00004, 2)) << "DMA busy waits to be reported";
    EXPECT_EQ(bus_read(2, 0xC00004) & 0x02, 0x02u);
    EXPECT_TRUE(m68k_read_is_steady(0xC00006, 2)) << "reported: the reads from here agree";
    EXPECT_EQ(bus_read(2, 0xC00006) & 0x02, 0x00u);
    EXPECT_TRUE(m68k_read_is_steady(0xC00004, 2));
    EXPECT_FALSE(m68k_read_is_steady(0xC00004, 4));
    EXPECT_FALSE(m68k_read_is_steady(0xC00000, 2)) << "the data port moves on";
}

TEST_F(RegisterPagesTest, VdpStatusBytesAndUndecodedAddresses) {
    const u32 status = vdp_read_status();
    EXPECT_EQ(bus_read(1, 0xC00004), status & 0xFF);
    EXPECT_EQ(bus_read(1, 0xC00005), status & 0xFF);
    EXPECT_EQ(bus_read(4, 0xC00004), status << 16 | status);
    EXPECT_EQ(bus_read(1, 0xC0000A), 0x0Au);
    EXPECT_EQ(bus_read(2, 0xC00020), 0x0020u);
}

}  // namespace
}  // namespace varn
