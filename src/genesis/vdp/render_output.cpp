// Render modes and line output into the host's 16-bit drawing surface.

#include "genesis/vdp/render_output.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/crc32.h"
#include "base/endian.h"
#include "base/file_write.h"
#include "base/speed_paths.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_internal.h"
#include "genesis/vdp/vdp_links.h"
#include "genesis/vdp/vdp_render.h"

namespace varn {

FrameSurface render_surface{};
u64 scanline_mask = 0;
OverlayText overlay_text{};
S32xCompositeSource s32x_composite_source{};

namespace {

// Surface row `row` of the picture, clipped: the first pixel and how many of `count` fit.
u16* surface_row(u32 row, u32& count) {
    const FrameSurface& s = render_surface;
    if (s.pixels == nullptr) return nullptr;
    const u64 y = static_cast<u64>(s.y) + row;
    if (y >= s.height || s.x >= s.width) return nullptr;
    const u32 room = s.width - s.x;
    if (count > room) count = room;
    return s.pixels + y * s.pitch + s.x;
}

u16 mask_lane(u32 p) { return static_cast<u16>(scanline_mask >> (16 * (p & 3))); }

// The second line of a doubled pair: `pixels` at half intensity through the scanline mask.
void put_masked_row(const u16* pixels, u32 row, u32 count = kLineWidth) {
    if (u16* dst = surface_row(row, count)) {
        for (u32 p = 0; p < count; ++p) dst[p] = static_cast<u16>((pixels[p] >> 1) & mask_lane(p));
    }
}

// Writes 320 host pixels to surface row `row`, and the scanline-masked copy to `row + 1`
// when doubled.
void put_pixels(const u16* pixels, u32 row, bool doubled, u32 width = kLineWidth) {
    u32 count = width;
    if (u16* dst = surface_row(row, count)) std::memcpy(dst, pixels, count * sizeof(u16));
    if (doubled) put_masked_row(pixels, row + 1, width);
}

u64 load_group(const u8* src) {
    u64 group;
    std::memcpy(&group, src, sizeof group);
    return group;
}

// Line-buffer bytes -> host pixels, a table lookup each, eight at a time.
[[gnu::always_inline]] inline void convert_group(const u8* src, u16* dst) {
#pragma GCC unroll 8
    for (u32 k = 0; k < 8; ++k) dst[k] = colour_lut[src[k]];
}

// Pictures are mostly runs of one colour (backdrop, filled areas) or tiles repeated side by
// side, so a group of eight bytes equal to the group before it takes the previous eight
// host pixels.
void convert_pixels(const u8* src, u16* dst, u32 count) {
    const u8* const end = src + (count & ~7u);
    // The first group has none before it.
    u64 previous = src != end ? ~load_group(src) : 0;
    for (; src != end; src += 8, dst += 8) {
        const u64 group = load_group(src);
        if (group == previous) {
            std::memcpy(dst, dst - 8, 8 * sizeof(u16));
            continue;
        }
        previous = group;
        convert_group(src, dst);
    }
    for (u32 k = 0; k < (count & 7); ++k) dst[k] = colour_lut[src[k]];
}

const u8* buffer_row_pixels(u32 buffer_row) {
    return vdp_line_buffer.data() + buffer_row * kLineBufferPitch;
}

void convert_row(u32 buffer_row, u16* pixels) {
    convert_pixels(buffer_row_pixels(buffer_row), pixels, kLineWidth);
}

// Converts straight into the surface row (and the scanline-masked row below it when
// doubled); a row that misses the surface has no row below that hits it.
void copy_row(u32 buffer_row, u32 surface_row_index, bool doubled) {
    u32 count = kLineWidth;
    u16* dst  = surface_row(surface_row_index, count);
    if (dst == nullptr) return;
    convert_pixels(buffer_row_pixels(buffer_row), dst, count);
    if (doubled) put_masked_row(dst, surface_row_index + 1);
}

// --- Genesis line routines ---------------------------------------------------------------

// A line's picture as last drawn and converted, with what it was drawn from: most screens
// stay the same from one frame to the next, and a line whose inputs are all as they were
// is not drawn again. Its inputs are the VRAM it read and the renderers' settings
// (DrawnInputs), VSRAM, register 17's side bit the window reads, the picture width and the
// sprite limit. The host pixels are converted again only when the drawn bytes or colour_lut (by
// its change count) differ. The kept picture is copied into the line buffer and the
// surface whatever they hold now.
class LineRecord {
  public:
    static constexpr u64 kNotConverted = ~u64{0};

