#include <gtest/gtest.h>

#include "m68k/m68k_bus.h"

namespace varn {
namespace {

u32 last_addr = 0, last_value = 0;
u32 read_probe(u32 a) {
    last_addr = a;
    return 0xCAFEBABE;
}
void write_probe(u32 a, u32 v) {
    last_addr  = a;
    last_value = v;
}

class M68kBus : public ::testing::Test {
  protected:
    void SetUp() override { m68k_bus_clear(); }
    void TearDown() override { m68k_bus_clear(); }
};

// Unmapped pages read as the address and ignore writes; the accessors use 24 address bits.
TEST_F(M68kBus, UnmappedPagesReadTheirAddress) {
    EXPECT_EQ(m68k_read_long(0x400000), 0x400000u);
    EXPECT_EQ(m68k_read_word(0xFF400002) & 0xFFFF, 0x0002u);
    EXPECT_EQ(m68k_read_byte(0x12345678) & 0xFF, 0x78u);
    m68k_write_long(0x400000, 1);  // ignored
    EXPECT_EQ(s68k_read_long(0x0C0000), 0x0C0000u);
}

// The main bus pages by 4 KB, the sub-CPU's by 64 KB; handlers get the masked address.
TEST_F(M68kBus, AccessorsRouteByPageWithTheMaskedAddress) {
    m68k_page_read_word[0xA11]  = &read_probe;
    m68k_page_write_byte[0xA11] = &write_probe;
    EXPECT_EQ(m68k_read_word(0x7FA11100), 0xCAFEBABEu);
    EXPECT_EQ(last_addr, 0xA11100u);
    m68k_write_byte(0xA11201, 0x1FF);
    EXPECT_EQ(last_addr, 0xA11201u);
    EXPECT_EQ(last_value, 0x1FFu);                   // the handler stores the low 8 bits
    EXPECT_EQ(m68k_read_word(0xA12000), 0xA12000u);  // the next page is still unmapped

    s68k_page_write_long[0x08] = &write_probe;
    s68k_write_long(0xFF08FFFE, 0x11223344);
    EXPECT_EQ(last_addr, 0x08FFFEu);
    EXPECT_EQ(last_value, 0x11223344u);
}

}  // namespace
}  // namespace varn
