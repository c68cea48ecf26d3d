// The Master System bus: mapper slots, cartridge RAM, work RAM, the system ROM window and
// the I/O port tables.

#include "memory/memory.h"
#include "runtime/region.h"
#include "sms/sms_bus.h"
#include "sms/sms_psg.h"
#include "sms/sms_vdp.h"
#include "sms_fixture.h"

namespace varn::test {
namespace {

class SmsBusTest : public SmsTest {
  protected:
    void SetUp() override {
        SmsTest::SetUp();
        fill_paged_cartridge(32);
        sms_power_on_machine();
    }
};

TEST_F(SmsBusTest, MapperSlotsReadTheirPages) {
    struct Case {
        u32 reg;    // 0xFFFD-0xFFFF
        u8 value;   // page written
        u32 addr;   // Z80 address read
        u32 image;  // cartridge byte expected there
    };
    const Case cases[] = {
        {0xFFFD, 5, 0x0200, 0x0200},  // the first 1 KB never pages
        {0xFFFD, 5, 0x0400, 5 * 0x4000 + 0x400},
        {0xFFFD, 5, 0x3FFF, 5 * 0x4000 + 0x3FFF},
        {0xFFFE, 3, 0x4000, 3 * 0x4000},
        {0xFFFE, 0x23, 0x7FFF, 3 * 0x4000 + 0x3FFF},  // page numbers modulo 32
        {0xFFFF, 0x25, 0x8000, 0x14000},
        {0xFFFF, 31, 0xBFFF, 31 * 0x4000 + 0x3FFF},
    };
    for (const Case& c : cases) {
        sms_z80_write_byte(c.reg, c.value);
        EXPECT_EQ(sms_z80_read_byte(c.addr), cart_rom[c.image])
            << std::hex << c.reg << "=" << +c.value << " read " << c.addr;
        // The register reads back through the work RAM.
        EXPECT_EQ(sms_z80_read_byte(c.reg), c.value);
    }
    // ROM ignores writes.
    const u8 before = sms_z80_read_byte(0x4100);
    sms_z80_write_byte(0x4100, static_cast<u8>(~before));
    EXPECT_EQ(sms_z80_read_byte(0x4100), before);
}

TEST_F(SmsBusTest, CartridgeRamBanksAndSaveSize) {
    EXPECT_EQ(cart_sram_size, 0u);
    EXPECT_EQ(sms_z80_read_byte(0x8000), cart_rom[2 * 0x4000]);  // page 2 until RAM is mapped

    sms_z80_write_byte(0xFFFC, 0x08);
    EXPECT_EQ(cart_sram_size, 0x4000u);
    sms_z80_write_byte(0x8001, 0xA1);
    EXPECT_EQ(cart_sram[1], 0xA1);
    EXPECT_EQ(sms_z80_read_byte(0x8001), 0xA1);

    sms_z80_write_byte(0xFFFC, 0x0C);
    EXPECT_EQ(cart_sram_size, 0x8000u);
    sms_z80_write_word(0xBFFE, 0xB2C3);
    EXPECT_EQ(cart_sram[0x7FFE], 0xC3);
    EXPECT_EQ(cart_sram[0x7FFF], 0xB2);

    sms_z80_write_byte(0xFFFC, 0x00);
    EXPECT_EQ(cart_sram_size, 0x8000u);  // the save keeps both banks
    EXPECT_EQ(sms_z80_read_byte(0x8001), cart_rom[2 * 0x4000 + 1]);
    sms_z80_write_byte(0x8001, 0x00);  // ROM again: ignored
    EXPECT_EQ(cart_sram[1], 0xA1);
}

TEST_F(SmsBusTest, WorkRamMirrorsAndWordsAcrossTheMapper) {
    sms_z80_write_word(0xC123, 0x5A6B);
    EXPECT_EQ(sms_z80_read_word(0xE123), 0x5A6B);
    EXPECT_EQ(sms_work_ram()[0x123], 0x6B);
    // A word at 0xFFFE sets slots 1 and 2 at once.
    sms_z80_write_word(0xFFFE, 0x0706);
    EXPECT_EQ(sms_paging.regs[2], 6);
    EXPECT_EQ(sms_paging.regs[3], 7);
    EXPECT_EQ(sms_z80_read_byte(0x8010), cart_rom[7 * 0x4000 + 0x10]);
    // A word at 0xFFFF: its high byte goes to 0x0000, which is ROM.
    sms_z80_write_word(0xFFFF, 0x0203);
    EXPECT_EQ(sms_paging.regs[3], 3);
    EXPECT_EQ(sms_z80_read_word(0xFFFF), static_cast<u16>(3 | (cart_rom[0] << 8)));
}

TEST_F(SmsBusTest, SystemRomWindowAndItsPort) {
    for (u32 i = 0; i < kSmsBiosSize; ++i) sms_bios[i] = static_cast<u8>(0xB0 ^ (i >> 5));
    cfg_set(cfg_sms_use_bios, 1);
    sms_power_on_machine();
    EXPECT_EQ(sms_paging.bios_off, 0);
    EXPECT_EQ(sms_z80_read_byte(0x0000), sms_bios[0]);
    EXPECT_EQ(sms_z80_read_byte(0x1FFF), sms_bios[0x1FFF]);
    EXPECT_EQ(sms_z80_read_byte(0x2345), sms_bios[0x0345]);  // 8 KB mirrored
    EXPECT_EQ(sms_z80_read_byte(0x4000), cart_rom[0x4000]);
    EXPECT_EQ(sms_z80_port_in(0x3E), 0xE3);
    sms_z80_port_out(0x3E, 0x08);  // cartridge in slot 0
    EXPECT_EQ(sms_z80_port_in(0x3E), 0xEB);
    EXPECT_EQ(sms_z80_read_byte(0x2345), cart_rom[0x2345]);
    EXPECT_EQ(sms_z80_context.sp, 0x0000);

    // Without the option the port changes nothing.
    cfg_set(cfg_sms_use_bios, 0);
    sms_power_on_machine();
    sms_z80_port_out(0x3E, 0x00);
    EXPECT_EQ(sms_paging.bios_off, 1);
    EXPECT_EQ(sms_z80_read_byte(0x0000), cart_rom[0]);
    EXPECT_EQ(sms_z80_context.sp, 0xDFF0);
}

TEST_F(SmsBusTest, PortsWithoutADeviceReadTheirNumber) {
    for (u32 port : {0x00u, 0x3Fu, 0x40u, 0xBDu, 0xDEu, 0xDFu, 0xF0u, 0xF1u, 0xF2u, 0xFFu}) {
        EXPECT_EQ(sms_z80_port_in(port), port) << std::hex << port;
    }
    // Writes to ports without a device reach nothing (the PSG only through 0x7E and 0x7F).
    for (u32 port = 0; port < 256; ++port) {
        if (port == 0x7E || port == 0x7F || port == 0xBE || port == 0xBF || port == 0x3E ||
            port == 0x3F)
            continue;
        sms_z80_port_out(port, 0x90);
    }
    EXPECT_EQ(sms_psg_regs.volume[0], 0);
    EXPECT_EQ(sms_vram[0], 0);
    sms_z80_port_out(0x7E, 0x93);
    EXPECT_EQ(sms_psg_regs.volume[0], 3);
    sms_z80_port_out(0x7F, 0x95);
    EXPECT_EQ(sms_psg_regs.volume[0], 5);
}

TEST_F(SmsBusTest, PadsAndThLinesThroughTheirPorts) {
    // Port 1: Up and button 1 pressed; port 2: Down, Right and button 2 pressed, bit 7 low.
    controller_ports[0].pad_seq[0] = static_cast<u8>(0x7F & ~0x01 & ~0x10);
    controller_ports[1].pad_seq[0] = static_cast<u8>(0x7F & ~0x02 & ~0x08 & ~0x20);
    EXPECT_EQ(sms_z80_port_in(0xDC), 0x6E);  // bits 6-7: port 2's Up (1), Down (0)
    EXPECT_EQ(sms_z80_port_in(0xC0), 0x6E);
    EXPECT_EQ(sms_z80_port_in(0xDD), 0x15);  // L, R(0), b1, b2(0); reset released; bit 7 low
    EXPECT_EQ(sms_z80_port_in(0xC1), 0x15);

    struct Case {
        u32 overseas;
        u8 value;
        u8 th_bits;  // bits 6-7 of port 0xDD
    };
    const Case cases[] = {
        {1, 0xF5, 0xC0}, {0, 0xF5, 0x00},  // both lines out and high; a Japanese console inverts
        {1, 0xA0, 0x00},                   // levels high but not enabled
        {0, 0x05, 0xC0},                   // levels low, inverted
        {1, 0x21, 0x40},                   // port 1 only
    };
    for (const Case& c : cases) {
        region.overseas_flag = c.overseas;
        sms_z80_port_out(0x3F, c.value);
        EXPECT_EQ(sms_z80_port_in(0xDD) & 0xC0, c.th_bits) << std::hex << +c.value;
    }
}

TEST_F(SmsBusTest, VdpPortsAndVCounter) {
    sms_vdp.status = 0xC0;
    EXPECT_EQ(sms_z80_port_in(0xBF), 0xC0);
    EXPECT_EQ(sms_z80_port_in(0xBF), 0x00);  // a read clears it

    sms_z80_port_out(0xBF, 0x10);  // VRAM 0x0010, write
    sms_z80_port_out(0xBF, 0x40);
    sms_z80_port_out(0xBE, 0x11);
    sms_z80_port_out(0xBE, 0x22);
    sms_z80_port_out(0xBF, 0x10);  // read back: no read-ahead
    sms_z80_port_out(0xBF, 0x00);
    EXPECT_EQ(sms_z80_port_in(0xBE), 0x11);
    EXPECT_EQ(sms_z80_port_in(0xBE), 0x22);

    frame_pos.slice_counter = (100 << 4) | 3;
    EXPECT_EQ(sms_z80_port_in(0x7E), 100);
    EXPECT_EQ(sms_z80_port_in(0x7F), 100);
}

}  // namespace
}  // namespace varn::test