    bool inputs_current() const {
        return window_side_ == vdp_registers[17] && width_ == screen_width &&
               sprite_limit_ == cfg(cfg_gen_sprite_limit) && inputs_.current() &&
               std::memcmp(vsram_, vdp_vsram.data(), sizeof vsram_) == 0;
    }

    // Takes the line just drawn into `row` and its inputs. With the colours unchanged only
    // the groups of eight pixels that differ from the kept line are converted again (a
    // moving sprite or a changed text leaves most of a line as it was).
    void take(const u8* row) {
        if (std::memcmp(rendered_, row, kLineWidth) == 0) {
            // the same bytes: the pixels stand as they are
        } else if (pixel_colours_ == vdp_changes.colours) {
            for (u32 p = 0; p < kLineWidth; p += 8) {
                if (load_group(row + p) == load_group(rendered_ + p)) continue;
                std::memcpy(rendered_ + p, row + p, 8);
                convert_group(row + p, pixels_ + p);
            }
        } else {
            std::memcpy(rendered_, row, kLineWidth);
            pixel_colours_ = kNotConverted;
        }
        inputs_.take(vdp_line_vram_reads());
        window_side_  = vdp_registers[17];
        width_        = screen_width;
        sprite_limit_ = cfg(cfg_gen_sprite_limit);
        std::memcpy(vsram_, vdp_vsram.data(), sizeof vsram_);
    }

    // The host pixels of the kept line with the current colours.
    const u16* pixels() {
        if (pixel_colours_ != vdp_changes.colours) {
            convert_pixels(rendered_, pixels_, kLineWidth);
            pixel_colours_ = vdp_changes.colours;
        }
        return pixels_;
    }

    const u8* rendered() const { return rendered_; }
    void forget() {
        inputs_.forget();
        pixel_colours_ = kNotConverted;
    }

