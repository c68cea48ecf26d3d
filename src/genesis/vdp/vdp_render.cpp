// Scanline renderers of the Genesis VDP. Every VRAM byte address wraps at 64 KB, as on the
// console, so no renderer reads outside VRAM whatever the tables hold.

#include "genesis/vdp/vdp_render.h"

#include <algorithm>
#include <cstring>

#include "base/config.h"
#include "genesis/vdp/vdp.h"

namespace varn {

std::array<u8, kLineBufferRows * kLineBufferPitch> vdp_line_buffer{};
u32 vdp_render_line_number = 0;

namespace {

// Plane lines are built 21 column pairs wide (336 pixels) and shown from an offset of 0-7.
constexpr u32 kPlaneSpan = 21 * 16;
// Sprite line: 320 visible pixels with margins so that sprites partly off screen need no
// clipping (X runs from -127 to 383, a sprite is at most 32 pixels wide).
constexpr u32 kSpriteLeft = 128;
constexpr u32 kSpriteSpan = kSpriteLeft + kLineWidth + 128;
constexpr u32 kMaxSprites = 80;

std::array<u8, kPlaneSpan> plane_a_line{};  // plane A with the window over it (from 0)
std::array<u8, kSpriteSpan> sprite_line{};
bool sprite_line_touched = false;

const VdpControlState& st() { return vdp_control_state; }

u16 vram_word(u32 byte_address) { return vdp_vram[(byte_address & 0xFFFF) >> 1]; }

// 8 pixels of one pattern row (4 bytes at `address`, left pixel in the high nibble) as
// line-buffer bytes: colour 0 gives `empty`, others palette << 4 | colour, plus `priority`.
struct TileRow {
    u8 px[8];
};

TileRow pattern_row(u32 address, u8 attributes, u8 transparent_value, bool hflip) {
    const u32 bits = static_cast<u32>(vram_word(address)) << 16 | vram_word(address + 2);
    TileRow row;
    for (u32 i = 0; i < 8; ++i) {
        const u32 nib             = (bits >> (28 - 4 * i)) & 0xF;
        const u8 value            = nib ? static_cast<u8>(attributes | nib) : transparent_value;
        row.px[hflip ? 7 - i : i] = value;
    }
    return row;
}

// Name-table entry -> pixel attributes (palette << 4 | priority 0x40).
u8 entry_attributes(u16 entry) {
    return static_cast<u8>(((entry >> 9) & 0x30) | ((entry >> 9) & 0x40));
}

u8* output_line(u32 row) { return vdp_line_buffer.data() + row * kLineBufferPitch; }

// One plane line. `y` picks the H-scroll entry, `plane_line` the plane row before scroll
// (y, or 2y + field in double resolution).
template <bool kDouble>
void render_plane(bool plane_b, u8* out, u32 y, u32 plane_line) {
    const auto& s         = st();
    const u32 base        = plane_b ? s.plane_b_base : s.plane_a_base;
    const u32 scroll_word = plane_b ? 2 : 0;
    const u32 h           = vram_word(s.hscroll_base + (y & s.hscroll_line_mask) * 4 + scroll_word);
    const u32 x           = 0u - h;  // plane x of screen column 0
    const u32 offset      = x & 7;
    const u32 row_bytes   = 1u << (s.plane_row_shift + 3);
    const u32 vwrap = kDouble ? (static_cast<u32>(s.plane_vwrap_mask) * 2 + 1) : s.plane_vwrap_mask;
    u8 line[kPlaneSpan];
    for (u32 n = 0; n < 21; ++n) {
        const u32 v = vdp_vsram[(((n * 4) & s.vscroll_column_mask) + scroll_word) >> 1];
        const u32 r = (v + plane_line) & vwrap;
        for (u32 k = 0; k < 2; ++k) {
            const u32 c     = ((x + 16 * n + 8 * k) & s.plane_hwrap_mask) >> 3;
            const u16 entry = vram_word(base + (r >> (kDouble ? 4 : 3)) * row_bytes + 2 * c);
            u32 prow        = kDouble ? (r & 15) : (r & 7);
            if (entry & 0x1000) prow = (kDouble ? 15 : 7) - prow;
            const u32 pattern = kDouble ? ((entry & 0x3FF) * 64) : ((entry & 0x7FF) * 32);
            const u8 attr     = entry_attributes(entry);
            const TileRow t   = pattern_row(pattern + prow * 4, attr, attr & 0x40, entry & 0x800);
            std::memcpy(line + 16 * n + 8 * k, t.px, 8);
        }
    }
    std::memcpy(out, line + offset, kLineWidth);
}

// One window tile at screen column `c` of line y.
void window_tile(u32 c, u32 y) {
    const auto& s = st();
    const u16 entry =
        vram_word(s.window_base + (y >> 3) * (1u << (s.window_row_shift + 3)) + 2 * c);
    u32 prow = y & 7;
    if (entry & 0x1000) prow = 7 - prow;
    const u8 attr = entry_attributes(entry);
    const TileRow t =
        pattern_row((entry & 0x7FF) * 32 + prow * 4, attr, attr & 0x40, entry & 0x800);
    std::memcpy(plane_a_line.data() + 8 * c, t.px, 8);
}

template <bool kDouble>
void render_sprites(u32 line) {
    const auto& s        = st();
    const bool limit     = cfg(cfg_gen_sprite_limit) != 0;
    const u32 table      = s.sprite_table_size;
    const u32 max_line   = table / 4;      // 16 or 20 sprites a line
    const u32 max_pixels = max_line * 16;  // 256 or 320 pixels a line
    const u32 cell_rows  = kDouble ? 16 : 8;
    u32 on_line = 0, pixels = 0, visited_count = 0;
    bool visited[kMaxSprites] = {};
    sprite_line_touched       = false;
    visited[0]                = true;
    u32 i                     = 0;
    for (;;) {
        const u32 entry_address = s.sprite_base + i * 8;
        const u16 w0            = vram_word(entry_address);
        const u16 w1            = vram_word(entry_address + 2);
        const u16 w2            = vram_word(entry_address + 4);
        const u16 w3            = vram_word(entry_address + 6);
        const u32 height_cells  = ((w1 >> 8) & 3) + 1;
        const u32 width_cells   = ((w1 >> 10) & 3) + 1;
        const u32 top           = kDouble ? (w0 & 0x3FFu) - 256u : (w0 & 0x1FFu) - 128u;
        const u32 row0          = line - top;  // unsigned: above the sprite wraps to a large value
        if (row0 < height_cells * cell_rows) {
            if (!sprite_line_touched) {
                sprite_line.fill(0);
                sprite_line_touched = true;
            }
            const u32 x_raw = w3 & 0x1FF;
            if (x_raw == 0) break;  // masks this sprite and every later one on the line
            const u32 left       = x_raw - 128 + kSpriteLeft;  // index in sprite_line, >= 1
            const bool vflip     = (w2 & 0x1000) != 0;
            const bool hflip     = (w2 & 0x0800) != 0;
            const u32 row        = vflip ? height_cells * cell_rows - 1 - row0 : row0;
            const u32 index_mask = kDouble ? 0x3FF : 0x7FF;
            const u32 prow       = row & (cell_rows - 1);
            const u8 attr        = entry_attributes(w2);
            for (u32 col = 0; col < width_cells; ++col) {
                const u32 pattern =
                    ((w2 & 0x7FF) + row / cell_rows + col * height_cells) & index_mask;
                const u32 address = pattern * (cell_rows * 4) + prow * 4;
                const TileRow t   = pattern_row(address, attr, 0, hflip);
                const u32 at      = left + 8 * (hflip ? width_cells - 1 - col : col);
                for (u32 p = 0; p < 8; ++p) {
                    u8& dst = sprite_line[at + p];
                    if (t.px[p] != 0 && dst == 0) dst = t.px[p];
                }
            }
            ++on_line;
            pixels += width_cells * 8;
            if (limit && (on_line >= max_line || pixels >= max_pixels)) break;
        }
        ++visited_count;
        if (limit && visited_count >= table) break;
        const u32 link = w1 & 0xFF;
        if (link == 0 || link >= kMaxSprites || visited[link]) break;
        visited[link] = true;
        i             = link;
    }
}

void mix(u8* out) {
    const bool operators = st().shadow_highlight;
    const u8* a_line     = plane_a_line.data();
    const u8* s_line     = sprite_line.data() + kSpriteLeft;
    for (u32 p = 0; p < kLineWidth; ++p) {
        const u8 b         = out[p];
        const u8 a         = a_line[p];
        const bool b_clear = (b & 0x3F) == 0, b_high = (b & 0x40) != 0;
        const bool a_clear = (a & 0x3F) == 0, a_high = (a & 0x40) != 0;
        const u8 plane = ((!b_clear && b_high && !a_high) || a_clear) ? b : a;
        if (!sprite_line_touched) {
            out[p] = static_cast<u8>((plane & 0x3F) | ((a_high || b_high) ? 0x80 : 0));
            continue;
        }
        const u8 sp       = s_line[p];
        const u8 colour   = sp & 0x3F;
        const bool s_high = (sp & 0x40) != 0;
        const bool is_op  = operators && (colour == 0x3E || colour == 0x3F);
        const bool visible =
            colour != 0 && (s_high || ((b_clear || !b_high) && (a_clear || !a_high)));
        u8 result = (visible && !is_op) ? sp : plane;
        if (s_high || a_high || b_high) result |= 0x40;
        if (visible && colour == 0x3E) result |= 0x80;
        if (visible && colour == 0x3F) result &= static_cast<u8>(~0x40);
        out[p] = result;
    }
}

u32 field() { return st().odd_field ? 1 : 0; }

// The plane row and sprite line of the current line in double resolution.
u32 double_line() { return 2 * vdp_render_line_number + field(); }

}  // namespace

u32 vdp_output_row() { return vdp_render_line_number; }

u32 vdp_output_row_interlace() {
    return cfg(cfg_squash_interlace) != 0 ? vdp_render_line_number : double_line();
}

void vdp_render_plane_b() {
    render_plane<false>(true, output_line(vdp_output_row()), vdp_render_line_number,
                        vdp_render_line_number);
}

void vdp_render_plane_a() {
    render_plane<false>(false, plane_a_line.data(), vdp_render_line_number, vdp_render_line_number);
}

void vdp_render_window() {
    const auto& s  = st();
    const u32 y    = vdp_render_line_number;
    const u32 cols = screen_width == 320 ? 40 : 32;
    if (y < s.window_line_start || y - s.window_line_start >= s.window_line_count) {
        for (u32 c = 0; c < 40; ++c) window_tile(c, y);
        return;
    }
    if (s.window_col_count >= cols) return;
    if ((vdp_registers[17] & 0x80) == 0) {
        for (u32 c = 0; c < s.window_col_start && c < cols; ++c) window_tile(c, y);
    } else {
        for (u32 c = s.window_col_start + s.window_col_count; c < cols; ++c) window_tile(c, y);
    }
}

void vdp_render_sprites() { render_sprites<false>(vdp_render_line_number); }

void vdp_mix_line() { mix(output_line(vdp_output_row())); }

void vdp_clear_line() { std::memset(output_line(vdp_output_row()), 0, kLineWidth); }

void vdp_render_plane_b_interlace() {
    render_plane<true>(true, output_line(vdp_output_row_interlace()), vdp_render_line_number,
                       double_line());
}

void vdp_render_plane_a_interlace() {
    render_plane<true>(false, plane_a_line.data(), vdp_render_line_number, double_line());
}

void vdp_render_sprites_interlace() { render_sprites<true>(double_line()); }

void vdp_mix_line_interlace() { mix(output_line(vdp_output_row_interlace())); }

void vdp_render_genesis_line() {
    if (!st().display_enabled) {
        vdp_clear_line();
        return;
    }
    vdp_render_plane_b();
    vdp_render_plane_a();
    vdp_render_window();
    vdp_render_sprites();
    vdp_mix_line();
}

void vdp_render_genesis_line_interlace() {
    if (!st().display_enabled) {
        std::memset(output_line(vdp_output_row_interlace()), 0, kLineWidth);
        return;
    }
    vdp_render_plane_b_interlace();
    vdp_render_plane_a_interlace();
    vdp_render_sprites_interlace();
    vdp_mix_line_interlace();
}

}  // namespace varn
