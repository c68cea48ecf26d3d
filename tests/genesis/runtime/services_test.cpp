#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/low_level.h"
#include "runtime_fixture.h"

namespace varn::test {
namespace {

using RegionTest = RuntimeTest;

TEST_F(RegionTest, HeaderRegionIsTriedInTheConfiguredOrder) {
    struct Case {
        const char* bytes;
        u32 order;
        u32 expected;
    };
    const Case cases[] = {
        {"JUE", 2, kRegionEurope}, {"JUE", 4, kRegionJapan},  {"JUE", 0, kRegionUsa},
        {"4  ", 3, kRegionUsa},    {"4  ", 4, kRegionUsa},    {"F  ", 4, kRegionJapan},
        {"F  ", 2, kRegionEurope}, {"   ", 3, kRegionEurope}, {"   ", 5, kRegionJapan},
        {"8  ", 0, kRegionEurope}, {"1  ", 0, kRegionJapan},  {"f  ", 1, kRegionUsa},
        {":  ", 4, kRegionJapan},   // 0x3A reads as 3: Japan and USA bits
        {"J E", 0, kRegionEurope},  // other letters rule out USA before the digit is read
        {"E  ", 9, kRegionEurope},  // an order out of range counts as 0
    };
    for (const Case& c : cases) {
        cfg_set(cfg_region_order, c.order);
        EXPECT_EQ(region_detect(reinterpret_cast<const u8*>(c.bytes)), c.expected)
            << c.bytes << " order " << c.order;
        EXPECT_EQ(region.scd_region, c.expected);
        EXPECT_EQ(region.pal_flag, c.expected == kRegionEurope ? 1u : 0u);
        EXPECT_EQ(region.overseas_flag, c.expected == kRegionJapan ? 0u : 1u);
    }
}

TEST(LowLevel, DigitConversions) {
    EXPECT_EQ(byte_to_decimal_digits(99), 0x909u);
    EXPECT_EQ(byte_to_decimal_digits(255), 0x905u);  // the tens keep their low four bits
    EXPECT_EQ(byte_to_decimal_digits(7), 0x007u);
    EXPECT_EQ(byte_to_bcd(59), 0x59u);
    EXPECT_EQ(byte_to_bcd(0), 0u);
}

TEST(LowLevel, BlockHelpersHonourTheirCounts) {
    u8 buf[5] = {1, 2, 3, 4, 5};
    mem_swap_bytes16(buf, 5);
    EXPECT_EQ(std::memcmp(buf, "\x02\x01\x04\x03\x05", 5), 0);
    mem_swap_bytes16(buf, 1);
    mem_swap_bytes16(buf, 0);
    EXPECT_EQ(buf[0], 2);

    u8 block[48];
    std::memset(block, 0xAA, sizeof block);
    mem_clear16(block, 0);
    EXPECT_EQ(block[0], 0xAA);
    mem_clear16(block, 2);
    EXPECT_EQ(block[31], 0);
    EXPECT_EQ(block[32], 0xAA);

    u8 words[12] = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
    mem_copy_dwords(words + 4, words, 0);
    EXPECT_EQ(words[4], 5);
    mem_copy_dwords(words + 4, words, 2);  // upward overlap repeats the first word
    EXPECT_EQ(std::memcmp(words, "\x01\x02\x03\x04\x01\x02\x03\x04\x01\x02\x03\x04", 12), 0);
}

TEST(LowLevel, RomBufferClearZeroesTheWholeCartridgeImage) {
    cart_rom[0]                   = 1;
    cart_rom[cart_rom.size() - 1] = 2;
    rom_buffer_clear();
    EXPECT_EQ(std::count(cart_rom.begin(), cart_rom.end(), 0), static_cast<long>(cart_rom.size()));
}

TEST(LowLevel, TextBufferAppendsAndWrapsWithinItself) {
    debug_text_reset();
    debug_text_append("PC");
    debug_text_append_blank();
    debug_text_append_hex(0x12AB, 4);
    debug_text_append_separator();
    debug_text_append_hex(0xF, 1);
    EXPECT_EQ(std::string(debug_text_buffer()), "PC 12AB, F");
    debug_text_reset();
    for (int i = 0; i < 300; ++i) debug_text_append("x");  // wraps, never overruns
    EXPECT_EQ(std::strlen(debug_text_buffer()), 300u - 256u);
}

TEST(LowLevel, FeatureProbeRuns) {
    cpu_detect_features();
#if defined(__x86_64__)
    EXPECT_EQ(cpu_has_mmx, 0xFFFFFFFFu);  // every x86-64 processor has it
#endif
}

}  // namespace
}  // namespace varn::test