  private:
    vdp_detail::DrawnInputs inputs_;
    u64 pixel_colours_ = kNotConverted;  // colour_lut's count when pixels_ were converted
    u8 window_side_    = 0;
    u32 width_ = 0, sprite_limit_ = 0;
    u16 vsram_[kVsramWords]{};
    u8 rendered_[kLineWidth]{};
    u16 pixels_[kLineWidth]{};
};
std::array<LineRecord, 224> line_records;

// Line y into surface row `surface_row_index` (and the scanline-masked row below it when
// doubled). With the speed paths off every line is drawn and converted afresh.
void genesis_line_out(u32 y, u32 surface_row_index, bool doubled) {
    if (!speed_paths_enabled()) {
        vdp_render_genesis_line();
        copy_row(y, surface_row_index, doubled);
        return;
    }
    LineRecord& record = line_records[y];
    u8* row            = vdp_line_buffer.data() + y * kLineBufferPitch;
    if (record.inputs_current()) {
        std::memcpy(row, record.rendered(), kLineWidth);
    } else {
        vdp_render_genesis_line();
        record.take(row);
    }
    put_pixels(record.pixels(), surface_row_index, doubled);
}

void genesis_single(u32 y) { genesis_line_out(y, y, false); }

void genesis_doubled(u32 y) { genesis_line_out(y, 2 * y, true); }

void genesis_interlace(u32 y, bool doubled) {
    if (cfg(cfg_squash_interlace) != 0) {
        vdp_render_genesis_line_interlace();
        copy_row(y, doubled ? 2 * y : y, doubled);
        return;
    }
    // Both fields of the line, each into its own output row.
    auto& field      = vdp_control_state.odd_field;
    const bool saved = field;
    for (bool odd : {false, true}) {
        field         = odd;
        const u32 row = 2 * y + (odd ? 1 : 0);
        vdp_render_genesis_line_interlace();
        copy_row(row, row, false);
    }
    field = saved;
}

// --- 32X composite -------------------------------------------------------------------------

u16 fb_word(u32 index) {
    const auto& src = s32x_composite_source;
    const u16 w     = src.frame_buffer[index % src.frame_buffer_words];
    return src.big_endian ? load_be16(reinterpret_cast<const u8*>(&w)) : w;
}

u32 line_start(u32 y) { return fb_word(y); }

u8 fb_byte(u32 start, u32 k) {
    const u16 w = fb_word(start + k / 2);
    return static_cast<u8>((k & 1) ? w : w >> 8);
}

u16 palette_word(u32 index) {
    const auto& src = s32x_composite_source;
    if (src.palette == nullptr) return 0;
    const u16 w = src.palette[index & 0xFF];
    return src.big_endian ? load_be16(reinterpret_cast<const u8*>(&w)) : w;
}

bool genesis_clear(u8 b) { return (b & 0x3F) == 0; }

void composite(u32 y, u32 mode) {
    vdp_render_genesis_line();
    if (render_surface.pixels == nullptr) return;
    const u8* gen      = vdp_line_buffer.data() + y * kLineBufferPitch;
    const bool doubled = (mode & 4) != 0;
    const bool prio    = (mode & 8) != 0;
    const u32 bitmap   = (mode >> 4) & 3;
    u16 out[kLineWidth];
    const auto& src = s32x_composite_source;
    if (src.frame_buffer == nullptr || src.frame_buffer_words == 0) {
        convert_row(y, out);   // no 32X layer
    } else if (bitmap == 1) {  // packed pixel
        const u32 start   = line_start(y);
        const auto packed = [&](u32 p, u8 index, u16 colour) {
            const bool through  = (colour & 0x8000) != 0;
            const bool show_32x = prio ? !(index == 0 || (!genesis_clear(gen[p]) && through))
                                       : (genesis_clear(gen[p]) || through);
            out[p]              = show_32x ? s32x_colour_to_host(colour) : colour_lut[gen[p]];
        };
        if (src.big_endian && src.palette != nullptr &&
            start + kLineWidth / 2 <= src.frame_buffer_words) {
            // The line lies whole in the buffer: its bytes in order, the palette read in place.
            const u8* line = reinterpret_cast<const u8*>(src.frame_buffer + start);
            const u8* pal  = reinterpret_cast<const u8*>(src.palette);
            for (u32 p = 0; p < kLineWidth; ++p) packed(p, line[p], load_be16(pal + 2 * line[p]));
        } else {
            for (u32 p = 0; p < kLineWidth; ++p) {
                const u8 index = fb_byte(start, p);
                packed(p, index, palette_word(index));
            }
        }
    } else if (bitmap == 2) {  // direct colour
        const u32 start   = line_start(y);
        const auto direct = [&](u32 p, u16 word) {
            const u16 host      = s32x_colour_to_host(word);
            const bool through  = (word & 0x8000) != 0;
            const bool show_32x = prio ? !(host == 0 || (!genesis_clear(gen[p]) && through))
                                       : (genesis_clear(gen[p]) || through);
            out[p]              = show_32x ? host : colour_lut[gen[p]];
        };
        if (src.big_endian && start + kLineWidth <= src.frame_buffer_words) {
            const u8* line = reinterpret_cast<const u8*>(src.frame_buffer + start);
            for (u32 p = 0; p < kLineWidth; ++p) direct(p, load_be16(line + 2 * p));
        } else {
            for (u32 p = 0; p < kLineWidth; ++p) direct(p, fb_word(start + p));
        }
    } else {  // run length: the 32X line alone
        u32 at = line_start(y);
        for (u32 p = 0; p < kLineWidth;) {
            const u16 run    = fb_word(at++);
            const u16 colour = s32x_colour_to_host(palette_word(run & 0xFF));
            for (u32 n = (run >> 8) + 1u; n > 0 && p < kLineWidth; --n) out[p++] = colour;
        }
    }
    put_pixels(out, doubled ? 2 * y : y, doubled);
}

// --- Overlay font --------------------------------------------------------------------------

// 5 x 8 glyphs of the characters 0x20-0x7F, one byte a column, bit 0 the top row.
constexpr u8 kFont[96][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x56, 0x20, 0x50}, {0x00, 0x08, 0x07, 0x03, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x2A, 0x1C, 0x7F, 0x1C, 0x2A}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x80, 0x70, 0x30, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x00, 0x60, 0x60, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x72, 0x49, 0x49, 0x49, 0x46}, {0x21, 0x41, 0x49, 0x4D, 0x33}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x31}, {0x41, 0x21, 0x11, 0x09, 0x07},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x46, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x00, 0x14, 0x00, 0x00},
    {0x00, 0x40, 0x34, 0x00, 0x00}, {0x00, 0x08, 0x14, 0x22, 0x41}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x59, 0x09, 0x06}, {0x3E, 0x41, 0x5D, 0x59, 0x4E},
    {0x7C, 0x12, 0x11, 0x12, 0x7C}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x41, 0x3E}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x41, 0x51, 0x73}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x1C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x26, 0x49, 0x49, 0x49, 0x32}, {0x03, 0x01, 0x7F, 0x01, 0x03}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x03, 0x04, 0x78, 0x04, 0x03}, {0x61, 0x59, 0x49, 0x4D, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x41},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x41, 0x7F}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x03, 0x07, 0x08, 0x00}, {0x20, 0x54, 0x54, 0x78, 0x40},
    {0x7F, 0x28, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x28}, {0x38, 0x44, 0x44, 0x28, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x00, 0x08, 0x7E, 0x09, 0x02}, {0x18, 0xA4, 0xA4, 0x9C, 0x78},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x40, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x78, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0xFC, 0x18, 0x24, 0x24, 0x18},
    {0x18, 0x24, 0x24, 0x18, 0xFC}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x24},
    {0x04, 0x04, 0x3F, 0x44, 0x24}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x4C, 0x90, 0x90, 0x90, 0x7C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x77, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x02, 0x01, 0x02, 0x04, 0x02}, {0x3C, 0x26, 0x23, 0x26, 0x3C},
};

}  // namespace

