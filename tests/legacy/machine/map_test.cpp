// The earlier machine's 68000 map: the run list, the region handlers, the save RAM window
// and the bank copies.

#include <vector>

#include "genesis/bus/io_ports.h"
#include "genesis/bus/save_ram.h"
#include "genesis/z80/genesis_z80.h"
#include "legacy_machine_support.h"

namespace varn::test {
namespace {

using LegacyMapTest = LegacyMachineFixture;

TEST_F(LegacyMapTest, RunListCoversTheSpaceInOrder) {
    u32 pages = 0;
    for (const M68kMapRun& run : m68k_map_cart_v024) pages += run.pages;
    EXPECT_EQ(pages, kM68kBusPages);
    struct Probe {
        u32 addr;
        const M68kHandlerSet* set;
    };
    for (const Probe& p :
         {Probe{0x000000, &m68k_cart_set_v024}, Probe{0x3FF000, &m68k_cart_set_v024},
          Probe{0x880000, &m68k_cart_window_set_v024},
          Probe{0x9FF000, &m68k_banked_window_set_v024}, Probe{0xA00000, &m68k_z80_area_set_v024},
          Probe{0xA0F000, &m68k_z80_area_set_v024}, Probe{0xA10000, &m68k_io_set_v024},
          Probe{0xA11000, &m68k_z80_control_set_v024}, Probe{0xA13000, &m68k_cart_control_set_v024},
          Probe{0xA14000, &m68k_z80_control_set_v024}, Probe{0xC00000, &m68k_vdp_set_v024},
          Probe{0xFF0000, &m68k_work_ram_set_v024}, Probe{0xFFF000, &m68k_work_ram_set_v024}}) {
        EXPECT_EQ(m68k_page_table_v024[p.addr >> 12], p.set) << std::hex << p.addr;
    }
}

TEST_F(LegacyMapTest, SegaCdMap) {
    u32 pages = 0;
    for (const M68kMapRun& run : m68k_map_segacd_v024) pages += run.pages;
    EXPECT_EQ(pages, kM68kBusPages);
    m68k_map_segacd_reset_v024();
    scd_bios[0x10]       = 0xB1;
    scd_prg_ram[0x10]    = 0x21;
    scd_prg_ram[0x20010] = 0x22;  // bank 1: not reached through the window
    EXPECT_EQ(m68k_read_byte_v024(0x000010) & 0xFF, 0xB1u);
    m68k_write_byte_v024(0x000010, 0);
    EXPECT_EQ(scd_bios[0x10], 0xB1);
    EXPECT_EQ(m68k_read_byte_v024(0x020010) & 0xFF, 0x21u);
    m68k_write_word_v024(0x03FFFF, 0x1234);  // the window's last byte, then unmapped
    EXPECT_EQ(scd_prg_ram[0x1FFFF], 0x12);
    EXPECT_EQ(scd_prg_ram[0x20000], 0x00);
    // Word RAM only while the main CPU owns it.
    m68k_write_word_v024(0x200000, 0xABCD);
    EXPECT_EQ(scd_word_ram[0], 0xAB);
    EXPECT_EQ(m68k_read_word_v024(0x240000), 0xABCDu);  // the 256 KB twice
    scd_word_ram_main_owns_v024 = [] { return false; };
    EXPECT_EQ(m68k_read_word_v024(0x200000) & 0xFFFF, 0x0001u);
    m68k_write_byte_v024(0x200000, 0);
    EXPECT_EQ(scd_word_ram[0], 0xAB);
    EXPECT_EQ(m68k_read_long_v024(0x7FF010), 0x7FF010u);
    EXPECT_EQ(m68k_read_long_v024(0x600000), 0x600000u);
    EXPECT_EQ(m68k_page_table_v024[0xFF0], &m68k_work_ram_set_v024);
}

TEST_F(LegacyMapTest, UnmappedReadsGiveTheAddressAndWritesVanish) {
    for (const u32 addr : {0x400000u, 0x7FF000u, 0xA16000u, 0xC01000u, 0xFEFFFEu}) {
        SCOPED_TRACE(addr);
        EXPECT_EQ(m68k_read_long_v024(addr), addr);
        EXPECT_EQ(m68k_read_word_v024(addr) & 0xFFFF, addr & 0xFFFF);
        EXPECT_EQ(m68k_read_byte_v024(addr) & 0xFF, addr & 0xFF);
        m68k_write_long_v024(addr, 0x12345678);
        EXPECT_EQ(m68k_read_long_v024(addr), addr);
    }
    // The address is taken to 24 bits first.
    EXPECT_EQ(m68k_read_long_v024(0xFF400000), 0x400000u);
}

TEST_F(LegacyMapTest, WorkRamAndCartridgeAccessesStayInTheirImages) {
    m68k_write_long_v024(0xFF0010, 0x11223344);
    EXPECT_EQ(m68k_read_word_v024(0xFF0012), 0x3344u);
    EXPECT_EQ(m68k_ram[0x10], 0x11);
    // A word at the last byte of work RAM takes its second byte from the first.
    m68k_write_word_v024(0xFFFFFF, 0xABCD);
    EXPECT_EQ(m68k_ram[0xFFFF], 0xAB);
    EXPECT_EQ(m68k_ram[0x0000], 0xCD);
    EXPECT_EQ(m68k_read_long_v024(0xFFFFFE), 0x00ABCD00u);
    // The cartridge reads its image; writes are ignored.
    put_long(0x1000, 0xCAFEF00D);
    EXPECT_EQ(m68k_read_long_v024(0x1000), 0xCAFEF00Du);
    m68k_write_word_v024(0x1000, 0);
    EXPECT_EQ(m68k_read_word_v024(0x1000), 0xCAFEu);
    // The last cartridge bytes: the long ends inside the image, the word after wraps to
    // the start of the cartridge window rather than reading past it.
    cart_rom[kCartRomSize - 1] = 0x5A;
    cart_rom[0]                = 0x77;
    EXPECT_EQ(m68k_read_word_v024(0x3FFFFF), 0x5A77u);
    // The 32X windows read the cartridge from 0 and through the bank.
    cart_rom[0x10]     = 0x66;
    cart_rom[0x100010] = 0x99;
    EXPECT_EQ(m68k_read_byte_v024(0x880010) & 0xFF, 0x66u);
    s32x_rom_bank_v024 = 1;
    EXPECT_EQ(m68k_read_byte_v024(0x900010) & 0xFF, 0x99u);
}

TEST_F(LegacyMapTest, SaveRamWindowFromTheHeader) {
    struct Case {
        const char* name;
        bool header;
        u32 start, end;
        u32 expect_start, expect_end, expect_size;
    };
    const Case cases[] = {
        {"no header", false, 0, 0, kNoSaveRamV024, 0, 0},
        {"odd bytes", true, 0x200001, 0x203FFF, 0x200001, 0x203FFF, 0x3FFF},
        {"cut to 64 KB", true, 0x200000, 0x3FFFFF, 0x200000, 0x20FFFF, 0x10000},
        {"end before start: none", true, 0x200100, 0x2000FF, kNoSaveRamV024, 0, 0},
        {"one byte", true, 0x300000, 0x300000, 0x300000, 0x300000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.header) save_ram_header(c.start, c.end);
        save_ram_detect_v024();
        EXPECT_EQ(save_ram_v024.start, c.expect_start);
        EXPECT_EQ(save_ram_v024.end, c.expect_end);
        EXPECT_EQ(save_ram_v024.size, c.expect_size);
    }
}

TEST_F(LegacyMapTest, SaveRamReadsWritesAndHides) {
    save_ram_header(0x200000, 0x20FFFF);
    save_ram_detect_v024();
    cart_rom[0x200002] = 0xEE;
    m68k_write_word_v024(0x200002, 0x1234);
    EXPECT_EQ(cart_sram[2], 0x12);
    EXPECT_EQ(m68k_read_word_v024(0x200002), 0x1234u);
    // A word that starts on the window's last byte takes its second byte from the ROM.
    cart_sram[0xFFFF]  = 0x42;
    cart_rom[0x210000] = 0x24;
    EXPECT_EQ(m68k_read_word_v024(0x20FFFF), 0x4224u);
    // 0 to 0xA130F1 hides the window: the cartridge image shows again, writes vanish.
    m68k_write_byte_v024(0xA130F1, 0);
    EXPECT_EQ(m68k_read_byte_v024(0x200002) & 0xFF, 0xEEu);
    m68k_write_byte_v024(0x200002, 0x55);
    EXPECT_EQ(cart_sram[2], 0x12);
    EXPECT_EQ(m68k_read_byte_v024(0xA130F1) & 0xFF, 0u);
    m68k_write_byte_v024(0xA130F1, 1);
    EXPECT_EQ(m68k_read_byte_v024(0x200002) & 0xFF, 0x12u);
}

TEST_F(LegacyMapTest, BankRegistersCopyOnlyWhatTheImageHas) {
    constexpr u32 kSlot = 0x80000;
    for (u32 i = 0; i < 0xC0000; ++i) cart_rom[i] = static_cast<u8>(i >> 16 | 0x80);
    cart_bank_source_capture_v024(0xC0000);  // 768 KB: bank 0 whole, bank 1 half
    cart_rom[2 * kSlot]             = 0x11;
    cart_rom[3 * kSlot + kSlot / 2] = 0x33;

    m68k_write_byte_v024(0xA130F5, 0);  // slot 2 := bank 0
    EXPECT_EQ(cart_rom[2 * kSlot], 0x80);
    EXPECT_EQ(cart_rom[3 * kSlot - 1], 0x87);
    m68k_write_byte_v024(0xA130F7, 1);  // slot 3 := bank 1, of which the image has half
    EXPECT_EQ(cart_rom[3 * kSlot], 0x88);
    EXPECT_EQ(cart_rom[3 * kSlot + kSlot / 2 - 1], 0x8B);
    EXPECT_EQ(cart_rom[3 * kSlot + kSlot / 2], 0x33);  // beyond the image: untouched
    m68k_write_byte_v024(0xA130F9, 5);                 // a bank past the image: nothing
    EXPECT_EQ(m68k_read_byte_v024(0xA130F9) & 0xFF, 5u);
    // The source is the image as loaded, not the window: slot 1 := bank 0 copies bank 0
    // even after slot 0's own bytes changed in the window.
    cart_rom[0] = 0x01;
    m68k_write_byte_v024(0xA130F3, 0);
    EXPECT_EQ(cart_rom[kSlot], 0x80);
    // The 32X identity.
    EXPECT_EQ(m68k_read_long_v024(0xA130EC), 0x4D415253u);
}

TEST_F(LegacyMapTest, BootRomSwitchAndZ80Control) {
    cfg_gen_use_bios.store(1);
    gen_boot_rom[0] = 0xB0;
    cart_rom[0]     = 0xC0;
    m68k_map_power_on_v024();
    m68k_map_reset_v024();
    EXPECT_EQ(m68k_read_byte_v024(0) & 0xFF, 0xB0u);
    EXPECT_EQ(m68k_read_byte_v024(0xA14101) & 0xFF, 0u);
    m68k_write_byte_v024(0xA14101, 1);
    EXPECT_EQ(m68k_read_byte_v024(0) & 0xFF, 0xC0u);
    EXPECT_EQ(m68k_fetch_pages_v024[0].offset, kCartRomOffset);
    // Without the boot ROM option the switch ignores writes.
    cfg_gen_use_bios.store(0);
    m68k_write_byte_v024(0xA14101, 0);
    EXPECT_EQ(m68k_read_byte_v024(0) & 0xFF, 0xC0u);

    // Bus request: the read's bit 0 is clear while the 68000 holds the bus.
    EXPECT_EQ(m68k_read_byte_v024(0xA11100) & 1, 0u);
    m68k_write_word_v024(0xA11100, 0x0000);
    EXPECT_EQ(z80_busreq_v024, 0u);
    EXPECT_EQ(m68k_read_word_v024(0xA11100) & 0x100, 0x100u);
    // A reset write of 0 resets the Z80; an address with bits 1-7 set does not decode.
    z80_context_v024.pc = 0x123;
    m68k_write_byte_v024(0xA11202, 0);
    EXPECT_EQ(z80_context_v024.pc, 0x123);
    m68k_write_byte_v024(0xA11200, 0);
    EXPECT_EQ(z80_context_v024.pc, 0);
}

TEST_F(LegacyMapTest, IoPortsAnswerOnOddAddresses) {
    io_ports_power_on();
    io_port_device_read = [](u32 port) { return static_cast<u8>(port == 0 ? 0x3F : 0x15); };
    io_version_bits     = [] { return u8{0xA0}; };
    EXPECT_EQ(m68k_read_byte_v024(0xA10001) & 0xFF, 0xA0u);
    EXPECT_EQ(m68k_read_byte_v024(0xA10000) & 0xFF, 0x00u);  // even: unmapped
    EXPECT_EQ(m68k_read_byte_v024(0xA10002) & 0xFF, 0x02u);
    // Control 0x40: bit 6 reads the data latch, the others the device.
    m68k_write_byte_v024(0xA10009, 0x40);
    m68k_write_byte_v024(0xA10003, 0x00);
    EXPECT_EQ(io_port_regs.data[0], 0xBF);  // (value AND control) OR NOT control
    EXPECT_EQ(m68k_read_byte_v024(0xA10003) & 0xFF, 0x3Fu);
    EXPECT_EQ(m68k_read_word_v024(0xA10004) & 0xFF, 0x15u);
    EXPECT_EQ(m68k_read_byte_v024(0xA10007) & 0xFF, 0xFFu);
    EXPECT_EQ(m68k_read_byte_v024(0xA10013) & 0xFF, 0u);  // serial
    EXPECT_EQ(m68k_read_byte_v024(0xA10021) & 0xFF, 0x21u);
    io_port_device_read = nullptr;
    io_version_bits     = nullptr;
}

TEST_F(LegacyMapTest, Z80AreaReachesRamAndTheYm2612Only) {
    m68k_write_byte_v024(0xA00010, 0x5A);
    EXPECT_EQ(z80_ram[0x10], 0x5A);
    // A word on the last RAM byte takes its second byte from the unmapped address after.
    z80_ram[0x1FFF] = 0x12;
    EXPECT_EQ(m68k_read_word_v024(0xA01FFF) & 0xFFFF, 0x1200u);  // 0xA02000 reads as unmapped
    // The YM2612: latch and data from the 68000, the status byte back.
    m68k_write_byte_v024(0xA04000, 0x25);
    m68k_write_byte_v024(0xA04001, 0x03);
    m68k_write_word_v024(0xA04000, 0x2415);  // latch 0x24, data 0x15 in one word
    m68k_write_byte_v024(0xA04000, 0x27);
    m68k_write_byte_v024(0xA04001, 0x05);  // load and enable timer A
    EXPECT_EQ(ym2612_v024.timer_a_value, (0x15u << 2) | 3);
    EXPECT_EQ(m68k_read_byte_v024(0xA04000) & 0xFF, 0u);
    ym2612_v024.timer_a.flag = 0xFF;
    EXPECT_EQ(m68k_read_byte_v024(0xA04003) & 0xFF, 1u);
    // The bank register and the PSG are out of the 68000's reach here.
    EXPECT_EQ(m68k_read_byte_v024(0xA06000) & 0xFF, 0x00u);
    EXPECT_EQ(m68k_read_word_v024(0xA07F10) & 0xFFFF, 0x7F10u);
}

}  // namespace
}  // namespace varn::test
