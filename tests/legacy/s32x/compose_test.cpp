// The earlier release's 32X frame composition: each bitmap mode with both priorities, double
// size with the scanline masks, line tables and runs at the buffer's edges.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "base/endian.h"
#include "genesis/vdp/render_output.h"
#include "legacy/s32x/s32x_compose_v024.h"

namespace varn::test {
namespace {

constexpr u32 kModePacked = 0x10, kModeDirect = 0x20, kModeRuns = 0x30;
constexpr u32 kPriority = 8, kDouble = 4;
constexpr u8 kOpaque = 0x11;  // a Genesis index that is not the backdrop

class LegacyCompose : public ::testing::Test {
  protected:
    // Genesis: the backdrop (index 0x40, bits 0-5 clear) on the left half, kOpaque on the right.
    // 32X: every line starts at word 0x100 (a direct-colour frame would not fit the buffer
    // with a line of its own each).
    void SetUp() override {
        genesis.assign(kFrameRowsV024 * kFrameRowBytesV024, 0);
        for (u32 y = 0; y < kFrameRowsV024; ++y)
            for (u32 p = 0; p < kFrameWidthV024; ++p)
                genesis[y * kFrameRowBytesV024 + p] = p < 160 ? 0x40 : kOpaque;
        for (u32 i = 0; i < 256; ++i) colours[i] = static_cast<u16>(0xA000 + i);
        fb.assign(0x20000, 0);
        for (u32 y = 0; y < 256; ++y) store_be16(&fb[2 * y], 0x100);
        palette.fill(0);
        set_palette(0, 0x7C00);           // blue
        set_palette(5, 0x001F);           // red
        set_palette(6, 0x8000 | 0x03E0);  // green, through the Genesis picture
        surface_pixels.assign(640 * 448, 0x5555);
    }
    void set_palette(u32 i, u16 w) { store_be16(&palette[2 * i], w); }
    void put_fb_word(u32 word, u16 w) { store_be16(&fb[(2 * word) & 0x1FFFF], w); }
    // Every line: pixel p of the pattern k = p % 3 (packed: index 0, 5, 6; direct: 0, red,
    // green with bit 15).
    void fill_lines(bool direct) {
        {
            const u32 start = 0x100;
            for (u32 p = 0; p < kFrameWidthV024; ++p) {
                static constexpr u8 kIndex[] = {0, 5, 6};
                static constexpr u16 kWord[] = {0x0000, 0x001F, 0x83E0};
                if (direct) {
                    put_fb_word(start + p, kWord[p % 3]);
                } else {
                    fb[(2 * start + p) & 0x1FFFF] = kIndex[p % 3];
                }
            }
        }
    }
    bool compose(u32 mode, S32xScanlineMasksV024 masks = {}) {
        S32xComposeInputV024 in{genesis.data(), &colours, fb.data(), 0x20000, palette.data()};
        FrameSurface s{surface_pixels.data(), 640, 640, 448, 0, 0};
        return s32x_frame_copy_v024(mode, in, s, masks);
    }
    u16 at(u32 x, u32 y) const { return surface_pixels[y * 640 + x]; }
    static u16 host(u16 w) { return s32x_colour_to_host(w); }