void surface_set_origin(u16* pixels, u32 pitch, u32 width, u32 height, u32 x, u32 y) {
    render_surface = {pixels, pitch, width, height, x, y};
}

void render_put_row(const u16* pixels, u32 count, u32 row, bool doubled) {
    put_pixels(pixels, doubled ? 2 * row : row, doubled, count < kLineWidth ? count : kLineWidth);
}

void render_copy_single(u32 row) { copy_row(row, row, false); }
void render_copy_doubled(u32 row) { copy_row(row, 2 * row, true); }

void render_line_at(u32 line) {
    const u32 y            = line & 0xFF;
    vdp_render_line_number = y;
    if (y >= 224) return;  // the line buffer and the picture have 224 lines a field
    const u32 mode = render_mode_load() & 0x3C;
    switch (mode) {
        case 0:
            genesis_single(y);
            break;
        case 4:
            genesis_doubled(y);
            break;
        case 8:
            genesis_interlace(y, false);
            break;
        case 12:
            genesis_interlace(y, true);
            break;
        default:
            composite(y, mode);
            break;
    }
}

void render_line_dispatch() { render_line_at(vdp_link::slice_counter() >> 4); }

void render_mode_reset() { render_mode_replace(~4u, 0); }

void render_output_reset() {
    render_surface        = {};
    scanline_mask         = 0;
    overlay_text          = {};
    s32x_composite_source = {};
    for (LineRecord& record : line_records) record.forget();
}

void overlay_text_draw() {
    const FrameSurface& s = render_surface;
    if (s.pixels == nullptr) return;
    for (u32 k = 0; k < overlay_text.text.size(); ++k) {
        const u8 c = static_cast<u8>(overlay_text.text[k]);
        if (c == 0) break;
        if (c < 0x20 || c >= 0x80) continue;
        const u64 gx = static_cast<u64>(s.x) + overlay_text.x + 5u * k;
        for (u32 col = 0; col < 5; ++col) {
            const u8 bits = kFont[c - 0x20][col];
            for (u32 row = 0; row < 8; ++row) {
                if (((bits >> row) & 1) == 0) continue;
                const u64 px = gx + col;
                const u64 py = static_cast<u64>(s.y) + overlay_text.y + row;
                if (px < s.width && py < s.height) s.pixels[py * s.pitch + px] = 0xFFFF;
            }
        }
    }
}

