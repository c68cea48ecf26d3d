// The earlier machine's VDP register layer and window rectangle.

#include "legacy/vdp_v024.h"

#include <algorithm>
#include <array>

#include "genesis/vdp/vdp.h"

namespace varn {

VdpWindowRect vdp_window_rect_v024{};

namespace {

void recompute_window() {
    vdp_window_rect_v024 =
        vdp_window_rect_for_v024(vdp_registers[17], vdp_registers[18], screen_width, screen_height);
}

}  // namespace

VdpWindowRect vdp_window_rect_for_v024(u8 h, u8 v, u32 width, u32 height) {
    const bool wide      = width == 320;
    const u32 cols       = wide ? 40 : 32;
    const u32 lines      = height >= 240 ? 240 : 224;
    const u8 full_right  = wide ? 0x94 : 0x90;
    const u8 full_bottom = lines == 240 ? 0x9E : 0x9C;
    const u8 left_limit  = wide ? 0x14 : 0x10;
    VdpWindowRect none{};
    if ((h == 0 && v == 0) || (h == full_right && v == full_bottom)) return none;

    VdpWindowRect r{};
    const u32 hp = h & 0x1F;
    if (h == 0 || h >= full_right || ((h & 0x80) == 0 && h >= left_limit)) {
        r.first_col = 0;
        r.col_count = cols;
    } else if ((h & 0x80) != 0) {
        r.first_col = std::min<u32>(2 * hp, cols);
        r.col_count = cols - r.first_col;
    } else {
        r.first_col = 0;
        r.col_count = 2 * hp;
    }

    const u32 vp = v & 0x1F;
    if (v == 0 || v > full_bottom) return none;
    if (v == full_bottom) {
        r.first_line = 0;
        r.line_count = lines;
    } else if ((v & 0x80) != 0) {
        r.first_line = std::min<u32>(8 * vp, lines);
        r.line_count = lines - r.first_line;
    } else {
        r.first_line = 0;
        r.line_count = std::min<u32>(8 * vp, lines);
    }
    if (r.col_count == 0 || r.line_count == 0) return none;
    return r;
}

void vdp_write_register_v024(u32 word) {
    const u32 n                           = (word >> 8) & 0x1F;
    const u8 v                            = static_cast<u8>(word);
    vdp_control_state.second_word_pending = false;
    if (n <= 1) {
        vdp_registers[n]                  = v;
        vdp_control_state.display_enabled = (vdp_registers[1] & 0x40) != 0;
        return;
    }
    vdp_write_register(n, v);
    if (n == 12 || n == 17 || n == 18) recompute_window();
}

void vdp_write_control_v024(u16 word) {
    if (!vdp_control_state.second_word_pending && (word & 0xC000) == 0x8000) {
        vdp_write_register_v024(word & 0x1FFF);
        return;
    }
    // A DMA leaves its source and length registers as they were.
    std::array<u8, 5> dma{};
    for (u32 i = 0; i < 5; ++i) dma[i] = vdp_registers[19 + i];
    vdp_write_control(word);
    for (u32 i = 0; i < 5; ++i) vdp_registers[19 + i] = dma[i];
}

void vdp_write_data_v024(u16 word) {
    const u8 status = vdp_control_state.status;
    vdp_write_data(word);
    vdp_control_state.status = status;
}

bool vdp_load_context_from_image_v024(std::span<const u8> image) {
    constexpr std::size_t kFirst = 0xFA;
    if (image.size() < kFirst + 24) return false;
    // The power-on clear of the command state, keeping the registers.
    const std::array<u8, kVdpRegisterSlots> registers = vdp_registers;
    vdp_clear_state();
    vdp_registers = registers;  // what they derive is rebuilt by their handlers below
    for (u32 n = 0; n < 24; ++n) vdp_write_register_v024(n << 8 | image[kFirst + n]);
    vdp_rebuild_palette();
    return true;
}

void vdp_clear_state_v024() {
    vdp_clear_state();
    vdp_registers[0]                  = 0x14;
    vdp_registers[1]                  = 0x02;
    vdp_registers[12]                 = 0x01;
    vdp_control_state.display_enabled = false;
    vdp_window_rect_v024              = VdpWindowRect{};
    vdp_window_rect                   = &vdp_window_rect_v024;
    vdp_sprite_limit_always           = true;
    vdp_visibility_palette_flat       = true;
    vdp_interlace_one_field           = true;
}

}  // namespace varn
