// The earlier release's SH-2 accessors: the main map with its two differences.

#include <gtest/gtest.h>

#include "base/endian.h"
#include "legacy/s32x/s32x_registers_v024.h"
#include "legacy/sh2/sh2_bus_v024.h"
#include "s32x/s32x_test_support.h"

namespace varn::test {
namespace {

class LegacySh2Bus : public S32xTest {
  protected:
    void SetUp() override {
        S32xTest::SetUp();
        sh2_build_memory_map_v024();
        s32x_install_registers_v024();
    }
};

TEST_F(LegacySh2Bus, AReadWithoutARegionGivesTheAddress) {
    struct Case {
        const char* name;
        u32 address;
    };
    const Case cases[] = {
        {"a page without a region", 0x12345678},
        {"the cache page past its 2 KB", 0xC0000900},
        {"the frame-buffer pages past their windows", 0x04050000},
        {"a hole of page 0 (bit 11)", 0x00004800},
        {"the on-chip page below its registers", 0xFFFF0000},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(sh2_read_long_v024(k.address), k.address);
        EXPECT_EQ(sh2s_read_word_v024(k.address), k.address & 0xFFFF);
        EXPECT_EQ(sh2_read_byte_v024(k.address), k.address & 0xFF);
        EXPECT_EQ(sh2_read_long(k.address), 0u) << "the main bus reads 0 there";
        sh2_write_long_v024(k.address, 0xDEADBEEF);  // vanishes
        EXPECT_EQ(sh2_read_long_v024(k.address), k.address);
    }
    // Regions read as the main bus reads them.
    store_be32(&s32x_sdram[0x100], 0x11223344);
    EXPECT_EQ(sh2_read_long_v024(0x06000100), 0x11223344u);
    EXPECT_EQ(sh2_read_long_v024(0x02000000), 0u) << "the cartridge window reads 0 past the image";
}

TEST_F(LegacySh2Bus, TheFrameBufferControlReadsTheFmBitAlone) {
    for (u32 fm : {0x80u, 0x00u}) {
        SCOPED_TRACE(fm);
        sh2_write_byte_v024(0x4000, fm);
        EXPECT_EQ(sh2_read_byte_v024(0x410B) & 2, fm ? 0u : 2u);
        EXPECT_EQ(sh2_read_word_v024(0x410A) & 2, fm ? 0u : 2u);
        EXPECT_EQ(sh2s_read_byte_v024(0x410B) & 2, fm ? 0u : 2u);
    }
    // The main bus reports the access after a write of 0x80 as busy; the older one does not.
    sh2_write_word_v024(0x4000, 0x8000);
    EXPECT_EQ(sh2_read_byte_v024(0x410B) & 2, 0u);
    EXPECT_EQ(s32x_regs.adapter, 0x80) << "the value is stored";
    sh2_write_byte(0x4000, 0x80);
    EXPECT_EQ(sh2_read_byte(0x410B) & 2, 2u);
}

TEST_F(LegacySh2Bus, ZeroBytesLeaveTheOverwriteImageAlone) {
    sh2_write_word_v024(0x04000010, 0x1234);
    sh2_write_byte_v024(0x04020010, 0x00);
    sh2_write_word_v024(0x04020010, 0x0056);
    EXPECT_EQ(sh2_read_word_v024(0x04000010), 0x1256u);
}

}  // namespace
}  // namespace varn::test
