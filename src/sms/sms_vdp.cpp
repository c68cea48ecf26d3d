// The Master System VDP: ports, registers, CRAM colours and the mode-4 line renderers.

#include "sms/sms_vdp.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/config.h"
#include "base/speed_paths.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"
#include "runtime/frame_shape.h"

namespace varn {

SmsVdp sms_vdp{};
std::array<u8, kSmsVramSize> sms_vram{};
std::array<u8, kSmsCramSize> sms_cram{};
std::array<u8, kSmsScreenWidth + 2 * kSmsSpriteMargin> sms_sprite_line{};

namespace {

constexpr u32 kVramMask = kSmsVramSize - 1;

// Lines as last drawn: the VDP's change count then and the sprite limit. A line whose
// inputs are unchanged still holds its picture in the line buffer and is not drawn again.
// With the line's host pixels as converted at colour_lut's change count `colours`.
struct DrawnLine {
    u64 changes      = 0;
    u32 sprite_limit = 0;
    bool valid       = false;
    u64 colours      = ~u64{0};
    std::array<u16, kSmsScreenWidth> pixels{};
};
std::array<DrawnLine, kSmsLines> drawn_lines{};
u64 sms_line_inputs = 0;

void note_change() { ++sms_line_inputs; }

u8* line_row(u32 y) { return vdp_line_buffer.data() + y * kLineBufferPitch; }

// CRAM byte --BBGGRR: each 2-bit component c becomes the 3-bit level 2c.
void convert_colour(u32 index) {
    if (cfg(cfg_enhance_visibility) != 0) return;
    const u32 v     = sms_cram[index];
    const u32 r     = (v & 3) * 2;
    const u32 g     = ((v >> 2) & 3) * 2;
    const u32 b     = ((v >> 4) & 3) * 2;
    const u16 pixel = host_colour_table[r * 64 + g * 8 + b];
    if (colour_lut[index] != pixel) ++vdp_changes.colours;
    colour_lut[index]      = pixel;
    colour_lut[index + 32] = pixel;
}

void update_display_enabled() {
    sms_vdp.display_enabled = ((sms_vdp.regs[0] & 0x01) == 0 && (sms_vdp.regs[1] & 0x40) != 0) ||
                              cfg(cfg_force_display) != 0;
}

// Bit plane byte -> eight pixel bytes holding its bits (leftmost pixel, bit 7, in byte 0).
constexpr std::array<u64, 256> kPlaneSpread = [] {
    std::array<u64, 256> t{};
    for (u32 v = 0; v < 256; ++v) {
        for (u32 k = 0; k < 8; ++k) t[v] |= static_cast<u64>((v >> (7 - k)) & 1) << (8 * k);
    }
    return t;
}();

// The eight colours of one pattern row as eight bytes, pixel k from the left in byte k: four
// bit planes, one byte each.
u64 pattern_row(u32 address) {
    return kPlaneSpread[sms_vram[address & kVramMask]] |
           kPlaneSpread[sms_vram[(address + 1) & kVramMask]] << 1 |
           kPlaneSpread[sms_vram[(address + 2) & kVramMask]] << 2 |
           kPlaneSpread[sms_vram[(address + 3) & kVramMask]] << 3;
}

constexpr u64 kBytes01 = 0x0101010101010101ull;

// Eight pixel bytes into the line from x (which may lie partly off the 256 pixels).
void put_eight(u8* row, s32 x, u64 pixels) {
    if constexpr (std::endian::native == std::endian::little) {
        if (x >= 0 && x <= static_cast<s32>(kSmsScreenWidth) - 8) {
            std::memcpy(row + x, &pixels, 8);
            return;
        }
    }
    for (s32 p = 0; p < 8; ++p, pixels >>= 8) {
        if (x + p >= 0 && x + p < static_cast<s32>(kSmsScreenWidth))
            row[x + p] = static_cast<u8>(pixels);
    }
}

}  // namespace

void sms_vdp_reset() {
    sms_vdp_forget_lines();
    SmsVdp& v = sms_vdp;
    v.status  = 0;
    v.regs.fill(0);
    v.addr          = 0;
    v.latch         = {0, 0};
    v.latch_phase   = 0;
    v.target_cram   = false;
    v.addr_mask     = kVramMask;
    v.name_base     = 0x3800;
    v.sprite_base   = 0x3F00;
    v.sprite_height = 8;
    v.hscroll       = 0;
    v.line_counter  = 0;
    // What registers 0, 1 and 6 derive follows their reset value, so that nothing of a
    // machine run before stays in force.
    sms_vdp_register_write(0, 0);
    sms_vdp_register_write(1, 0);
    sms_vdp_register_write(6, 0);
}

void sms_vdp_rebuild_palette() {
    for (u32 i = 0; i < kSmsCramSize; ++i) convert_colour(i);
}

u8 sms_vdp_data_read() {
    SmsVdp& v     = sms_vdp;
    const u8 b    = v.target_cram ? sms_cram[v.addr & 0x1F] : sms_vram[v.addr & kVramMask];
    v.addr        = (v.addr + 1) & v.addr_mask;
    v.latch_phase = 0;
    return b;
}

void sms_vdp_data_write(u8 value) {
    SmsVdp& v = sms_vdp;
    if (v.target_cram) {
        sms_cram[v.addr & 0x1F] = value;
        convert_colour(v.addr & 0x1F);
    } else {
        u8& cell = sms_vram[v.addr & kVramMask];
        // Games rewrite whole tables every frame: only a new value changes a picture.
        if (cell != value) {
            cell = value;
            note_change();
        }
    }
    v.addr        = (v.addr + 1) & v.addr_mask;
    v.latch_phase = 0;
}

u8 sms_vdp_status_read() {
    const u8 s     = sms_vdp.status;
    sms_vdp.status = 0;
    return s;
}

void sms_vdp_control_write(u8 value) {
    SmsVdp& v              = sms_vdp;
    v.latch[v.latch_phase] = value;
    v.latch_phase ^= 1;
    if (v.latch_phase != 0) return;
    const u32 command = v.latch[0] | (static_cast<u32>(v.latch[1]) << 8);
    switch (command >> 14) {
        case 0:
        case 1:
            v.target_cram = false;
            v.addr_mask   = kVramMask;
            v.addr        = command & kVramMask;
            break;
        case 2:
            sms_vdp_register_write((command >> 8) & 0x0F, static_cast<u8>(command));
            break;
        default:
            // A CRAM address beyond its 32 bytes leaves the previous target in force.
            if ((command & 0x3FFF) < kSmsCramSize) {
                v.target_cram = true;
                v.addr_mask   = 0x1F;
                v.addr        = command & 0x1F;
            }
            break;
    }
}

void sms_vdp_register_write(u32 reg, u8 value) {
    SmsVdp& v             = sms_vdp;
    const bool same_value = v.regs[reg & 15] == value;
    const bool displayed  = v.display_enabled;
    v.regs[reg & 15]      = value;
    switch (reg & 15) {
        case 0:
            v.first_fixed_column = (value & 0x80) ? 24 : 35;
            v.hscroll_lock_top   = (value & 0x40) != 0;
            v.blank_left_column  = (value & 0x20) != 0;
            v.sprite_x_shift     = (value & 0x08) ? -8 : 0;
            update_display_enabled();
            break;
        case 1:
            v.sprite_height       = (value & 0x02) ? 16 : 8;
            v.sprite_pattern_mask = (value & 0x02) ? 0xFE : 0xFF;
            update_display_enabled();
            break;
        case 2:
            v.name_base = static_cast<u32>(value & 0x0E) << 10;
            break;
        case 5:
            v.sprite_base = static_cast<u32>(value & 0x7E) << 7;
            break;
        case 6:
            v.sprite_pattern_base = (value & 0x04) ? 0x100 : 0;
            break;
        case 8:
            v.hscroll = value;
            break;
        default:
            break;  // 9 and 10 are read where they are used; the rest have no effect here
    }
    if (!same_value || displayed != v.display_enabled) note_change();
}

// --- Line renderers -------------------------------------------------------------------------

void sms_vdp_render_bg_line(u32 y) {
    const SmsVdp& v = sms_vdp;
    u8* const row   = line_row(y);
    // Screen pixel x shows background pixel x - scroll; lines 0-15 may be locked.
    const u32 scroll = (v.hscroll_lock_top && y < 16) ? 0 : v.hscroll;
    // Tiles start `fine` pixels left of column 0: 34 tiles cover the line whatever it is.
    const u32 fine = (0u - scroll) & 7;
    for (u32 k = 0; k < 34; ++k) {
        const s32 x0 = static_cast<s32>(8 * k) - static_cast<s32>(fine);
        if (x0 >= static_cast<s32>(kSmsScreenWidth)) break;
        // Columns from the first fixed one on (24 with register 0 bit 7) ignore the
        // vertical scroll.
        const u32 vscroll = (k & ~1u) < v.first_fixed_column ? v.regs[9] : 0;
        u32 r             = vscroll + y;
        if (r >= 224) r -= 224;  // 28 rows of 8 lines
        const u32 column     = ((static_cast<u32>(x0) - scroll) & 0xF8) >> 3;
        const u32 entry_addr = v.name_base + (r >> 3) * 64 + 2 * column;
        const u32 entry      = sms_vram[entry_addr & kVramMask] |
                          (static_cast<u32>(sms_vram[(entry_addr + 1) & kVramMask]) << 8);
        const u32 pattern = entry & 0x1FF;
        const u32 prow    = (entry & 0x400) ? 7 - (r & 7) : (r & 7);
        u64 pixels        = pattern_row(pattern * 32 + prow * 4);
        if ((entry & 0x200) != 0) pixels = __builtin_bswap64(pixels);  // horizontal flip
        // A transparent pixel keeps its palette but never its priority.
        if ((entry & 0x1000) != 0) {
            const u64 opaque = ((pixels + 0x7F * kBytes01) & (0x80 * kBytes01)) >> 7;
            pixels |= opaque * 0x20;
        }
        if ((entry & 0x800) != 0) pixels |= 0x10 * kBytes01;
        put_eight(row, x0, pixels);
    }
}

void sms_vdp_render_sprite_line(u32 y) {
    const SmsVdp& v = sms_vdp;
    sms_sprite_line.fill(0);
    const bool limit = cfg(cfg_sms_sprite_limit) != 0;
    u32 drawn        = 0;
    for (u32 i = 0; i < 64; ++i) {
        const u32 sy = sms_vram[(v.sprite_base + i) & kVramMask];
        if (sy == 0xD0) break;  // the list ends
        // Y values from 0xD1 count from above the top (Y - 256); the sprite starts one line
        // below its Y.
        const s32 top  = (sy >= 0xD1 ? static_cast<s32>(sy) - 256 : static_cast<s32>(sy)) + 1;
        const u32 line = static_cast<u32>(static_cast<s32>(y) - top);
        if (line >= v.sprite_height) continue;
        const s32 x = sms_vram[(v.sprite_base + 0x80 + 2 * i) & kVramMask] + v.sprite_x_shift;
        const u32 pattern =
            (sms_vram[(v.sprite_base + 0x81 + 2 * i) & kVramMask] & v.sprite_pattern_mask) +
            v.sprite_pattern_base + line / 8;
        u64 colours = pattern_row(pattern * 32 + (line & 7) * 4);
        u8* dst     = sms_sprite_line.data() + kSmsSpriteMargin + x;  // x >= -8: in the margin
        for (u32 p = 0; p < 8; ++p, colours >>= 8) {
            const u8 c = static_cast<u8>(colours);
            if (c != 0 && dst[p] == 0) dst[p] = c;  // earlier sprites win
        }
        if (++drawn == 8 && limit) break;
    }
}

void sms_vdp_merge_sprites(u32 y) {
    u8* const row       = line_row(y);
    const u8* const spr = sms_sprite_line.data() + kSmsSpriteMargin;
    for (u32 x = 0; x < kSmsScreenWidth; ++x) {
        const u8 b = row[x], c = spr[x];
        row[x] = ((b & 0x20) != 0 || c == 0) ? b : static_cast<u8>(c | 0x10);
    }
    if (sms_vdp.blank_left_column) std::memset(row, 0, 8);
}

void sms_vdp_blank_line(u32 y) { std::memset(line_row(y), 0, kSmsScreenWidth); }

void sms_render_line_at(u32 line) {
    const u32 y = line & 0xFF;
    if (y >= kSmsLines) return;
    DrawnLine& drawn = drawn_lines[y];
    const u32 limit  = cfg(cfg_sms_sprite_limit);
    const bool fast  = speed_paths_enabled();
    if (!fast || !drawn.valid || drawn.changes != sms_line_inputs || drawn.sprite_limit != limit) {
        if (sms_vdp.display_enabled) {
            sms_vdp_render_bg_line(y);
            sms_vdp_render_sprite_line(y);
            sms_vdp_merge_sprites(y);
        } else {
            sms_vdp_blank_line(y);
        }
        drawn.changes      = sms_line_inputs;
        drawn.sprite_limit = limit;
        drawn.valid        = true;
        drawn.colours      = ~u64{0};
    }
    // The kept host pixels serve while the line and the colours are as they were.
    if (!fast || drawn.colours != vdp_changes.colours) {
        const u8* row = line_row(y);
        for (u32 x = 0; x < kSmsScreenWidth; ++x) drawn.pixels[x] = colour_lut[row[x]];
        drawn.colours = vdp_changes.colours;
    }
    render_put_row(drawn.pixels.data(), kSmsScreenWidth, y, (render_mode_load() & 4) != 0);
}

void sms_vdp_forget_lines() { drawn_lines.fill(DrawnLine{}); }

void sms_render_line_dispatch() { sms_render_line_at(current_line()); }

}  // namespace varn
