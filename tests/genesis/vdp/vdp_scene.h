#pragma once
// Builds small synthetic VDP scenes straight into VRAM, CRAM and VSRAM, and renders whole
// frames of them through the line routines.

#include <cstdlib>
#include <string>

#include "base/crc32.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"
#include "vdp_test_support.h"

namespace varn::test {

// Table addresses the scenes use.
inline constexpr u32 kPlaneA  = 0xC000;
inline constexpr u32 kPlaneB  = 0xE000;
inline constexpr u32 kWindow  = 0xB000;
inline constexpr u32 kSprites = 0xA800;
inline constexpr u32 kHscroll = 0xAC00;

// VRAM written in place, with the notice the line output needs to draw lines again.
inline void vram_put(u32 byte_address, u16 word) {
    vdp_vram[(byte_address & 0xFFFF) >> 1] = word;
    vdp_note_change();
}

// An 8 x 8 tile from 8 rows of 8 hex digits (one colour index per digit).
inline void put_tile(u32 index, const char* const rows[8]) {
    for (u32 r = 0; r < 8; ++r) {
        u32 bits = 0;
        for (u32 i = 0; i < 8; ++i) {
            const char c = rows[r][i];
            bits         = bits << 4 | static_cast<u32>(c <= '9' ? c - '0' : c - 'A' + 10);
        }
        vram_put(index * 32 + r * 4, static_cast<u16>(bits >> 16));
        vram_put(index * 32 + r * 4 + 2, static_cast<u16>(bits));
    }
}

inline u16 name(u32 tile, u32 palette, bool priority = false, bool hflip = false,
                bool vflip = false) {
    return static_cast<u16>((priority ? 0x8000 : 0) | (palette & 3) << 13 | (vflip ? 0x1000 : 0) |
                            (hflip ? 0x0800 : 0) | (tile & 0x7FF));
}

// Name-table cell (column, row) of a table whose rows are `row_cells` cells wide.
inline void put_name(u32 base, u32 row_cells, u32 col, u32 row, u16 entry) {
    vram_put(base + (row * row_cells + col) * 2, entry);
}

// Sprite i: screen position (x, y), size in cells, pattern entry, link.
inline void put_sprite(u32 i, int x, int y, u32 w, u32 h, u16 entry, u32 link) {
    const u32 a = kSprites + i * 8;
    vram_put(a, static_cast<u16>((y + 128) & 0x3FF));
    vram_put(a + 2, static_cast<u16>(((w - 1) << 10) | ((h - 1) << 8) | (link & 0xFF)));
    vram_put(a + 4, entry);
    vram_put(a + 6, static_cast<u16>((x + 128) & 0x1FF));
}

// Four palettes of ramps: blue, red, green and a warm mix; colour 0 of palette 0 dark grey.
inline void standard_palette() {
    for (u32 p = 0; p < 4; ++p) {
        for (u32 c = 0; c < 16; ++c) {
            static constexpr u32 kLevel[16] = {0, 7, 4, 2, 6, 1, 2, 3, 4, 5, 6, 7, 5, 3, 7, 6};
            const u32 level                 = kLevel[c];
            u32 r = 0, g = 0, b = 0;
            switch (p) {
                case 0:
                    b = level, g = level / 2;
                    break;
                case 1:
                    r = level, b = level / 3;
                    break;
                case 2:
                    g = level, r = level / 3;
                    break;
                default:
                    r = level, g = (level * 5) / 7;
                    break;
            }
            vdp_cram[p * 16 + c] = static_cast<u16>(b << 9 | g << 5 | r << 1);
        }
    }
    vdp_cram[0] = 0x0222;
}

// Registers shared by the scenes: display on, 40 columns, tables as above, 64 x 32 planes.
inline void standard_registers() {
    vdp_reg(0, 0x04);
    vdp_reg(1, 0x44);
    vdp_reg(2, kPlaneA >> 10);
    vdp_reg(3, kWindow >> 10);
    vdp_reg(4, kPlaneB >> 13);
    vdp_reg(5, kSprites >> 9);
    vdp_reg(7, 0x00);
    vdp_reg(11, 0x00);
    vdp_reg(12, 0x81);
    vdp_reg(13, kHscroll >> 10);
    vdp_reg(15, 2);
    vdp_reg(16, 0x01);
    vdp_reg(17, 0x00);
    vdp_reg(18, 0x00);
}

inline void standard_tiles() {
    static const char* const kBox[8]     = {"11111111", "12222221", "12000021", "12033021",
                                            "12033021", "12000021", "12222221", "11111111"};
    static const char* const kChecker[8] = {"33334444", "33334444", "33334444", "33334444",
                                            "44443333", "44443333", "44443333", "44443333"};
    static const char* const kStripes[8] = {"56789ABC", "6789ABC5", "789ABC56", "89ABC567",
                                            "9ABC5678", "ABC56789", "BC56789A", "C56789AB"};
    static const char* const kSolid[8]   = {"FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF",
                                            "FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF"};
    static const char* const kArrow[8]   = {"000EE000", "00EEEE00", "0EEEEEE0", "EEEEEEEE",
                                            "000DD000", "000DD000", "000DD000", "000DD000"};
    static const char* const kOpHi[8]    = {"EEEEEEEE", "EEEEEEEE", "EEEEEEEE", "EEEEEEEE",
                                            "EEEEEEEE", "EEEEEEEE", "EEEEEEEE", "EEEEEEEE"};
    static const char* const kOpLo[8]    = {"FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF",
                                            "FFFFFFFF", "FFFFFFFF", "FFFFFFFF", "FFFFFFFF"};
    put_tile(1, kBox);
    put_tile(2, kChecker);
    put_tile(3, kStripes);
    put_tile(4, kSolid);
    put_tile(5, kArrow);
    put_tile(6, kOpHi);
    put_tile(7, kOpLo);
}

// Renders lines 0-223 through the current render mode into `image`.
inline void render_frame(FrameImage& image, u32 width, u32 height) {
    image.attach(width, height);
    for (u32 line = 0; line < 224; ++line) render_line_at(line);
}

// CRC-32 of the first 320 bytes of `rows` line-buffer rows.
inline u32 line_buffer_crc(u32 rows) {
    u32 crc = 0;
    for (u32 r = 0; r < rows; ++r) {
        crc = crc32_update(
            crc, std::span<const u8>(vdp_line_buffer.data() + r * kLineBufferPitch, kLineWidth));
    }
    return crc;
}

// Writes the picture as <dir>/<name>.ppm when VARN_VDP_SCENE_DIR names a folder (to look at
// a scene before recording its CRC).
inline void maybe_dump(const FrameImage& image, const char* scene, u32 width, u32 height) {
    if (const char* dir = std::getenv("VARN_VDP_SCENE_DIR")) {
        image.write_ppm(std::string(dir) + "/" + scene + ".ppm", width, height);
    }
}

}  // namespace varn::test
