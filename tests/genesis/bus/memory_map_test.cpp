// The memory regions of the main 68000's map: cartridge ROM and its windows, work RAM,
// unmapped space, the boot ROM on page 0 and the Sega CD map.

#include <gtest/gtest.h>

#include <array>

#include "bus_fixture.h"
#include "m68k/m68k.h"

namespace varn {
namespace {

using test::bus_read;
using test::bus_write;

class MemoryMapTest : public test::BusTest {
  protected:
    void SetUp() override {
        BusTest::SetUp();
        for (u32 i = 0; i < kCartRomSize; ++i) cart_rom[i] = static_cast<u8>(i * 7 + (i >> 16));
        for (u32 i = 0; i < kBootRomSize; ++i) gen_boot_rom[i] = static_cast<u8>(0xB0 + i);
    }
    static u8 rom(u32 a) { return cart_rom[a]; }
};

struct ReadCase {
    const char* what;
    u32 address;
    int width;
    u32 expected;
};

TEST_F(MemoryMapTest, CartridgeMapReads) {
    const u32 rom0         = u32{rom(0)} << 24 | u32{rom(1)} << 16 | u32{rom(2)} << 8 | rom(3);
    const ReadCase cases[] = {
        {"ROM byte", 0x000003, 1, rom(3)},
        {"ROM word at an odd address", 0x123457, 2, u32{rom(0x123457)} << 8 | rom(0x123458)},
        {"ROM long", 0x000000, 4, rom0},
        {"last ROM byte", 0x3FFFFF, 1, rom(0x3FFFFF)},
        {"word past the end of ROM reads zero", 0x3FFFFF, 2, u32{rom(0x3FFFFF)} << 8},
        {"long past the end of ROM", 0x3FFFFE, 4,
         u32{rom(0x3FFFFE)} << 24 | u32{rom(0x3FFFFF)} << 16},
        {"address bits 24-31 ignored", 0xFF000000, 4, rom0},
        {"unmapped byte is the address", 0x400000, 1, 0x00},
        {"unmapped word", 0x400000, 2, 0x0000},
        {"unmapped long", 0x400000, 4, 0x400000},
        {"unmapped long keeps 24 bits", 0x7F5A5A5A, 4, 0x5A5A5A},
        {"Z80 RAM is not mirrored at 0xA02000", 0xA02346, 2, 0x2346},
        {"32X SDRAM without a 32X", 0x600010, 4, 0x600010},
        {"32X registers without a 32X", 0xA15100, 2, 0x5100},
        {"Sega CD gate array without a Sega CD", 0xA12001, 1, 0x01},
        {"ROM window at 0x880000", 0x880000, 4, rom0},
        {"banked ROM at 0x900000 shows bank 0", 0x900000, 4, rom0},
        {"last byte of the bank window", 0x9FFFFF, 1, rom(0xFFFFF)},
        {"undecoded VDP page address", 0xC00100, 4, 0xC00100},
    };
    for (const auto& c : cases) EXPECT_EQ(bus_read(c.width, c.address), c.expected) << c.what;
}

TEST_F(MemoryMapTest, WritesToReadOnlyAndUnmappedSpaceChangeNothing) {
    const u8 before = rom(0x1000);
    for (int width : {1, 2, 4}) {
        bus_write(width, 0x001000, 0xFFFFFFFF);
        bus_write(width, 0x400000, 0xFFFFFFFF);
        bus_write(width, 0x880000 + 0x1000, 0xFFFFFFFF);
    }
    EXPECT_EQ(rom(0x1000), before);
    EXPECT_EQ(bus_read(4, 0x400000), 0x400000u);
}

TEST_F(MemoryMapTest, WorkRamRepeatsEvery64KB) {
    bus_write(2, 0xFF0000, 0x1234);
    EXPECT_EQ(bus_read(2, 0xE00000), 0x1234u);
    EXPECT_EQ(bus_read(2, 0xF70000), 0x1234u);
    EXPECT_EQ(m68k_ram[0], 0x12) << "held big-endian";
    bus_write(4, 0xE1FFF0, 0xDEADBEEF);
    EXPECT_EQ(bus_read(4, 0xFFFFF0), 0xDEADBEEFu);
    EXPECT_EQ(bus_read(1, 0xFFFFF3), 0xEFu);
}

TEST_F(MemoryMapTest, AccessesAtTheEndOfWorkRamWrapWithinIt) {
    bus_write(2, 0xFFFFFF, 0xA1B2);
    EXPECT_EQ(m68k_ram[0xFFFF], 0xA1);
    EXPECT_EQ(m68k_ram[0x0000], 0xB2);
    bus_write(4, 0xFFFFFE, 0x01020304);
    EXPECT_EQ(m68k_ram[0xFFFE], 0x01);
    EXPECT_EQ(m68k_ram[0xFFFF], 0x02);
    EXPECT_EQ(m68k_ram[0x0000], 0x03);
    EXPECT_EQ(m68k_ram[0x0001], 0x04);
    EXPECT_EQ(bus_read(4, 0xFFFFFE), 0x01020304u);
    EXPECT_EQ(bus_read(2, 0xFFFFFF), 0x0203u);
    EXPECT_EQ(memory_arena[kWorkRamOffset + kWorkRamSize], 0) << "guard bytes untouched";
}

TEST_F(MemoryMapTest, BootRomOnPageZeroAtPowerOnWithTheBootRomOption) {
    cfg_set(cfg_gen_use_bios, 1);
    boot_rom_latch_power_on();
    EXPECT_EQ(boot_rom_latch, 0u);
    m68k_reset_memory_map();
    EXPECT_EQ(bus_read(1, 0x000000), 0xB0u);
    EXPECT_EQ(bus_read(1, 0x000801), 0xB1u) << "2 KB repeated through the 4 KB page";
    EXPECT_EQ(bus_read(2, 0x0007FF), u32{gen_boot_rom[0x7FF]} << 8 | 0xB0) << "wraps per byte";
    EXPECT_EQ(bus_read(4, 0x000FFE),
              u32{gen_boot_rom[0x7FE]} << 24 | u32{gen_boot_rom[0x7FF]} << 16 | 0xB0B1u);
    EXPECT_EQ(bus_read(1, 0x001000), rom(0x1000)) << "page 1 is still the cartridge";
    bus_write(1, 0x000000, 0);
    EXPECT_EQ(gen_boot_rom[0], 0xB0);
}

TEST_F(MemoryMapTest, WithoutTheBootRomOptionPageZeroIsTheCartridge) {
    boot_rom_latch_power_on();
    EXPECT_EQ(boot_rom_latch, 1u);
    m68k_reset_memory_map();
    EXPECT_EQ(bus_read(1, 0x000000), rom(0));
}

TEST_F(MemoryMapTest, SegaCdMap) {
    for (u32 i = 0; i < kScdBiosSize; ++i) scd_bios[i] = static_cast<u8>(i ^ 0x5A);
    scd_prg_ram[0]        = 0x11;
    scd_word_ram[0x3FFFF] = 0x22;
    scd_ram_cart_setup();
    m68k_build_segacd_memory_map();
    const ReadCase cases[] = {
        {"BIOS", 0x000010, 2, u32{scd_bios[0x10]} << 8 | scd_bios[0x11]},
        {"PRG-RAM window, bank 0", 0x020000, 1, 0x11},
        {"word RAM in 2M mode", 0x23FFFF, 1, 0x22},
        {"unmapped under the cartridge area", 0x100000, 4, 0x100000},
        {"RAM cartridge size code", 0x400001, 1, 3},
        {"RAM cartridge identification", 0x400010, 4, 0x30303030},
        {"past the identification bytes", 0x400020, 4, 0x400020},
        {"write-protect register", 0x7FF001, 1, 0x01},
        {"work RAM as in the cartridge map", 0xFF0000, 4, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(bus_read(c.width, c.address), c.expected) << c.what;
    bus_write(1, 0x000010, 0xFF);
    EXPECT_EQ(scd_bios[0x10], 0x10 ^ 0x5A) << "BIOS is read only";
}

TEST_F(MemoryMapTest, RamCartridgeDataOneBytePerWord) {
    scd_ram_cart_setup();
    m68k_build_segacd_memory_map();
    EXPECT_EQ(cart_sram_size, 0x10000u);
    bus_write(2, 0x600002, 0x1234);  // low byte into RAM byte 1
    EXPECT_EQ(cart_sram[1], 0x34);
    EXPECT_EQ(bus_read(1, 0x600003), 0x34u) << "both bytes of the word reach byte 1";
    EXPECT_EQ(bus_read(2, 0x600002), 0x34u);
    // Byte n + 1 of a long wraps within the cartridge (size code 3: 64 KB = 0x20000 addresses).
    cart_sram[0] = 0xAA;
    bus_write(4, 0x61FFFE, 0x00550066);
    EXPECT_EQ(cart_sram[0xFFFF], 0x55);
    EXPECT_EQ(cart_sram[0x0000], 0x66);
    EXPECT_EQ(bus_read(4, 0x61FFFE), 0x00550066u);
    EXPECT_EQ(bus_read(1, 0x620002), 0x34u) << "the cartridge repeats through the window";
}

TEST_F(MemoryMapTest, RamCartridgeSizeCodeClampedAndAbsentCartridge) {
    cfg_set(cfg_scd_ram_cart_size, 9);
    scd_ram_cart_setup();
    EXPECT_EQ(cart_sram_size, 0x10000u);
    EXPECT_EQ(scd_ram_cart_id[1], 3);
    cfg_set(cfg_scd_ram_cart, 0);
    scd_ram_cart_setup();
    m68k_build_segacd_memory_map();
    EXPECT_EQ(cart_sram_size, 0u);
    EXPECT_EQ(bus_read(4, 0x600000), 0x600000u);
    EXPECT_EQ(bus_read(1, 0x400001), 0x01u);
    bus_write(1, 0x600001, 0x77);
    EXPECT_EQ(cart_sram[0], 0);
}

TEST_F(MemoryMapTest, UnitSlotsArePickedUpByTheNextMapBuild) {
    m68k_scd_gate_array_set.read_word = [](u32) -> u32 { return 0x3232; };
    EXPECT_EQ(bus_read(2, 0xA12000), 0x2000u) << "not before the map is laid again";
    m68k_reset_memory_map();
    EXPECT_EQ(bus_read(2, 0xA12000), 0x3232u);
    m68k_reset_unit_slots();
    m68k_reset_memory_map();
    EXPECT_EQ(bus_read(2, 0xA12000), 0x2000u);
}

class S32xWindowTest : public MemoryMapTest {
  protected:
    void SetUp() override {
        MemoryMapTest::SetUp();
        sdram.fill(0);
        framebuffer.fill(0xAA);
        m68k_s32x_sdram_view       = sdram;
        m68k_s32x_framebuffer_view = framebuffer;
    }
    std::array<u8, 0x40000> sdram;
    std::array<u8, 0x20000> framebuffer;
};

TEST_F(S32xWindowTest, SdramEveryWidthWrappingWithinIt) {
    bus_write(4, 0x63FFFE, 0x11223344);
    EXPECT_EQ(sdram[0x3FFFE], 0x11);
    EXPECT_EQ(sdram[0x00001], 0x44);
    EXPECT_EQ(bus_read(4, 0x63FFFE), 0x11223344u);
    bus_write(1, 0x600010, 0);
    EXPECT_EQ(bus_read(2, 0x600010), 0x0000u);
}

TEST_F(S32xWindowTest, FrameBufferByteWritesOfZeroAreTransparent) {
    bus_write(1, 0x840000, 0x00);
    EXPECT_EQ(framebuffer[0], 0xAA);
    bus_write(1, 0x840001, 0x05);
    EXPECT_EQ(framebuffer[1], 0x05);
    bus_write(2, 0x840002, 0x0000);  // words and longs are stored whole
    EXPECT_EQ(framebuffer[2], 0x00);
    EXPECT_EQ(framebuffer[3], 0x00);
}

TEST_F(S32xWindowTest, OverwriteImageKeepsZeroBytesAtEveryWidth) {
    bus_write(4, 0x860010, 0x00112200);
    EXPECT_EQ(framebuffer[0x10], 0xAA);
    EXPECT_EQ(framebuffer[0x11], 0x11);
    EXPECT_EQ(framebuffer[0x12], 0x22);
    EXPECT_EQ(framebuffer[0x13], 0xAA);
    EXPECT_EQ(bus_read(4, 0x860010), 0xAA1122AAu);
    EXPECT_EQ(bus_read(4, 0x840010), 0xAA1122AAu) << "the same buffer as 0x840000";
}

TEST_F(S32xWindowTest, NoViewIsAnAbsent32x) {
    m68k_s32x_sdram_view       = {};
    m68k_s32x_framebuffer_view = {};
    EXPECT_EQ(bus_read(4, 0x600010), 0x600010u);
    EXPECT_EQ(bus_read(2, 0x870002), 0x0002u);
    bus_write(4, 0x840000, 0xFFFFFFFF);
    EXPECT_EQ(framebuffer[0], 0xAA);
}

TEST_F(MemoryMapTest, S32xRegisterPageDecodesThroughItsTables) {
    EXPECT_EQ(bus_read(2, 0xA15180), 0x5180u) << "no 32X: every entry unmapped";
    m68k_a15_fill(m68k_a15_tables.read_word, {M68kA15Run<M68kReadFn>{m68k_unmapped_read, 0x180},
                                              {[](u32) -> u32 { return 0x8000; }, 2}});
    EXPECT_EQ(bus_read(2, 0xA15180), 0x8000u);
    EXPECT_EQ(bus_read(2, 0xA15580), 0x8000u) << "0xA15400-0xA15FFF repeat the tables";
    EXPECT_EQ(bus_read(2, 0xA15182), 0x5182u) << "entries past the runs are left alone";
    m68k_a15_tables_reset();
    EXPECT_EQ(bus_read(2, 0xA15180), 0x5180u);
}

TEST_F(MemoryMapTest, S32xBiosOverlayOnPageZero) {
    for (u32 i = 0; i < kS32xM68kBiosSize; ++i) s32x_m68k_bios[i] = static_cast<u8>(0xE0 ^ i);
    m68k_map_s32x_bios_overlay();
    EXPECT_EQ(m68k_fetch_pages[0].kind, M68kFetchKind::kS32xBios);
    EXPECT_EQ(bus_read(1, 0x000010), rom(0x10)) << "32X not active: the cartridge";
    static bool active;
    active           = true;
    m68k_s32x_active = [] { return active; };
    EXPECT_EQ(bus_read(1, 0x000010), 0xF0u);
    EXPECT_EQ(bus_read(2, 0x0000FF), u32{s32x_m68k_bios[0xFF]} << 8 | rom(0x100))
        << "the overlay ends at 0x100";
    EXPECT_EQ(bus_read(1, 0x000100), rom(0x100));
    bus_write(2, 0x0000FF, 0x1234);
    EXPECT_EQ(s32x_m68k_bios[0xFF], 0x12);
    EXPECT_EQ(memory_arena[kS32xM68kBiosOffset + kS32xM68kBiosSize], 0) << "guard untouched";
    m68k_reset_memory_map();
    EXPECT_EQ(bus_read(1, 0x000010), rom(0x10)) << "power-on lays the cartridge again";
}

}  // namespace
}  // namespace varn
