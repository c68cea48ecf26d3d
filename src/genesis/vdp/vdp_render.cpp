// Scanline renderers of the Genesis VDP. Every VRAM byte address wraps at 64 KB, as on the
// console, so no renderer reads outside VRAM whatever the tables hold.

#include "genesis/vdp/vdp_render.h"

#include <algorithm>
#include <bit>
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

// Eight pixels are handled together in a 64-bit word, pixel 0 in the lowest byte.
constexpr u64 kBytes01 = 0x0101010101010101ull;
constexpr u64 kBytes7F = 0x7F7F7F7F7F7F7F7Full;
constexpr u64 kBytes80 = 0x8080808080808080ull;

// A pattern byte (two pixels, left in the high nibble) as two pixel bytes.
constexpr std::array<u16, 256> kNibbleBytes = [] {
    std::array<u16, 256> t{};
    for (u32 b = 0; b < 256; ++b) t[b] = static_cast<u16>((b >> 4) | (b & 0xF) << 8);
    return t;
}();

u64 byte_reverse(u64 v) {
    v = (v & 0x00FF00FF00FF00FFull) << 8 | ((v >> 8) & 0x00FF00FF00FF00FFull);
    v = (v & 0x0000FFFF0000FFFFull) << 16 | ((v >> 16) & 0x0000FFFF0000FFFFull);
    return v << 32 | v >> 32;
}

void store8(u8* dst, u64 v) {
    if constexpr (std::endian::native == std::endian::big) v = byte_reverse(v);
    std::memcpy(dst, &v, 8);
}
u64 load8(const u8* src) {
    u64 v;
    std::memcpy(&v, src, 8);
    if constexpr (std::endian::native == std::endian::big) v = byte_reverse(v);
    return v;
}

// The colour indices of the 8 pixels of one pattern row (4 bytes at `address`).
u64 pattern_nibbles(u32 address, bool hflip) {
    const u16 w0 = vram_word(address), w1 = vram_word(address + 2);
    const u64 n = u64{kNibbleBytes[w0 >> 8]} | u64{kNibbleBytes[w0 & 0xFF]} << 16 |
                  u64{kNibbleBytes[w1 >> 8]} << 32 | u64{kNibbleBytes[w1 & 0xFF]} << 48;
    return hflip ? byte_reverse(n) : n;
}

// 0xFF in each byte whose colour index is not 0.
u64 opaque_mask(u64 nibbles) { return (((nibbles + kBytes7F) & kBytes80) >> 7) * 0xFF; }

// Line-buffer bytes of one pattern row: colour 0 gives `transparent_value`, others
// `attributes` | colour.
u64 pattern_row(u32 address, u8 attributes, u8 transparent_value, bool hflip) {
    const u64 nib  = pattern_nibbles(address, hflip);
    const u64 mask = opaque_mask(nib);
    return ((nib | attributes * kBytes01) & mask) | (transparent_value * kBytes01 & ~mask);
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
            store8(line + 16 * n + 8 * k,
                   pattern_row(pattern + prow * 4, attr, attr & 0x40, entry & 0x800));
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
    store8(plane_a_line.data() + 8 * c,
           pattern_row((entry & 0x7FF) * 32 + prow * 4, attr, attr & 0x40, entry & 0x800));
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
                const u64 src     = pattern_row(address, attr, 0, hflip);
                u8* dst = sprite_line.data() + left + 8 * (hflip ? width_cells - 1 - col : col);
                // A pixel lands only where it is opaque and the line is still empty there:
                // the earlier sprite in the list wins. Pixel bytes are at most 0x7F.
                const u64 old  = load8(dst);
                const u64 free = ~((((old + kBytes7F) & kBytes80) >> 7) * 0xFF);
                store8(dst, old | (src & free));
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

// The merge of one pixel depends only on a few facts about its three layers: whether each is
// transparent and whether it has priority, whether the sprite pixel is one of the two
// operator colours, whether any sprite touched the line and whether shadow/highlight is on.
// The rules below are tabulated over those facts once: the pixel is then the colour index of
// the chosen layer with the intensity bits of its rule.
struct MixRule {
    u8 layer;  // 0 plane B, 1 plane A, 2 sprite
    u8 bits;   // intensity bits 6-7 of the result
};

// Index bits: 0 B transparent, 1 B high, 2 A transparent, 3 A high, 4 sprite transparent,
// 5 sprite high, 6 sprite colour 0x3E, 7 sprite colour 0x3F, 8 a sprite touched the line.
constexpr MixRule mix_rule(u32 index, bool operators) {
    const bool b_clear = index & 1, b_high = index & 2, a_clear = index & 4, a_high = index & 8;
    const bool s_clear = index & 16, s_high = index & 32, s_3e = index & 64, s_3f = index & 128;
    const bool touched = index & 256;
    const u8 plane     = ((!b_clear && b_high && !a_high) || a_clear) ? 0 : 1;
    if (!touched) return {plane, static_cast<u8>((a_high || b_high) ? 0x80 : 0)};
    const bool is_op   = operators && (s_3e || s_3f);
    const bool visible = !s_clear && (s_high || ((b_clear || !b_high) && (a_clear || !a_high)));
    MixRule rule{static_cast<u8>((visible && !is_op) ? 2 : plane), 0};
    if (s_high || a_high || b_high) rule.bits |= 0x40;
    if (visible && s_3e) rule.bits |= 0x80;
    if (visible && s_3f) rule.bits &= static_cast<u8>(~0x40);
    return rule;
}

constexpr auto kMixRules = [] {
    std::array<std::array<MixRule, 512>, 2> t{};
    for (u32 i = 0; i < 512; ++i) {
        t[0][i] = mix_rule(i, false);
        t[1][i] = mix_rule(i, true);
    }
    return t;
}();

// Facts of a plane pixel (bits 0-1 of the index) and of a sprite pixel (bits 4-7).
constexpr auto kPlaneFacts = [] {
    std::array<u8, 256> t{};
    for (u32 x = 0; x < 256; ++x) t[x] = static_cast<u8>(((x & 0x3F) == 0) | ((x >> 5) & 2));
    return t;
}();
constexpr auto kSpriteFacts = [] {
    std::array<u16, 256> t{};
    for (u32 x = 0; x < 256; ++x) {
        const u32 c = x & 0x3F;
        t[x]        = static_cast<u16>(((c == 0) << 4) | ((x & 0x40) >> 1) | ((c == 0x3E) << 6) |
                                ((c == 0x3F) << 7));
    }
    return t;
}();

void mix(u8* out) {
    const auto& rules = kMixRules[st().shadow_highlight ? 1 : 0];
    const u8* a_line  = plane_a_line.data();
    const u8* s_line  = sprite_line.data() + kSpriteLeft;
    if (!sprite_line_touched) {
        for (u32 p = 0; p < kLineWidth; ++p) {
            const u8 layers[2] = {out[p], a_line[p]};
            const MixRule r    = rules[kPlaneFacts[layers[0]] | kPlaneFacts[layers[1]] << 2];
            out[p]             = static_cast<u8>((layers[r.layer] & 0x3F) | r.bits);
        }
        return;
    }
    for (u32 p = 0; p < kLineWidth; ++p) {
        const u8 layers[3] = {out[p], a_line[p], s_line[p]};
        const u32 index =
            256u | kPlaneFacts[layers[0]] | kPlaneFacts[layers[1]] << 2 | kSpriteFacts[layers[2]];
        const MixRule r = rules[index];
        out[p]          = static_cast<u8>((layers[r.layer] & 0x3F) | r.bits);
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