    std::vector<u8> genesis;
    std::array<u16, 256> colours{};
    std::vector<u8> fb;
    std::array<u8, 512> palette{};
    std::vector<u16> surface_pixels;
};

TEST_F(LegacyCompose, PackedAndDirectPixelsMeetTheGenesisPictureByPriority) {
    const u16 blue = host(0x7C00), red = host(0x001F), green = host(0x03E0);
    const u16 gen_backdrop = colours[0x40], gen_opaque = colours[kOpaque];
    struct Case {
        const char* name;
        u32 mode;
        // pixels 159, 160, 161 of the pattern k = 0, 1, 2 on the backdrop (0-2) and over
        // the Genesis picture (right half: 162, 163, 164 for k = 0, 1, 2)
        std::array<u16, 6> expected;
    };
    const Case cases[] = {
        {"packed, Genesis first: the 32X on the backdrop and through bit 15",
         kModePacked,
         {blue, red, green, gen_opaque, gen_opaque, green}},
        {"packed, 32X first: the 32X unless index 0",
         kModePacked | kPriority,
         {gen_backdrop, red, green, gen_opaque, red, green}},
        {"direct, Genesis first",
         kModeDirect,
         {host(0), red, green, gen_opaque, gen_opaque, green}},
        {"direct, 32X first: the 32X unless its colour is 0",
         kModeDirect | kPriority,
         {gen_backdrop, red, green, gen_opaque, red, green}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        fill_lines(k.mode == kModeDirect || k.mode == (kModeDirect | kPriority));
        ASSERT_TRUE(compose(k.mode));
        for (u32 y : {0u, 100u, 223u}) {
            // Backdrop pixels 156-158 (k = 0, 1, 2), then opaque ones 162-164.
            const std::array<u16, 6> got = {at(156, y), at(157, y), at(158, y),
                                            at(162, y), at(163, y), at(164, y)};
            EXPECT_EQ(got, k.expected) << "line " << y;
        }
        EXPECT_EQ(at(320, 0), 0x5555) << "nothing right of the picture";
        EXPECT_EQ(at(0, 224), 0x5555) << "nothing below it";
    }
}

TEST_F(LegacyCompose, RunsFillTheLineAndAreCutAtItsEnd) {
    {
        const u32 start = 0x100;
        put_fb_word(start, 0x0205);      // 3 pixels of red
        put_fb_word(start + 1, 0xFF00);  // 256 of blue
        put_fb_word(start + 2, 0xFF06);  // 256 of green, cut after 61
        put_fb_word(start + 3, 0x0005);  // never reached
    }
    for (u32 prio : {0u, kPriority}) {
        ASSERT_TRUE(compose(kModeRuns | prio));
        EXPECT_EQ(at(0, 7), host(0x001F));
        EXPECT_EQ(at(2, 7), host(0x001F));
        EXPECT_EQ(at(3, 7), host(0x7C00));
        EXPECT_EQ(at(258, 7), host(0x7C00));
        EXPECT_EQ(at(259, 7), host(0x83E0));
        EXPECT_EQ(at(319, 7), host(0x83E0));
        EXPECT_EQ(at(320, 7), 0x5555);
    }
}

TEST_F(LegacyCompose, DoubleSizeWritesEveryPixelTwiceAndTheSecondRowThroughTheMasks) {
    fill_lines(false);
    const u16 red = host(0x001F);
    struct Case {
        const char* name;
        S32xScanlineMasksV024 masks;
        u16 second;
    };
    const Case cases[] = {
        {"scanlines off", {0, 0xFFFF}, red},
        {"half brightness", {0x7BCF, 0}, static_cast<u16>((red >> 1) & 0x7BCF)},
        {"black", {0, 0}, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_TRUE(compose(kModePacked | kDouble, k.masks));
        // Pixel 1 (red) of line 5 at x 2 and 3 of rows 10 and 11.
        EXPECT_EQ(at(2, 10), red);
        EXPECT_EQ(at(3, 10), red);
        EXPECT_EQ(at(2, 11), k.second);
        EXPECT_EQ(at(3, 11), k.second);
        EXPECT_EQ(at(639, 446), colours[kOpaque]);
    }
}

TEST_F(LegacyCompose, LinesReachingPastTheBufferWrapWithinIt) {
    store_be16(&fb[2 * 9], 0xFFFF);  // line 9 starts at the buffer's last word
    put_fb_word(0xFFFF, 0x0505);     // its first two pixels: red
    put_fb_word(0x0000, 0x0000);     // then the line table's first word, wrapped
    ASSERT_TRUE(compose(kModePacked | kPriority));
    EXPECT_EQ(at(0, 9), host(0x001F));
    EXPECT_EQ(at(1, 9), host(0x001F));
    EXPECT_EQ(at(2, 9), colours[0x40]) << "index 0 shows the Genesis picture";
}

TEST_F(LegacyCompose, ABlankModeOrAMissingSourceDrawsNothing) {
    EXPECT_FALSE(compose(0));
    EXPECT_FALSE(compose(kDouble | kPriority));
    S32xComposeInputV024 in{genesis.data(), &colours, nullptr, 0x20000, palette.data()};
    FrameSurface s{surface_pixels.data(), 640, 640, 448, 0, 0};
    EXPECT_FALSE(s32x_frame_copy_v024(kModePacked, in, s));
    EXPECT_EQ(at(0, 0), 0x5555);
}

}  // namespace
}  // namespace varn::test
