#pragma once
// The Master System VDP in its mode-4 form: data and control ports, status byte, the 16
// registers and what each controls, CRAM and its colour conversion, and the line renderers
// (background, sprites, merge) for the 192 displayed lines of a 256-pixel picture.
//
// Line-buffer pixels (vdp_line_buffer, row = line): bits 0-3 colour, bit 4 palette (0 the
// background palette, CRAM 0-15; 1 the sprite palette, CRAM 16-31), bit 5 background
// priority. colour_lut entries 0-31 hold the CRAM colours and 32-63 the same again, so the
// priority bit does not change the colour.

#include <array>

#include "base/types.h"

namespace varn {

inline constexpr u32 kSmsVramSize    = 0x4000;
inline constexpr u32 kSmsCramSize    = 0x20;
inline constexpr u32 kSmsScreenWidth = 256;
inline constexpr u32 kSmsLines       = 192;

inline constexpr u8 kSmsStatusFrame = 0x80;
inline constexpr u8 kSmsStatusLine  = 0x40;

struct SmsVdp {
    u8 status;
    std::array<u8, 16> regs;
    bool target_cram;  // data port target: CRAM, else VRAM
    u32 addr_mask;     // 0x3FFF VRAM, 0x1F CRAM
    u32 addr;
    std::array<u8, 2> latch;
    u8 latch_phase;
    u8 line_counter;

    // Derived from the registers when they are written.
    u32 name_base;            // register 2
    u32 sprite_base;          // register 5
    u32 sprite_height;        // 8 or 16 (register 1 bit 1)
    u32 sprite_pattern_mask;  // 0xFF, or 0xFE with 16-line sprites
    u32 sprite_pattern_base;  // 0 or 0x100 (register 6 bit 2)
    s32 sprite_x_shift;       // 0 or -8 (register 0 bit 3)
    u8 hscroll;               // register 8
    u32 first_fixed_column;   // 24 with register 0 bit 7, else 35 (none)
    bool hscroll_lock_top;    // register 0 bit 6: lines 0-15 not scrolled horizontally
    bool blank_left_column;   // register 0 bit 5
    bool display_enabled;
};
extern SmsVdp sms_vdp;
extern std::array<u8, kSmsVramSize> sms_vram;
extern std::array<u8, kSmsCramSize> sms_cram;

// Sprite pixels of the current line (colour 0-15, 0 empty), with 8 pixels of margin on each
// side so that a sprite at either edge is drawn without a test per pixel.
inline constexpr u32 kSmsSpriteMargin = 8;
extern std::array<u8, kSmsScreenWidth + 2 * kSmsSpriteMargin> sms_sprite_line;

// Ports.
u8 sms_vdp_data_read();
void sms_vdp_data_write(u8 value);
u8 sms_vdp_status_read();
void sms_vdp_control_write(u8 value);
void sms_vdp_register_write(u32 reg, u8 value);

// Power-on. The values derived from registers 0, 1 and 6 change only when those registers
// are written.
void sms_vdp_reset();
// Converts every CRAM entry into colour_lut again (after a change of the host's format).
void sms_vdp_rebuild_palette();

// The line renderers of line `y` (0-191) into vdp_line_buffer row y.
void sms_vdp_render_bg_line(u32 y);
void sms_vdp_render_sprite_line(u32 y);
void sms_vdp_merge_sprites(u32 y);
void sms_vdp_blank_line(u32 y);

// The scheduler's line step: renders the current line (the displayed ones) and copies it
// to the surface through the render mode (single or doubled lines).
void sms_render_line_dispatch();
// The same for a given line. A line whose inputs (everything written through the VDP's
// ports, the sprite limit) are as when it was last drawn keeps its picture in the line
// buffer and is only copied (a speed path). Code that writes VRAM, CRAM or the line buffer
// in place calls sms_vdp_forget_lines first.
void sms_render_line_at(u32 line);
void sms_vdp_forget_lines();

}  // namespace varn
