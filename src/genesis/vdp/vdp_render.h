#pragma once
// Genesis VDP scanline renderers: plane B, plane A, the window, the sprites and the merge by
// priority with shadow/highlight, into `vdp_line_buffer` as 8-bit pixels (bits 0-5 colour
// index, bits 6-7 the intensity block of colour_lut). A line is rendered whole from the
// state at that moment, during its horizontal blank.
//
// Each routine works on the current line set by the render mode (vdp_render_line_number,
// and for the double-resolution set the field flag); the calling order is always B, A,
// window, sprites, merge, or vdp_clear_line alone while the display is off.

#include <array>

#include "base/types.h"

namespace varn {

inline constexpr u32 kLineBufferPitch = 512;  // bytes a row; 320 shown (256 in 32 columns)
inline constexpr u32 kLineBufferRows  = 448;  // two fields of 224 for interlace output
inline constexpr u32 kLineWidth       = 320;
extern std::array<u8, kLineBufferRows * kLineBufferPitch> vdp_line_buffer;

// The line the renderers work on (0-223).
extern u32 vdp_render_line_number;

// The sprite limits (sprites a frame, a line, pixels a line) apply whatever the sprite-limit
// setting says: a machine whose VDP always applies them sets it (false: by the setting).
extern bool vdp_sprite_limit_always;

// The window as one rectangle of cells and lines, shown where its column range and its line
// range meet: the window of a VDP that computes it so from registers 17 and 18. Null (the
// default): the window of the registers' own split, as the line renderers derive it.
struct VdpWindowRect {
    u32 first_col  = 0;
    u32 col_count  = 0;
    u32 first_line = 0;
    u32 line_count = 0;
};
extern const VdpWindowRect* vdp_window_rect;

void vdp_render_plane_b();
void vdp_render_plane_a();
void vdp_render_window();
void vdp_render_sprites();
void vdp_mix_line();
void vdp_clear_line();

// Interlace double resolution (register 12 bit 1): 16-row tiles, 448 plane lines a frame;
// the output row is 2y + field, or y when cfg_squash_interlace is set. No window, except a
// window rectangle (vdp_window_rect), drawn in single-resolution rows over plane A.
// A VDP without field handling sets vdp_interlace_one_field: every frame draws the rows of
// the even field, into row y (false: by the odd-field flag).
extern bool vdp_interlace_one_field;
void vdp_render_plane_b_interlace();
void vdp_render_plane_a_interlace();
void vdp_render_sprites_interlace();
void vdp_mix_line_interlace();

// The merge of eight pixels (pixel k in byte k) of plane B, plane A (window included) and
// the sprite line into line-buffer bytes. `sprites`: a sprite touched the line;
// `operators`: shadow/highlight is on.
u64 vdp_mix_pixels(u64 b, u64 a, u64 s, bool sprites, bool operators);

// The line-buffer row the current line goes to (the double-resolution row when interlaced).
u32 vdp_output_row();
u32 vdp_output_row_interlace();

// Renders the current line in single resolution (or clears it when the display is off).
void vdp_render_genesis_line();
// The VRAM blocks (bit n: block n of vdp_changes.vram_blocks) that the line drawn last by
// vdp_render_genesis_line read: its H-scroll entry, name-table rows, the sprite table and
// every pattern row it decoded.
u64 vdp_line_vram_reads();
// The same in double resolution for the current field.
void vdp_render_genesis_line_interlace();

}  // namespace varn
