// The SH-2 bus: the page map of both cores, mirrors and bounds of every memory, accessors of
// every width, the frame buffer's overwrite image and the register slots of page 0 and the
// on-chip page.

#include "sh2/sh2_test_support.h"

namespace varn {
namespace {

using test::Sh2Test;

class Sh2BusTest : public Sh2Test {
  protected:
    void SetUp() override {
        Sh2Test::SetUp();
        // Every image gets a distinct pattern: byte i of image k = k * 0x10 + (i & 0xF), so
        // that a read tells which image (and which offset) it reached.
        fill(sh2_boot_rom, 0x10);
        fill(sh2s_boot_rom, 0x20);
        fill(sh2_cache_array, 0x30);
        fill(sh2s_cache_array, 0x40);
        fill(s32x_sdram, 0x50);
        fill(s32x_palette, 0x60);
        fill(s32x_frame_buffers.subspan(0, kS32xFrameBufferSize), 0x70);
        fill(s32x_frame_buffers.subspan(kS32xFrameBufferSize), 0x80);
        fill(cart_rom.subspan(0, 0x100000), 0x90);
        sh2_set_cart_size(0x1000);
    }
    static void fill(std::span<u8> image, u8 tag) {
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<u8>(tag | (i & 0xF));
    }
};

struct ReadCase {
    u32 address;
    u32 master, slave;  // the long each core reads there
};

TEST_F(Sh2BusTest, ReadsReachTheMapsImagesWithTheirMirrorsAndBounds) {
    s32x_fb_display        = 0;  // the SH-2s reach buffer 1
    const ReadCase cases[] = {
        {0x00000000, 0x10111213, 0x20212223},  // boot ROMs
        {0x00001004, 0x14151617, 0x24252627},  // bits 12-13 not decoded
        {0x20000008, 0x18191A1B, 0x28292A2B},  // cache-through mirror
        {0x00000800, 0, 0},                    // bit 11: unmapped on both
        {0x00000400, 0x10111213, 0},           // bit 10: unmapped on the slave only
        {0x00004200, 0x60616263, 0x60616263},  // palette
        {0x00004604, 0x64656667, 0},           // bit 10 set: the palette again (master)
        {0x00007208, 0x68696A6B, 0x68696A6B},  // bits 12-13 set: the palette again
        {0x02000000, 0x90919293, 0x90919293},  // cartridge
        {0x22000004, 0x94959697, 0x94959697},  // cartridge, cache-through
        {0x02001000, 0, 0},                    // past the loaded cartridge
        {0x04000000, 0x80818283, 0x80818283},  // frame buffer not displayed
        {0x04020004, 0x84858687, 0x84858687},  // its overwrite image
        {0x04040000, 0, 0},                    // past both views
        {0x06000000, 0x50515253, 0x50515253},  // SDRAM
        {0x06040008, 0x58595A5B, 0x58595A5B},  // SDRAM mirrored within its 256 KB
        {0x260FFFF0, 0x50515253, 0x50515253},
        {0x0C00000C, 0x5C5D5E5F, 0x5C5D5E5F},  // SDRAM at 0x0C000000 too
        {0xC0000000, 0x30313233, 0x40414243},  // each core's cache array
        {0xC0000800, 0, 0},                    // past it
        {0xE0000000, 0, 0},                    // no cache-through mirror of the array
        {0x08000000, 0, 0},                    // unmapped areas
        {0x40000000, 0, 0},
        {0xFFFF0000, 0, 0},
        {0xFFFFFE00, 0, 0},  // on-chip registers, none bound
    };
    for (const auto& k : cases) {
        EXPECT_EQ(sh2_read_long(k.address), k.master) << std::hex << k.address;
        EXPECT_EQ(sh2s_read_long(k.address), k.slave) << std::hex << k.address;
        // Word and byte reads see the same bytes.
        EXPECT_EQ(sh2_read_word(k.address + 2), k.master & 0xFFFF) << std::hex << k.address;
        EXPECT_EQ(sh2_read_byte(k.address + 1), (k.master >> 16) & 0xFF) << std::hex << k.address;
    }
    s32x_fb_display = 1;
    EXPECT_EQ(sh2_read_long(0x04000000), 0x70717273u) << "the select switches the buffer";
}

TEST_F(Sh2BusTest, WritesOfEveryWidthLandWhereReadsFindThemAndReadOnlyAreasIgnoreThem) {
    const u32 writable[] = {0x06000100, 0x26000104, 0x0C000108, 0x00004210, 0xC0000010, 0x04000010};
    for (const u32 a : writable) {
        sh2_write_long(a, 0xDEADBEEF);
        sh2_write_word(a + 4, 0xCAFE);
        sh2_write_byte(a + 6, 0x42);
        EXPECT_EQ(sh2_read_long(a), 0xDEADBEEFu) << std::hex << a;
        EXPECT_EQ(sh2_read_word(a + 4), 0xCAFEu) << std::hex << a;
        EXPECT_EQ(sh2_read_byte(a + 6), 0x42u) << std::hex << a;
    }
    EXPECT_EQ(load_be32(&s32x_sdram[0x100]), 0xDEADBEEFu);
    EXPECT_EQ(load_be32(&s32x_frame_buffers[kS32xFrameBufferSize + 0x10]), 0xDEADBEEFu);
    EXPECT_EQ(sh2s_read_long(0xC0000010), 0x40414243u) << "the slave's array is its own";
    for (const u32 a : {0x00000000u, 0x02000000u, 0x22000010u, 0x08000000u}) {
        const u32 before = sh2_read_long(a);
        sh2_write_long(a, 0);
        sh2_write_byte(a, 0xFF);
        EXPECT_EQ(sh2_read_long(a), before) << std::hex << a;
    }
    // Unaligned accesses at the ends of images stay inside their arrays.
    EXPECT_EQ(sh2_read_long(0x0603FFFE), 0x5E5F0000u);
    sh2_write_long(0x000043FE, 0x11223344);
    EXPECT_EQ(s32x_palette[0x1FF], 0x22);
}

TEST_F(Sh2BusTest, TheOverwriteImageWritesOnlyBytesThatAreNotZero) {
    u8* fb = &s32x_frame_buffers[kS32xFrameBufferSize];
    sh2_write_word(0x04020000, 0x00FF);
    EXPECT_EQ(fb[0], 0x80);
    EXPECT_EQ(fb[1], 0xFF);
    sh2_write_byte(0x04020002, 0x00);
    EXPECT_EQ(fb[2], 0x82);
    sh2_write_long(0x04020004, 0x11002200);
    EXPECT_EQ(load_be32(fb + 4), 0x11852287u);
}

TEST_F(Sh2BusTest, RegisterAreasReachTheirCoresTables) {
    // Each core's tables answer with a tag of the core and the access kind.
    sh2_register_tables.sysregs.read_word[0x20]  = [](u32 a) { return 0x1000 | (a & 0xFF); };
    sh2s_register_tables.sysregs.read_word[0x20] = [](u32 a) { return 0x2000 | (a & 0xFF); };
    sh2_register_tables.vdpregs.read_long[0x4]   = [](u32) { return 0x12345678u; };
    sh2_register_tables.onchip.read_byte[0x1FF]  = [](u32) { return 0xABu; };
    static u32 written;
    written                                      = 0;
    sh2_register_tables.sysregs.write_byte[0x01] = [](u32 a, u32 v) { written = (a << 8) | v; };
    EXPECT_EQ(sh2_read_word(0x00004020), 0x1020u);
    EXPECT_EQ(sh2s_read_word(0x20004020), 0x2020u);
    EXPECT_EQ(sh2_read_word(0x00004060), 0u) << "bit 6 is outside the system registers";
    EXPECT_EQ(sh2_read_word(0x00005020), 0u) << "so is bit 12";
    EXPECT_EQ(sh2_read_long(0x00004104), 0x12345678u);
    EXPECT_EQ(sh2_read_long(0x00004114), 0u) << "bit 4 is outside the VDP registers";
    EXPECT_EQ(sh2_read_byte(0xFFFFFFFF), 0xABu);
    EXPECT_EQ(sh2s_read_byte(0xFFFFFFFF), 0u);
    sh2_write_byte(0x00004001, 0x5A);
    EXPECT_EQ(written, 0x40015Au);
    sh2s_write_byte(0x00004001, 0x77);
    EXPECT_EQ(written, 0x40015Au) << "the slave's tables are its own";
}

}  // namespace
}  // namespace varn
