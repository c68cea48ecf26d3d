// Scanline renderers: whole synthetic scenes (CRC-32 of the line buffer, recorded after the
// pictures were checked by eye) and the pixel rules that matter most.

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "base/config.h"
#include "vdp_scene.h"

namespace varn::test {
namespace {

class RenderTest : public VdpTest {
  protected:
    void SetUp() override {
        VdpTest::SetUp();
        cfg_set(cfg_gen_sprite_limit, 1);
        cfg_set(cfg_squash_interlace, 1);
        standard_registers();
        standard_palette();
        standard_tiles();
        vdp_rebuild_palette();
    }
    void TearDown() override {
        cfg_set(cfg_gen_sprite_limit, 1);
        cfg_set(cfg_squash_interlace, 1);
        VdpTest::TearDown();
    }

    // The line-buffer byte of screen pixel p on `line` after rendering that line.
    static u8 pixel(u32 line, u32 p) {
        render_line_at(line);
        return vdp_line_buffer[line * kLineBufferPitch + p];
    }

    FrameImage image_;
};

// --- Scenes ----------------------------------------------------------------------------------

TEST_F(RenderTest, ScenePlanesWithScroll) {
    // Plane B: a checker of tiles, slanted by a per-line H scroll. Plane A: boxes every
    // fourth column and third row, raised a little more in each 2-cell column by the
    // per-column V scroll; the right half of them have priority.
    for (u32 row = 0; row < 32; ++row) {
        for (u32 col = 0; col < 64; ++col) {
            put_name(kPlaneB, 64, col, row, name(2, 0));
            if ((col % 4) == 1 && (row % 3) == 1)
                put_name(kPlaneA, 64, col, row, name(1, 1, col >= 20));
        }
    }
    vdp_reg(11, 0x07);
    for (u32 line = 0; line < 224; ++line)
        vram_put(kHscroll + line * 4 + 2, static_cast<u16>(line / 4));
    for (u32 n = 0; n < 20; ++n) vdp_vsram[2 * n] = static_cast<u16>(n * 2);
    render_frame(image_, 320, 224);
    maybe_dump(image_, "planes", 320, 224);
    EXPECT_EQ(line_buffer_crc(224), 0x86A4EEBBu);
}

// Tiles 16-31: a 4 x 4-cell disc for sprites (cells run down each column first), colour by
// ring, transparent outside.
void disc_tiles(u32 first) {
    for (u32 y = 0; y < 32; ++y) {
        for (u32 x = 0; x < 32; ++x) {
            const int dx = static_cast<int>(x) * 2 - 31, dy = static_cast<int>(y) * 2 - 31;
            const int d2     = dx * dx + dy * dy;
            const u32 colour = d2 > 31 * 31 ? 0 : 1 + static_cast<u32>(d2 / 100) % 15;
            const u32 tile   = first + (x / 8) * 4 + y / 8;
            const u32 addr   = tile * 32 + (y % 8) * 4 + (x % 8) / 2;
            u16& w           = vdp_vram[addr >> 1];
            const u32 shift  = (addr & 1 ? 0 : 8) + ((x & 1) ? 0 : 4);
            w                = static_cast<u16>((w & ~(0xF << shift)) | colour << shift);
        }
    }
    vdp_note_change();
}

TEST_F(RenderTest, SceneWindow) {
    // Plane A: boxes in every cell over the checker of plane B. The window covers the top 3
    // rows whole and, below them, the left 2H - 1 = 9 columns; its arrows are transparent
    // where plane B shows through (the window replaces plane A, transparency included).
    for (u32 row = 0; row < 32; ++row) {
        for (u32 col = 0; col < 64; ++col) {
            put_name(kPlaneB, 64, col, row, name(2, 0));
            put_name(kPlaneA, 64, col, row, name(1, 1));
            put_name(kWindow, 64, col, row, (col + row) % 4 == 0 ? name(5, 2) : name(4, 3));
        }
    }
    vdp_reg(17, 0x05);
    vdp_reg(18, 0x03);
    render_frame(image_, 320, 224);
    maybe_dump(image_, "window", 320, 224);
    EXPECT_EQ(line_buffer_crc(224), 0x12668AAEu);
}

TEST_F(RenderTest, SceneSprites) {
    // Plane A has a band of cell rows 10-13: high priority on the left half, low on the
    // right. Sprites: two overlapping discs (the earlier one, low priority, wins the overlap
    // but hides behind the high band; the later one has priority), flipped arrows, a disc
    // flipped both ways across the low band, a masking sprite at X = 0 on lines 150-157
    // that hides the arrow column after it but not the arrow before it, and discs partly
    // off the left and right edges.
    disc_tiles(16);
    for (u32 row = 0; row < 32; ++row)
        for (u32 col = 0; col < 64; ++col) put_name(kPlaneB, 64, col, row, name(2, 0));
    for (u32 row = 10; row < 14; ++row)
        for (u32 col = 0; col < 40; ++col) put_name(kPlaneA, 64, col, row, name(4, 2, col < 20));
    put_sprite(0, 40, 72, 4, 4, name(16, 1), 1);
    put_sprite(1, 56, 92, 4, 4, name(16, 2, true), 2);
    put_sprite(2, 150, 40, 1, 1, name(5, 3, false, false, true), 3);
    put_sprite(3, 170, 40, 1, 2, name(5, 3, false, true, false), 4);
    put_sprite(4, 220, 76, 4, 4, name(16, 3, false, true, true), 7);
    put_sprite(7, 120, 146, 1, 2, name(5, 1), 5);
    put_sprite(5, 0, 150, 1, 1, name(4, 0), 6);  // X = 0: masks the rest of lines 150-157
    vram_put(kSprites + 5 * 8 + 6, 0);
    put_sprite(6, 140, 146, 1, 2, name(5, 2), 8);
    put_sprite(8, -12, 180, 4, 4, name(16, 1), 9);
    put_sprite(9, 300, 184, 4, 4, name(16, 2), 0);
    render_frame(image_, 320, 224);
    maybe_dump(image_, "sprites", 320, 224);
    EXPECT_EQ(line_buffer_crc(224), 0xBB8C1CD4u);
}

TEST_F(RenderTest, SceneShadowHighlight) {
    // Shadow/highlight on. Everything low priority shows shadowed, the high band of plane A
    // (rows 12-15, left half) normal. Operator sprites: colour 0x3E brightens one step (to
    // normal when low priority, to highlight when high), 0x3F shadows.
    const char* const kE[8] = {"EEEEEEEE", "EEEEEEEE", "EEEEEEEE", "EEEEEEEE",
                               "EEEEEEEE", "EEEEEEEE", "EEEEEEEE", "EEEEEEEE"};
    const char* const kF[8] = {"FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF",
                               "FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF"};
    for (u32 t = 32; t < 64; ++t) put_tile(t, t < 48 ? kE : kF);
    disc_tiles(16);
    vdp_reg(12, 0x89);
    for (u32 row = 0; row < 32; ++row) {
        for (u32 col = 0; col < 64; ++col) {
            put_name(kPlaneB, 64, col, row, name(3, 0));
            if (row >= 12 && row < 16 && col < 30)
                put_name(kPlaneA, 64, col, row, name(1, 1, true));
        }
    }
    put_sprite(0, 40, 40, 4, 4, name(32, 3), 1);          // 0x3E, low: normal
    put_sprite(1, 40, 110, 4, 4, name(32, 3, true), 2);   // 0x3E, high: highlight
    put_sprite(2, 200, 40, 4, 4, name(48, 3), 3);         // 0x3F, low: shadow
    put_sprite(3, 200, 110, 4, 4, name(48, 3, true), 4);  // 0x3F, high: shadow
    put_sprite(4, 120, 160, 4, 4, name(16, 2), 0);        // an ordinary disc
    render_frame(image_, 320, 224);
    maybe_dump(image_, "shadow", 320, 224);
    EXPECT_EQ(line_buffer_crc(224), 0x1A0AA6F2u);
}

TEST_F(RenderTest, SceneInterlaceDoubleResolution) {
    // Double resolution, both fields into 448 rows: 16-row tiles with a stripe per row, so
    // the fields interleave into a smooth ramp; a 2 x 2-cell sprite is 16 x 32 pixels.
    cfg_set(cfg_squash_interlace, 0);
    vdp_vram.fill(0);  // tiles are twice the size here
    vdp_reg(12, 0x87);
    render_mode = (render_mode & ~0x0Cu) | 0x08;
    for (u32 r = 0; r < 16; ++r) {
        const u16 c  = static_cast<u16>(r == 0 ? 1 : r);
        const u16 ww = static_cast<u16>(c << 12 | c << 8 | c << 4 | c);
        vram_put(1 * 64 + r * 4, ww);  // tile 1: a stripe of colour r per row
        vram_put(1 * 64 + r * 4 + 2, ww);
        vram_put(2 * 64 + r * 4, r < 8 ? 0x0000 : 0x4444);  // tile 2: lower half, left
        vram_put(2 * 64 + r * 4 + 2, r < 8 ? 0x0000 : 0x0000);
    }
    for (u32 t = 8; t < 12; ++t)
        for (u32 r = 0; r < 16; ++r) {
            vram_put(t * 64 + r * 4, static_cast<u16>(0x1111 * (t - 6)));
            vram_put(t * 64 + r * 4 + 2, static_cast<u16>(0x1111 * (t - 6)));
        }
    for (u32 row = 0; row < 32; ++row) {
        for (u32 col = 0; col < 64; ++col) {
            put_name(kPlaneB, 64, col, row, name(1, (col / 2 + row) % 2 ? 0 : 1));
            if (col % 5 == 2) put_name(kPlaneA, 64, col, row, name(2, 2));
        }
    }
    put_sprite(0, 150, 0, 2, 2, name(8, 3), 0);
    vram_put(kSprites, 72 + 256);  // Y in double-resolution lines, 10 bits, offset 256
    render_frame(image_, 320, 448);
    maybe_dump(image_, "interlace", 320, 448);
    EXPECT_EQ(line_buffer_crc(448), 0xFB7A65DCu);
}

// --- Pixel rules ------------------------------------------------------------------------------

TEST_F(RenderTest, RenderModeKeepsTheWindowsBitWhileRegister12Changes) {
    // The window's thread turns doubled lines on while the emulation keeps writing the
    // interlace bit: the emulation's writes must not undo it. Many short trials, each with
    // one change from the window in the middle of the register writes.
    constexpr u32 kTrials = 2000;
    std::atomic<u32> go{0}, done{0};
    std::thread window([&] {
        for (u32 t = 1; t <= kTrials; ++t) {
            while (go.load() != t) {
            }
            render_mode_replace(4, 4);
            done.store(t);
        }
    });
    u32 lost = 0;
    for (u32 t = 1; t <= kTrials; ++t) {
        render_mode_replace(~0u, 0);
        go.store(t);
        for (u32 i = 0; done.load() != t; ++i) vdp_reg(12, (i & 1) ? 0x83 : 0x81);
        if ((render_mode_load() & 4) == 0) ++lost;
    }
    window.join();
    EXPECT_EQ(lost, 0u);
    render_mode = 0;
}

TEST_F(RenderTest, HorizontalScrollMinus8ShowsPlaneColumn1AtScreenColumn0) {
    vdp_reg(16, 0x01);                         // 64 x 32
    put_name(kPlaneB, 64, 1, 0, name(4, 1));   // solid colour 15, palette 1
    put_name(kPlaneB, 64, 63, 0, name(2, 0));  // the column that wraps in from the left
    vram_put(kHscroll + 2, static_cast<u16>(-8));
    EXPECT_EQ(pixel(0, 0), 0x1F);
    EXPECT_EQ(pixel(0, 7), 0x1F);
    EXPECT_EQ(pixel(0, 8), 0x00);
    // And scrolled by +8 the last column wraps in at the left edge.
    vram_put(kHscroll + 2, 8);
    EXPECT_EQ(pixel(0, 0), 0x03);
}

TEST_F(RenderTest, VerticalScrollPerColumnPair) {
    vdp_reg(11, 0x04);
    put_name(kPlaneB, 64, 0, 1, name(4, 1));  // cell row 1 of columns 0 and 2
    put_name(kPlaneB, 64, 2, 1, name(4, 2));
    vdp_vsram[1] = 8;  // pair 0 of plane B scrolled up one cell
    EXPECT_EQ(pixel(0, 0), 0x1F);
    EXPECT_EQ(pixel(0, 16), 0x00);  // pair 1 not scrolled: row 0 there
    EXPECT_EQ(pixel(8, 16), 0x2F);
}

TEST_F(RenderTest, FlipsAndPriorityBits) {
    static const char* const kCorner[8] = {"10000000", "00000000", "00000000", "00000000",
                                           "00000000", "00000000", "00000000", "00000002"};
    put_tile(8, kCorner);
    put_name(kPlaneB, 64, 0, 0, name(8, 0, true, true, false));   // priority, H flip
    put_name(kPlaneB, 64, 1, 0, name(8, 0, false, false, true));  // V flip
    render_line_at(0);
    const u8* row = vdp_line_buffer.data();
    // No sprite on the line: planes merge as (index) | 0x80 where any plane is high.
    EXPECT_EQ(row[7], 0x81);
    EXPECT_EQ(row[0], 0x80);  // transparent but high: still the high block, colour 0
    EXPECT_EQ(row[15], 0x02);
    EXPECT_EQ(row[8], 0x00);
}

TEST_F(RenderTest, SpriteAtXZeroMasksLaterSpritesOnly) {
    put_sprite(0, 10, 0, 1, 1, name(4, 1), 1);
    put_sprite(1, 0, 0, 1, 1, name(4, 2), 2);
    vram_put(kSprites + 1 * 8 + 6, 0);  // X = 0
    put_sprite(2, 30, 0, 1, 1, name(4, 3), 0);
    EXPECT_EQ(pixel(3, 10) & 0x3F, 0x1F);
    EXPECT_EQ(pixel(3, 30) & 0x3F, 0x00);
    // On a line where the masking sprite is absent, the later one shows.
    put_sprite(2, 30, 20, 1, 1, name(4, 3), 0);
    EXPECT_EQ(pixel(23, 30) & 0x3F, 0x3F);
}

// Every pixel of a line is the merge of its three layers, also far from the line's sprites,
// where a sprite line leaves the stored intensity form (0x40 normal) different from a line
// without sprites (0x80), and at the screen edges that sprites cross.
TEST_F(RenderTest, EveryPixelIsTheMergeOfItsLayers) {
    for (u32 r = 0; r < 3; ++r) {
        for (u32 c = 0; c < 64; ++c) put_name(kPlaneB, 64, c, r, name(4, 1, true));  // 0x5F
        put_name(kPlaneB, 64, 20, r, name(4, 0));  // a low tile: 0x0F
    }
    put_sprite(0, -4, 0, 1, 1, name(4, 2), 1);  // lines 0-7: 0x2F at 0-3, 150-157, 316-319
    put_sprite(1, 150, 0, 1, 1, name(4, 2), 2);
    put_sprite(2, 316, 0, 1, 1, name(4, 2), 3);
    put_sprite(3, 40, 8, 1, 1, name(4, 2), 4);  // lines 8-15: masked by X = 0 before it
    vram_put(kSprites + 3 * 8 + 6, 0);
    put_sprite(4, 60, 8, 1, 1, name(4, 2), 0);
    for (const u32 shadow_highlight : {0x81u, 0x89u}) {
        vdp_reg(12, shadow_highlight);
        for (u32 line = 0; line < 24; ++line) {
            render_line_at(line);
            const u8* row = vdp_line_buffer.data() + line * kLineBufferPitch;
            for (u32 p = 0; p < kLineWidth; ++p) {
                const u64 b       = (p / 8 == 20) ? 0x0F : 0x5F;
                const bool sprite = line < 8 && (p < 4 || (p >= 150 && p < 158) || p >= 316);
                const u64 merged =
                    vdp_mix_pixels(b, 0, sprite ? 0x2F : 0, line < 16, shadow_highlight == 0x89u);
                ASSERT_EQ(row[p], merged & 0xFF) << "line " << line << " pixel " << p;
            }
        }
    }
}

TEST_F(RenderTest, SpritePartlyAboveTheTopShowsItsLowerRows) {
    put_sprite(0, 0, -4, 1, 1, name(5, 1), 0);  // the arrow: rows 4-7 are its shaft
    EXPECT_EQ(pixel(0, 3) & 0x3F, 0x1D);
    EXPECT_EQ(pixel(0, 0) & 0x3F, 0x00);
    EXPECT_EQ(pixel(3, 4) & 0x3F, 0x1D);
    EXPECT_EQ(pixel(4, 3) & 0x3F, 0x00);  // below the sprite
}

TEST_F(RenderTest, LinkBackToAnEarlierSpriteEndsTheList) {
    cfg_set(cfg_gen_sprite_limit, 0);
    put_sprite(0, 10, 0, 1, 1, name(4, 1), 1);
    put_sprite(1, 20, 0, 1, 1, name(4, 2), 0);
    vram_put(kSprites + 8 + 2, 0x0000 | 0);  // 1 -> 0 would loop: 0 is visited
    put_sprite(1, 20, 0, 1, 1, name(4, 2), 2);
    put_sprite(2, 40, 0, 1, 1, name(4, 3), 1);  // 2 -> 1: already visited
    EXPECT_EQ(pixel(0, 40) & 0x3F, 0x3F);
    EXPECT_EQ(pixel(0, 20) & 0x3F, 0x2F);
    // Overlapping sprites in the loop, with and without the limit: the earlier one in the
    // list still wins where both are opaque, once and for all.
    put_sprite(2, 24, 0, 1, 1, name(4, 3), 1);
    for (u32 limit : {0u, 1u}) {
        cfg_set(cfg_gen_sprite_limit, limit);
        EXPECT_EQ(pixel(0, 24) & 0x3F, 0x2F);
        EXPECT_EQ(pixel(0, 28) & 0x3F, 0x3F);
        EXPECT_EQ(pixel(0, 10) & 0x3F, 0x1F);
    }
}

// A change to the sprite list shows on the next line drawn, whichever way it reached VRAM,
// also for a table that runs past the end of VRAM.
TEST_F(RenderTest, SpriteListChangesShowOnTheNextLine) {
    for (const u32 base : {kSprites, 0xFE00u}) {
        vdp_reg(5, base >> 9);
        auto entry = [&](u32 i, u32 word) { return (base + i * 8 + word * 2) & 0xFFFF; };
        auto put   = [&](u32 i, int x, int y, u32 link) {
            vram_put(entry(i, 0), static_cast<u16>(y + 128));
            vram_put(entry(i, 1), static_cast<u16>(link));
            vram_put(entry(i, 2), name(4, 2));
            vram_put(entry(i, 3), static_cast<u16>(x + 128));
        };
        put(0, 0, 0, 70);
        put(70, 40, 0, 0);
        EXPECT_EQ(pixel(0, 40) & 0x3F, 0x2F);
        vram_put(entry(0, 1), 0);  // the list ends at sprite 0
        EXPECT_EQ(pixel(1, 40) & 0x3F, 0x00);
        vdp_command(entry(0, 1), kVramWrite);  // linked again, through the data port
        vdp_write_data(70);
        EXPECT_EQ(pixel(2, 40) & 0x3F, 0x2F);
        vram_put(entry(70, 3), 48 + 128);  // moved
        EXPECT_EQ(pixel(3, 40) & 0x3F, 0x00);
        EXPECT_EQ(pixel(3, 48) & 0x3F, 0x2F);
        vram_put(entry(70, 0), 100 + 128);  // moved down, off the line
        EXPECT_EQ(pixel(4, 48) & 0x3F, 0x00);
    }
}

TEST_F(RenderTest, SpriteLimitIn40ColumnMode) {
    for (u32 i = 0; i < 21; ++i)
        put_sprite(i, 10 * static_cast<int>(i), 0, 1, 1, name(4, 1), i + 1);
    put_sprite(20, 200, 0, 1, 1, name(4, 2), 0);
    EXPECT_EQ(pixel(0, 190) & 0x3F, 0x1F);  // the 20th
    EXPECT_EQ(pixel(0, 200) & 0x3F, 0x00);  // the 21st is not drawn
    cfg_set(cfg_gen_sprite_limit, 0);
    EXPECT_EQ(pixel(0, 200) & 0x3F, 0x2F);
}

TEST_F(RenderTest, SpriteFlipsAndMultiCellOrder) {
    static const char* const kLeft[8] = {"10000000", "00000000", "00000000", "00000000",
                                         "00000000", "00000000", "00000000", "00000000"};
    for (u32 t = 8; t < 12; ++t) put_tile(t, kLeft);
    vram_put(9 * 32, 0x2000);   // tile 9 (column 0, cell row 1): colour 2 at its left
    vram_put(10 * 32, 0x3000);  // tile 10 (column 1, cell row 0): colour 3
    put_sprite(0, 0 + 1, 0, 2, 2, name(8, 0), 0);
    EXPECT_EQ(pixel(0, 1), 0x01);
    EXPECT_EQ(pixel(0, 9), 0x03);
    EXPECT_EQ(pixel(8, 1), 0x02);
    put_sprite(0, 1, 0, 2, 2, name(8, 0, false, true, true), 0);  // both flips
    EXPECT_EQ(pixel(15, 16), 0x01);  // cell (0,0)'s top-left lands bottom-right
    EXPECT_EQ(pixel(15, 8), 0x03);
    EXPECT_EQ(pixel(7, 16), 0x02);
}

TEST_F(RenderTest, ShadowHighlightRules) {
    static const char* const kE[8] = {"EEEEEEEE", "EEEEEEEE", "EEEEEEEE", "EEEEEEEE",
                                      "EEEEEEEE", "EEEEEEEE", "EEEEEEEE", "EEEEEEEE"};
    put_tile(8, kE);
    vdp_reg(12, 0x89);
    for (u32 c = 0; c < 40; ++c) put_name(kPlaneB, 64, c, 0, name(4, 0));  // low planes
    put_sprite(0, 0, 0, 1, 1, name(8, 3), 1);                              // 0x3E, low priority
    put_sprite(1, 8, 0, 1, 1, name(8, 3, true), 2);                        // 0x3E, high
    put_sprite(2, 16, 0, 1, 1, name(7, 3, true), 3);                       // 0x3F, high
    put_sprite(3, 24, 0, 1, 1, name(7, 3), 0);                             // 0x3F, low
    render_line_at(0);
    const u8* row = vdp_line_buffer.data();
    EXPECT_EQ(row[100], 0x0F);       // no sprite, nothing high: shadow block
    EXPECT_EQ(row[0], 0x80 | 0x0F);  // normal
    EXPECT_EQ(row[8], 0xC0 | 0x0F);  // highlight
    EXPECT_EQ(row[16], 0x0F);        // shadow
    EXPECT_EQ(row[24], 0x0F);        // shadow
    // Without a sprite on the line the same planes are shadowed too.
    vram_put(kSprites, 0);
    EXPECT_EQ(pixel(0, 0), 0x0F);
}

TEST_F(RenderTest, HighPlaneBeatsLowSpriteAndHighSpriteBeatsAll) {
    put_name(kPlaneA, 64, 0, 0, name(4, 2, true));
    put_sprite(0, 0, 0, 1, 1, name(4, 1), 1);
    put_sprite(1, 8, 0, 2, 1, name(4, 3, true), 0);
    put_name(kPlaneA, 64, 1, 0, name(4, 2, true));
    EXPECT_EQ(pixel(0, 0) & 0x3F, 0x2F);  // plane A high over the low sprite
    EXPECT_EQ(pixel(0, 8) & 0x3F, 0x3F);  // high sprite over high plane A
}

// The merge rules pixel by pixel, as the hardware applies them: the eight-pixel merge must
// agree for every combination of plane B, plane A and sprite bytes.
u8 merge_one(u8 b, u8 a, u8 s, bool sprites, bool operators) {
    const bool b_clear = (b & 0x3F) == 0, b_high = (b & 0x40) != 0;
    const bool a_clear = (a & 0x3F) == 0, a_high = (a & 0x40) != 0;
    const u8 plane = ((!b_clear && b_high && !a_high) || a_clear) ? b : a;
    if (!sprites) return static_cast<u8>((plane & 0x3F) | ((a_high || b_high) ? 0x80 : 0));
    const u32 colour   = s & 0x3Fu;
    const bool s_clear = colour == 0, s_high = (s & 0x40) != 0;
    const bool is_op   = operators && colour >= 0x3E;
    const bool visible = !s_clear && (s_high || ((b_clear || !b_high) && (a_clear || !a_high)));
    u32 out            = ((visible && !is_op) ? s : plane) & 0x3Fu;
    if (s_high || a_high || b_high) out |= 0x40;
    if (visible && colour == 0x3E) out |= 0x80;
    if (visible && colour == 0x3F) out &= ~0x40u;
    return static_cast<u8>(out);
}

TEST(MergeRules, EightPixelMergeMatchesThePixelRules) {
    u32 mismatches = 0;
    for (u32 flags = 0; flags < 4; ++flags) {
        const bool sprites = flags & 1, operators = flags & 2;
        for (u32 b = 0; b < 0x80; ++b) {
            for (u32 a = 0; a < 0x80; ++a) {
                for (u32 s0 = 0; s0 < 0x80; s0 += 8) {
                    u64 s_bytes = 0;
                    for (u32 k = 0; k < 8; ++k) s_bytes |= u64{s0 + k} << (8 * k);
                    const u64 b_bytes = u64{b} * 0x0101010101010101ull;
                    const u64 a_bytes = u64{a} * 0x0101010101010101ull;
                    const u64 got = vdp_mix_pixels(b_bytes, a_bytes, s_bytes, sprites, operators);
                    for (u32 k = 0; k < 8; ++k) {
                        const u8 want = merge_one(static_cast<u8>(b), static_cast<u8>(a),
                                                  static_cast<u8>(s0 + k), sprites, operators);
                        if (static_cast<u8>(got >> (8 * k)) != want && ++mismatches < 5)
                            ADD_FAILURE() << std::hex << "B " << b << " A " << a << " S " << s0 + k
                                          << " flags " << flags;
                    }
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST_F(RenderTest, DisplayOffShowsTheBackgroundOfTheShadowBlock) {
    vdp_reg(7, 0x12);
    vdp_reg(12, 0x89);
    vdp_reg(1, 0x04);
    put_name(kPlaneB, 64, 0, 0, name(4, 1));
    EXPECT_EQ(pixel(0, 0), 0x00);
    EXPECT_EQ(colour_lut[0], colour_lut[0x12]);  // the background's shadow form
}

TEST_F(RenderTest, WindowAtTheRightReplacesPlaneA) {
    vdp_reg(17, 0x90);  // right window from column 32 (2H = 32)
    for (u32 c = 0; c < 40; ++c) {
        put_name(kPlaneA, 64, c, 0, name(4, 1));
        put_name(kWindow, 64, c, 0, name(5, 2));  // arrow: transparent at its left corner
    }
    EXPECT_EQ(pixel(0, 255), 0x1F);
    EXPECT_EQ(pixel(0, 256), 0x00);  // window's transparent pixel replaces plane A
    EXPECT_EQ(pixel(0, 259), 0x2E);
}

TEST_F(RenderTest, TablesNearTheTopOfVramWrap) {
    // Every table read wraps at 64 KB: a 128 x 128 plane at 0xE000 runs far past the end.
    vdp_reg(16, 0x33);
    vdp_reg(11, 0x03);
    vdp_vsram[1] = 0x3F8;  // plane row 1016 of 1024: cell row 127
    vram_put(kHscroll + 2, 0x0000);
    for (u32 line = 0; line < 224; ++line) render_line_at(line);
    // Cell row 127 of plane B lies at 0xE000 + 127 * 256 = 0x15F00, which is 0x5F00.
    put_name(0x5F00, 128, 0, 0, name(4, 1));
    EXPECT_EQ(pixel(0, 0), 0x1F);
    EXPECT_EQ(pixel(0, 8), 0x00) << "the next cell of that row is empty";
    // Sprite patterns near the top: 0x7FF + cells wrap to pattern 0 area, never past VRAM.
    // Line 0 of a 4 x 4 sprite from 0x7FF shows patterns 0x7FF, 0x803, 0x807, 0x80B: the
    // empty top of VRAM, then tiles 3 (stripes) and 7 (solid F) of palette 0.
    put_sprite(0, 0, 0, 4, 4, name(0x7FF, 0), 0);
    EXPECT_EQ(pixel(0, 0), 0x1F) << "pattern 0x7FF is empty: plane B shows";
    EXPECT_EQ(pixel(0, 8), 0x05);
    EXPECT_EQ(pixel(0, 15), 0x0C);
    EXPECT_EQ(pixel(0, 16), 0x0F);
    EXPECT_EQ(pixel(0, 24), 0x00) << "pattern 0x00B is empty";
}

// --- Line output -------------------------------------------------------------------------------

class LineOutputTest : public RenderTest {};

TEST_F(LineOutputTest, SingleAndDoubledCopies) {
    put_name(kPlaneB, 64, 0, 0, name(4, 1));
    vdp_rebuild_palette();
    image_.attach(320, 448);
    render_line_at(3);
    const u16 colour = colour_lut[0x1F];
    EXPECT_EQ(image_.pixels()[3 * 320 + 0], colour);
    EXPECT_EQ(image_.pixels()[3 * 320 + 8], colour_lut[0]);

    render_mode   = 4;
    scanline_mask = 0x7BEF7BEF7BEF7BEFull;  // half intensity
    render_line_at(3);
    EXPECT_EQ(image_.pixels()[6 * 320], colour);
    EXPECT_EQ(image_.pixels()[7 * 320], static_cast<u16>((colour >> 1) & 0x7BEF));
    scanline_mask = 0;  // black lines
    render_line_at(3);
    EXPECT_EQ(image_.pixels()[7 * 320], 0);
}

TEST_F(LineOutputTest, InterlaceWithoutSquashWrites448RowsFromBothFields) {
    cfg_set(cfg_squash_interlace, 0);
    vdp_vram.fill(0);
    vdp_reg(12, 0x87);
    vram_put(1 * 64 + 0 * 4, 0x1111);  // double tile 1: row 0 colour 1, row 1 colour 2
    vram_put(1 * 64 + 1 * 4, 0x2222);
    put_name(kPlaneB, 64, 0, 0, name(1, 0));
    image_.attach(320, 448);
    u32 rows_written = 0;
    for (u32 line = 0; line < 224; ++line) render_line_at(line);
    for (u32 r = 0; r < 448; ++r) rows_written += image_.pixels()[r * 320 + 320 - 1] != 0;
    EXPECT_EQ(rows_written, 448u);
    EXPECT_EQ(vdp_line_buffer[0], 0x01);
    EXPECT_EQ(vdp_line_buffer[kLineBufferPitch], 0x02);
    EXPECT_EQ(image_.pixels()[0], colour_lut[0x01]);
    EXPECT_EQ(image_.pixels()[320], colour_lut[0x02]);
    EXPECT_FALSE(vdp_control_state.odd_field);  // restored

    // Squashed: one row a line, from the current field.
    cfg_set(cfg_squash_interlace, 1);
    vdp_control_state.odd_field = true;
    render_line_at(0);
    EXPECT_EQ(vdp_line_buffer[0], 0x02);
}

TEST_F(LineOutputTest, WithoutASurfaceTheRenderersStillRun) {
    put_name(kPlaneB, 64, 0, 0, name(4, 1));
    surface_set_origin(nullptr, 0, 0, 0, 0, 0);
    render_line_at(5);
    EXPECT_EQ(vdp_line_buffer[5 * kLineBufferPitch], 0x1F);
}

TEST_F(LineOutputTest, CopiesStayInsideASmallSurface) {
    std::vector<u16> small(100 * 10 + 1, 0xDEAD);
    surface_set_origin(small.data(), 100, 100, 10, 50, 5);
    render_mode = 4;
    for (u32 line = 0; line < 224; ++line) render_line_at(line);
    EXPECT_EQ(small.back(), 0xDEAD);
    EXPECT_NE(small[5 * 100 + 50], 0xDEAD);
    EXPECT_EQ(small[5 * 100 + 49], 0xDEAD);
}

// Runs of one colour and repeated groups of eight are converted from the group before;
// every pixel must still be its own byte's colour, also where a group changes in one byte
// only and where the surface cuts the row inside a group.
TEST_F(LineOutputTest, EveryPixelTakesTheColourOfItsByte) {
    for (u32 i = 0; i < colour_lut.size(); ++i) colour_lut[i] = static_cast<u16>(i * 0x0101 + 7);
    u8* row = vdp_line_buffer.data();
    for (u32 p = 0; p < kLineWidth; ++p) {
        u8 v = 0x05;                                     // a run of one colour
        if (p >= 64) v = static_cast<u8>(p % 8 + 0x40);  // a repeated group
        if (p == 135 || p == 144) v = 0x3F;              // a group differing in its last/first byte
        if (p >= 200) v = static_cast<u8>(p * 37 + p / 8);  // no repeats
        row[p] = v;
    }
    for (const u32 width : {320u, 301u, 5u}) {
        std::vector<u16> surface(width + 1, 0xDEAD);
        surface_set_origin(surface.data(), width, width, 1, 0, 0);
        render_copy_single(0);
        for (u32 p = 0; p < width; ++p)
            ASSERT_EQ(surface[p], colour_lut[row[p]]) << "width " << width << " pixel " << p;
        EXPECT_EQ(surface[width], 0xDEAD);
    }
    surface_set_origin(nullptr, 0, 0, 0, 0, 0);
}

TEST_F(LineOutputTest, DispatchRendersTheSchedulersLine) {
    put_name(kPlaneB, 64, 0, 0, name(4, 1));
    static const u32 line_5         = u32{5} << 4;
    vdp_runtime_slots.slice_counter = &line_5;
    image_.attach(320, 224);
    render_line_dispatch();
    EXPECT_EQ(vdp_line_buffer[5 * kLineBufferPitch], 0x1F);
    EXPECT_EQ(image_.pixels()[5 * 320], colour_lut[0x1F]);
    EXPECT_EQ(image_.pixels()[4 * 320], 0);
}

TEST_F(LineOutputTest, RenderModeResetKeepsOnlyDoubledLines) {
    render_mode = 0x3C;
    render_mode_reset();
    EXPECT_EQ(render_mode, 4u);
}

TEST_F(LineOutputTest, OverlayText) {
    image_.attach(320, 224);
    overlay_text.x = 2;
    overlay_text.y = 3;
    overlay_text.text.fill(0);
    const char text[] = "\x7F\x80I";
    std::memcpy(overlay_text.text.data(), text, sizeof text);
    overlay_text_draw();
    auto at = [&](u32 x, u32 y) { return image_.pixels()[y * 320 + x]; };
    EXPECT_EQ(at(2 + 2, 3 + 0), 0xFFFF);  // DEL glyph drawn (column 2 has its top row)
    for (u32 y = 0; y < 8; ++y)
        for (u32 x = 0; x < 5; ++x) EXPECT_EQ(at(7 + x, 3 + y), 0) << "0x80 is skipped";
    EXPECT_EQ(at(12 + 2, 3 + 3), 0xFFFF);  // 'I' in the third slot
    // 32 characters at most, drawn from the edge of the surface without passing it: four
    // glyphs fit before column 320, and nothing reaches the next row's start.
    const std::vector<u16> before = image_.pixels();
    overlay_text.x                = 300;
    overlay_text.text.fill('W');
    overlay_text_draw();
    auto lit = [&](u32 x0, u32 x1, u32 y0, u32 y1) {
        u32 n = 0;
        for (u32 y = y0; y < y1; ++y)
            for (u32 x = x0; x < x1; ++x) n += at(x, y) == 0xFFFF;
        return n;
    };
    const u32 glyph = lit(300, 305, 3, 11);
    EXPECT_GT(glyph, 0u);
    for (u32 k = 1; k < 4; ++k) EXPECT_EQ(lit(300 + 5 * k, 305 + 5 * k, 3, 11), glyph) << k;
    u32 changed_elsewhere = 0;
    for (u32 y = 0; y < 224; ++y)
        for (u32 x = 0; x < 320; ++x)
            changed_elsewhere += (x < 300 || y < 3 || y >= 11) && at(x, y) != before[y * 320 + x];
    EXPECT_EQ(changed_elsewhere, 0u);
}

TEST_F(LineOutputTest, SurfaceClearStaysInsideTheSurface) {
    std::vector<u16> surface(100 * 50 + 1, 0xAAAA);
    surface_clear_640x480(surface.data(), 100, 90, 50);
    EXPECT_EQ(surface[0], 0);
    EXPECT_EQ(surface[49 * 100 + 89], 0);
    EXPECT_EQ(surface[49 * 100 + 90], 0xAAAA);  // beyond the width, inside the pitch
    EXPECT_EQ(surface.back(), 0xAAAA);
}

TEST_F(LineOutputTest, PngRows) {
    const u16 surface[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};  // 5-6-5
    std::vector<u8> out((2 * 3 + 1) * 2);
    ASSERT_TRUE(png_convert_surface_rows(surface, 2, 2, 2, out));
    const std::vector<u8> expected = {0, 0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0, 0xF8, 0xF8, 0xF8, 0xF8};
    EXPECT_EQ(out, expected);
    std::vector<u8> too_small(13);
    EXPECT_FALSE(png_convert_surface_rows(surface, 2, 2, 2, too_small));
}

TEST_F(LineOutputTest, Composite32x) {
    // 32X frame buffer: a line table, then line 0's data at word 0x100.
    std::vector<u16> fb(0x10000, 0);
    std::array<u16, 256> palette{};
    palette[1]            = 0x001F;           // red
    palette[2]            = 0x8000 | 0x03E0;  // green, priority bit
    fb[0]                 = 0x100;
    fb[0x100]             = 0x0102;  // packed: pixels 0, 1 = palette 1, 2
    fb[0x101]             = 0x0000;
    s32x_composite_source = {fb.data(), static_cast<u32>(fb.size()), palette.data()};
    put_name(kPlaneB, 64, 0, 0, name(4, 1));  // Genesis pixels 0-7 opaque
    image_.attach(320, 224);
    auto px       = [&](u32 x) { return image_.pixels()[x]; };
    const u16 red = s32x_colour_to_host(0x001F), green = s32x_colour_to_host(0x83E0);
    const u16 gen = colour_lut[0x1F];

    render_mode = 0x10;  // packed, priority 0
    render_line_at(0);
    EXPECT_EQ(px(0), gen);                     // Genesis opaque, colour without priority
    EXPECT_EQ(px(1), green);                   // priority bit: 32X over Genesis
    EXPECT_EQ(px(8), s32x_colour_to_host(0));  // Genesis transparent: 32X (index 0)

    render_mode = 0x18;  // packed, priority 1
    render_line_at(0);
    EXPECT_EQ(px(0), red);  // 32X byte not 0, no priority bit
    EXPECT_EQ(px(1), gen);  // Genesis opaque and bit 15: Genesis
    EXPECT_EQ(px(2), gen);  // 32X byte 0: Genesis

    render_mode = 0x20;  // direct colour, priority 0
    fb[0x100]   = 0x001F;
    fb[0x101]   = 0x83E0;
    render_line_at(0);
    EXPECT_EQ(px(0), gen);
    EXPECT_EQ(px(1), green);

    render_mode = 0x30;  // run length: 3 pixels of red, then green to the end (clipped)
    fb[0x100]   = 0x0201;
    fb[0x101]   = 0xFF02;
    fb[0x102]   = 0xFF02;
    render_line_at(0);
    EXPECT_EQ(px(2), red);
    EXPECT_EQ(px(3), green);
    EXPECT_EQ(px(319), green);

    // A line start at the end of the buffer wraps within it: line 1 starts at the last
    // word (one red pixel), then continues from word 0 (0x0100: two pixels of colour 0).
    fb[1]      = 0xFFFF;
    fb[0xFFFF] = 0x0001;
    render_line_at(1);
    EXPECT_EQ(image_.pixels()[320 + 0], red);
    EXPECT_EQ(image_.pixels()[320 + 1], s32x_colour_to_host(0));
    s32x_composite_source = {};
    render_mode           = 0;
}

}  // namespace
}  // namespace varn::test