void surface_clear_640x480(u16* pixels, u32 pitch, u32 width, u32 height) {
    if (pixels == nullptr) return;
    const u32 w = width < 640 ? width : 640;
    const u32 h = height < 480 ? height : 480;
    for (u32 y = 0; y < h; ++y)
        std::memset(pixels + static_cast<u64>(y) * pitch, 0, w * sizeof(u16));
    render_surface.pitch = pitch;
}

bool png_convert_surface_rows(const u16* surface, u32 pitch, u32 width, u32 height,
                              std::span<u8> out) {
    const u64 need = (static_cast<u64>(width) * 3 + 1) * height;
    if (surface == nullptr || out.size() < need || (height > 0 && pitch < width)) return false;
    const u32 pos[3] = {host_surface_format.red_msb, host_surface_format.green_msb,
                        host_surface_format.blue_msb};
    u8* o            = out.data();
    for (u32 y = 0; y < height; ++y) {
        *o++           = 0;  // filter: none
        const u16* row = surface + static_cast<u64>(y) * pitch;
        for (u32 x = 0; x < width; ++x) {
            for (u32 c = 0; c < 3; ++c) {
                const u32 mask = 0x1Fu << (pos[c] - 4);
                *o++           = static_cast<u8>(((row[x] & mask) >> (pos[c] - 4)) << 3);
            }
        }
    }
    return true;
}

u16 s32x_colour_to_host(u16 word) {
    const HostSurfaceFormat& f = host_surface_format;
    const u32 r                = word & 0x1F;
    const u32 g                = (word >> 5) & 0x1F;
    const u32 b                = (word >> 10) & 0x1F;
    return static_cast<u16>((r << (f.red_msb - 4)) | (g << (f.green_msb - 4)) |
                            (b << (f.blue_msb - 4)));
}

// --- Frame image ---------------------------------------------------------------------------

FrameImage::~FrameImage() {
    if (render_surface.pixels == pixels_.data()) render_surface = {};
}

void FrameImage::attach(u32 width, u32 height) {
    width_  = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * height, 0);
    surface_set_origin(pixels_.data(), width, width, height, 0, 0);
}

u32 FrameImage::crc32(u32 width, u32 height) const {
    if (width > width_) width = width_;
    if (height > height_) height = height_;
    u32 crc = 0;
    std::vector<u8> row(static_cast<std::size_t>(width) * 2);
    for (u32 y = 0; y < height; ++y) {
        for (u32 x = 0; x < width; ++x) {
            const u16 p    = pixels_[static_cast<std::size_t>(y) * width_ + x];
            row[2 * x]     = static_cast<u8>(p);
            row[2 * x + 1] = static_cast<u8>(p >> 8);
        }
        crc = crc32_update(crc, row);
    }
    return crc;
}

std::string FrameImage::write_ppm(const std::string& path, u32 width, u32 height) const {
    if (width > width_) width = width_;
    if (height > height_) height = height_;
    std::vector<u8> rows((static_cast<std::size_t>(width) * 3 + 1) * height);
    if (!png_convert_surface_rows(pixels_.data(), width_, width, height, rows))
        return "cannot convert the frame";
    // The whole picture is made in memory and written as every file is: a full disk leaves
    // an older picture as it was rather than cut short.
    const std::string header =
        "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<u8> ppm(header.begin(), header.end());
    ppm.reserve(ppm.size() + static_cast<std::size_t>(width) * 3 * height);
    for (u32 y = 0; y < height; ++y) {
        const u8* row = rows.data() + static_cast<std::size_t>(y) * (width * 3 + 1) + 1;
        ppm.insert(ppm.end(), row, row + static_cast<std::size_t>(width) * 3);
    }
    const auto written = write_file_replacing(path, ppm);
    return written ? std::string() : written.error;
}

}  // namespace varn
