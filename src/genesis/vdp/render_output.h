#pragma once
// Line output: the render modes that turn rendered lines into 16-bit host pixels on the
// drawing surface the front end has locked, the text overlay, the surface clear, the
// screenshot rows and the 32X composite routines. Also a small frame image for the headless
// runner and the tests (CRC-32 and a binary PPM of the picture).
//
// `render_mode` (vdp.h) selects the line routine:
//   0 Genesis, 4 doubled lines, 8 interlace, 12 interlace doubled;
//   16-28 32X packed pixel, 32-44 direct colour, 48-60 run length (bit 3 the 32X priority,
//   bit 2 doubled lines).

#include <array>
#include <span>
#include <string>
#include <vector>

#include "base/host.h"
#include "base/types.h"

namespace varn {

// The locked drawing surface, the host's frame image being drawn: nothing is drawn while
// `pixels` is null, and nothing is ever written outside width x height.
extern FrameSurface render_surface;

// Second line of a doubled pair: (pixel >> 1) & mask, per 16-bit lane (pixel p uses lane
// p & 3). 0 gives black lines.
extern u64 scanline_mask;

// Called by the front end after locking a surface (a null `pixels` means none is locked).
void surface_set_origin(u16* pixels, u32 pitch, u32 width, u32 height, u32 x, u32 y);

// The Genesis and 32X line step of the scheduler: renders the scheduler's current line
// through the active render mode.
void render_line_dispatch();
// The same for a given line (0-223).
void render_line_at(u32 line);

// Line output back to its program-start state: no surface, no overlay, no 32X source.
void render_output_reset();

// The boot's part of the start position: only the doubled-lines bit of render_mode
// survives.
void render_mode_reset();

// Line copies of line-buffer row `row` (exposed for the other machine's line routines).
void render_copy_single(u32 row);
void render_copy_doubled(u32 row);
// Host pixels already converted: `count` (at most 320) of them to the surface row of line
// `row`, single or doubled as render_copy_single and render_copy_doubled place them.
void render_put_row(const u16* pixels, u32 count, u32 row, bool doubled);

// Text overlay written by the front end: drawn at (x + 5k, y) relative to the picture, up to
// 32 characters, stopping at the first 0; characters outside 0x20-0x7F are skipped.
struct OverlayText {
    u32 x = 0;
    u32 y = 0;
    std::array<char, 32> text{};
};
extern OverlayText overlay_text;
void overlay_text_draw();

// Zeroes up to 640 x 480 pixels of the surface (never beyond its width and height).
void surface_clear_640x480(u16* pixels, u32 pitch, u32 width, u32 height);

// Screenshot rows: for each row a 0 filter byte, then red, green, blue bytes per pixel,
// scaled from the surface format given to host_colour_table_build. False (nothing written)
// when `out` is smaller than (width * 3 + 1) * height.
bool png_convert_surface_rows(const u16* surface, u32 pitch, u32 width, u32 height,
                              std::span<u8> out);

// 32X composite source, filled by the 32X unit: the displayed frame buffer (console words;
// word `line` holds the line's start as a word offset) and the 256-colour palette (console
// colour words, bit 15 the priority). Without a frame buffer the 32X layer is empty.
// `big_endian`: the words are held in the console's byte order (the 32X unit's memories)
// rather than the host's.
struct S32xCompositeSource {
    const u16* frame_buffer = nullptr;
    u32 frame_buffer_words  = 0;
    const u16* palette      = nullptr;  // 256 words
    bool big_endian         = false;
};
extern S32xCompositeSource s32x_composite_source;
// A 32X colour word (red bits 0-4, green 5-9, blue 10-14) in the surface format.
u16 s32x_colour_to_host(u16 word);

// A frame image in host memory to draw into, for the headless runner and the tests.
class FrameImage {
  public:
    FrameImage()                             = default;
    FrameImage(const FrameImage&)            = delete;
    FrameImage& operator=(const FrameImage&) = delete;
    ~FrameImage();  // detaches the surface when it is this image

    // Makes the image the locked surface (`width` x `height` pixels, picture at 0, 0).
    void attach(u32 width, u32 height);
    u32 width() const { return width_; }
    u32 height() const { return height_; }
    const std::vector<u16>& pixels() const { return pixels_; }

    // CRC-32 of the picture's top-left `width` x `height` pixels, each as two little-endian
    // bytes, row by row.
    u32 crc32(u32 width, u32 height) const;
    // Writes that picture as a binary PPM (P6, 8 bits a component). Returns an error text,
    // empty on success.
    std::string write_ppm(const std::string& path, u32 width, u32 height) const;

  private:
    std::vector<u16> pixels_;
    u32 width_  = 0;
    u32 height_ = 0;
};

}  // namespace varn
