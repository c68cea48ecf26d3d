// Save memory announced by the cartridge header: validation at power-on, the window in the
// map, the enable register 0xA130F1 and the EEPROM behind a window.

#include "genesis/bus/save_ram.h"

#include <gtest/gtest.h>

#include "base/endian.h"
#include "bus_fixture.h"

namespace varn {
namespace {

using test::bus_read;
using test::bus_write;

class SaveRamTest : public test::BusTest {
  protected:
    void SetUp() override {
        BusTest::SetUp();
        for (u32 a = 0x1F0000; a < 0x220000; ++a) cart_rom[a] = static_cast<u8>(a >> 4);
        for (u32 a = 0x3FF000; a < 0x400000; ++a) cart_rom[a] = 0xC3;
    }
    static void header(u8 kind, u32 start, u32 end, const char* magic = "RA") {
        cart_rom[0x1B0] = static_cast<u8>(magic[0]);
        cart_rom[0x1B1] = static_cast<u8>(magic[1]);
        cart_rom[0x1B2] = kind;
        store_be32(&cart_rom[0x1B4], start);
        store_be32(&cart_rom[0x1B8], end);
    }
    static u32 rom_byte(u32 a) { return cart_rom[a]; }
};

TEST_F(SaveRamTest, StaticRamWindowFromTheHeader) {
    header(0xF8, 0x200001, 0x203FFF);
    ASSERT_TRUE(cart_save_setup());
    EXPECT_EQ(cart_save_kind, kCartSaveStatic);
    EXPECT_EQ(cart_sram_size, 0x3FFFu);
    bus_write(1, 0x203FFF, 0x5A);
    EXPECT_EQ(cart_sram[0x3FFE], 0x5A);
    EXPECT_EQ(bus_read(1, 0x203FFF), 0x5Au);
    EXPECT_EQ(bus_read(1, 0x200000), rom_byte(0x200000)) << "below the start: ROM";
    bus_write(1, 0x200000, 0x99);
    EXPECT_EQ(cart_sram[0], 0) << "below the start: write ignored";
    bus_write(2, 0x200002, 0x1234);
    EXPECT_EQ(bus_read(2, 0x200002), 0x1234u);
    EXPECT_EQ(cart_sram[1], 0x12);
    EXPECT_EQ(bus_read(1, 0x204000), rom_byte(0x204000)) << "page after the window: ROM map";
}

TEST_F(SaveRamTest, EnableRegisterSwitchesTheWindowToRomAndBack) {
    header(0xF8, 0x200001, 0x203FFF);
    ASSERT_TRUE(cart_save_setup());
    bus_write(1, 0x200001, 0x77);
    bus_write(1, 0xA130F1, 0x00);
    EXPECT_EQ(cart_sram_enable, 0u);
    EXPECT_EQ(bus_read(1, 0x200001), rom_byte(0x200001));
    bus_write(1, 0x200001, 0x11);
    EXPECT_EQ(cart_sram[0], 0x77) << "writes with the window off are ignored";
    bus_write(1, 0xA130F1, 0x03);
    EXPECT_EQ(bus_read(1, 0x200001), 0x77u);
    EXPECT_EQ(bus_read(1, 0xA130F1), 0x03u);
    bus_write(2, 0xA130F0, 0x0000);  // a word write at the even address reaches it too
    EXPECT_EQ(bus_read(1, 0x200001), rom_byte(0x200001));
}

TEST_F(SaveRamTest, HeaderValidation) {
    struct Case {
        const char* what;
        const char* magic;
        u8 kind;
        u32 start, end;
        bool mapped;
        u32 size;
    } cases[] = {
        {"no RA", "  ", 0xF8, 0x200001, 0x203FFF, false, 0},
        {"start after end", "RA", 0xF8, 0x210000, 0x200000, false, 0},
        {"start over the register pages", "RA", 0xF8, 0xA10000, 0xA10FFF, false, 0},
        {"start over work RAM", "RA", 0xF8, 0xFF0000, 0xFFFFFF, false, 0},
        {"addresses masked to 24 bits", "RA", 0xF8, 0xFF200000, 0xFF2000FF, true, 0x100},
        {"size cut to the save array", "RA", 0xF8, 0x200000, 0x2FFFFF, true, 0x10000},
        {"end cut to the cartridge area", "RA", 0xF8, 0x3FF000, 0x4FFFFF, true, 0x1000},
        {"EEPROM is 128 bytes whatever the end says", "RA", 0xE8, 0x200001, 0x3FFFFF, true, 0x80},
    };
    for (const auto& c : cases) {
        memory_clear();
        genesis_bus_reset_records();
        header(c.kind, c.start, c.end, c.magic);
        EXPECT_EQ(cart_save_setup(), c.mapped) << c.what;
        EXPECT_EQ(cart_sram_size, c.size) << c.what;
        if (!c.mapped) {
            EXPECT_EQ(cart_save_start, kCartSaveNone) << c.what;
        }
    }
}

TEST_F(SaveRamTest, OversizedRangeMapsOnlyTheSaveArray) {
    header(0xF8, 0x200000, 0x2FFFFF);
    ASSERT_TRUE(cart_save_setup());
    EXPECT_EQ(cart_save_end, 0x20FFFFu);
    bus_write(1, 0x210000, 0x44);
    EXPECT_EQ(bus_read(1, 0x210000), rom_byte(0x210000));
}

TEST_F(SaveRamTest, AccessesAtTheEndOfTheWindowStayInTheSaveArray) {
    header(0xF8, 0x200000, 0x20FFFF);
    ASSERT_TRUE(cart_save_setup());
    bus_write(4, 0x20FFFE, 0x11223344);
    EXPECT_EQ(cart_sram[0xFFFE], 0x11);
    EXPECT_EQ(cart_sram[0xFFFF], 0x22);
    EXPECT_EQ(bus_read(4, 0x20FFFE), 0x11220000u);
    EXPECT_EQ(bus_read(2, 0x20FFFF), 0x2200u);

    genesis_bus_reset_records();
    header(0xF8, 0x3FF000, 0x3FFFFF);
    ASSERT_TRUE(cart_save_setup());
    bus_write(4, 0x3FFFFE, 0xAABBCCDD);
    EXPECT_EQ(bus_read(4, 0x3FFFFE), 0xAABB0000u);
    EXPECT_EQ(cart_sram[0xFFE], 0xAA);
    EXPECT_EQ(cart_sram[0x1000], 0);
    bus_write(1, 0xA130F1, 0);
    EXPECT_EQ(bus_read(4, 0x3FFFFE), 0xC3C30000u) << "ROM under the window, guard past its end";
}

TEST_F(SaveRamTest, EepromBehindTheWindow) {
    header(0xE8, 0x200001, 0x200001);
    ASSERT_TRUE(cart_save_setup());
    EXPECT_EQ(cart_save_kind, kCartSaveEeprom);
    EXPECT_EQ(bus_read(1, 0x200001), 7u) << "both lines high after reset";
    bus_write(1, 0x200001, 0x02);  // SDA falls while SCL high: start
    EXPECT_EQ(bus_read(1, 0x200001), 2u);
    EXPECT_EQ(eeprom.step, EepromStep::kAddress);
    EXPECT_EQ(bus_read(2, 0x200001), 2u);
    EXPECT_EQ(bus_read(4, 0x200001), 0x200001u) << "long reads are not the EEPROM's";
    bus_write(4, 0x200001, 0x0);
    EXPECT_EQ(eeprom.lines, 2u) << "long writes are ignored";
    EXPECT_EQ(bus_read(1, 0x200003), rom_byte(0x200003)) << "past the window: ROM";
    EXPECT_EQ(bus_read(1, 0x201000), rom_byte(0x201000)) << "only the start's page";
}

}  // namespace
}  // namespace varn
