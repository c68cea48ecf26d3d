// Colour conversion: CRAM words to host pixels in the four intensity blocks of colour_lut,
// and the table of host pixels for every 9-bit console colour.

#include "base/config.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_internal.h"

namespace varn {

namespace {

constexpr std::array<u16, 512> colour_table_for(u32 r, u32 g, u32 b) {
    std::array<u16, 512> table{};
    for (u32 c = 0; c < 512; ++c) {
        table[c] = static_cast<u16>((((c >> 6) & 7) << (r - 2)) | (((c >> 3) & 7) << (g - 2)) |
                                    ((c & 7) << (b - 2)));
    }
    return table;
}

}  // namespace

std::array<u16, 256> colour_lut{};
std::array<u16, 512> host_colour_table = colour_table_for(15, 10, 4);
HostSurfaceFormat host_surface_format{};
bool vdp_visibility_palette_flat = false;

namespace {

// A fixed palette of clearly distinct colours shown instead of CRAM when the user asks for
// better visibility (CRAM word format).
constexpr u16 kVisibilityPalette[64] = {
    0x000, 0x200, 0x400, 0x600, 0x800, 0xA00, 0xC00, 0xE00, 0x002, 0x004, 0x006, 0x008, 0x00A,
    0x00C, 0x00E, 0x020, 0x000, 0x040, 0x060, 0x080, 0x0A0, 0x0C0, 0x0E0, 0x202, 0x404, 0x606,
    0x808, 0xA0A, 0xC0C, 0xE0E, 0x220, 0x440, 0x000, 0x660, 0x880, 0xAA0, 0xCC0, 0xEE0, 0x022,
    0x044, 0x066, 0x088, 0x0AA, 0x0CC, 0x0EE, 0x222, 0x444, 0x666, 0x000, 0x888, 0xAAA, 0xCCC,
    0xEEE, 0xCEE, 0xAEE, 0x8EE, 0x6EE, 0x4EE, 0x2EE, 0xEEC, 0xEEA, 0xEE8, 0xEE6, 0xEE4,
};

u16 host_colour(u32 r, u32 g, u32 b) { return host_colour_table[(r << 6) | (g << 3) | b]; }

void write_entry(u32 i, u16 cram_word) {
    u16 forms[4];
    vdp_detail::colour_forms(cram_word, forms);
    for (u32 b = 0; b < 4; ++b) vdp_detail::set_colour(b * 64 + i, forms[b]);
}

u16 palette_source(u32 i) {
    return cfg(cfg_enhance_visibility) != 0 ? kVisibilityPalette[i] : vdp_cram[i];
}

}  // namespace

namespace vdp_detail {

void colour_forms(u16 w, u16 out[4]) {
    const u32 r      = (w >> 1) & 7;
    const u32 g      = (w >> 5) & 7;
    const u32 b      = (w >> 9) & 7;
    const u16 normal = host_colour(r, g, b);
    out[1] = out[2] = normal;
    if (!vdp_control_state.shadow_highlight) {
        out[0] = out[3] = normal;
        return;
    }
    out[0]       = host_colour(r >> 1, g >> 1, b >> 1);
    auto hilight = [](u32 v) { return v - (v >> 1) + 3; };  // 0..7 -> 3,4,4,5,5,6,6,7
    out[3]       = host_colour(hilight(r), hilight(g), hilight(b));
}

}  // namespace vdp_detail

void vdp_rebuild_palette() {
    if (vdp_visibility_palette_flat && cfg(cfg_enhance_visibility) != 0) {
        for (u32 i = 0; i < 64; ++i) {
            const u16 w = kVisibilityPalette[i];
            const u16 c = host_colour((w >> 1) & 7, (w >> 5) & 7, (w >> 9) & 7);
            for (u32 b = 0; b < 4; ++b) vdp_detail::set_colour(b * 64 + i, c);
        }
        return;
    }
    for (u32 i = 0; i < 64; ++i) write_entry(i, palette_source(i));
    const u32 bg = vdp_registers[7] & 0x3F;
    for (u32 b = 0; b < 4; ++b) vdp_detail::set_colour(b * 64, colour_lut[b * 64 + bg]);
}

void vdp_update_palette_entry(u32 index) {
    if (cfg(cfg_enhance_visibility) != 0) return;
    const u32 i  = index & 0x3F;
    const u32 bg = vdp_registers[7] & 0x3F;
    // Entry 0 of each block holds the background colour: colour 0 goes there only when it
    // is the background.
    if (i == 0 && bg != 0) return;
    write_entry(i, vdp_cram[i]);
    if (i == bg) {
        for (u32 b = 0; b < 4; ++b) vdp_detail::set_colour(b * 64, colour_lut[b * 64 + i]);
    }
}

const char* host_colour_table_build(u32 r, u32 g, u32 b) {
    // Each 3-bit component fills the top three bits of a 5- (or 6-) bit field whose top
    // five bits lie at [position - 4, position]; the three fields must fit in 16 bits and
    // not overlap.
    const u32 pos[3] = {r, g, b};
    u32 used         = 0;
    for (u32 p : pos) {
        if (p < 4 || p > 15)
            return "unsupported surface format: a colour field lies outside 16 bits";
        const u32 field = 0x1Fu << (p - 4);
        if (used & field) return "unsupported surface format: colour fields overlap";
        used |= field;
    }
    host_colour_table   = colour_table_for(r, g, b);
    host_surface_format = {r, g, b};
    return nullptr;
}

}  // namespace varn
