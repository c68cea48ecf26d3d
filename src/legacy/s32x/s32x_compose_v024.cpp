// The earlier release's 32X frame composition.

#include "legacy/s32x/s32x_compose_v024.h"

#include "base/endian.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"
#include "sh2/sh2_bus.h"

namespace varn {

namespace {

struct Composer {
    const S32xComposeInputV024& in;
    std::array<u16, 256> host_palette{};  // converted once a frame

    u16 fb_word(u32 word_index) const {
        const u32 at = (word_index * 2) & (in.frame_buffer_bytes - 1);
        return load_be16(in.frame_buffer + at);
    }
    u16 palette_word(u32 index) const { return load_be16(in.palette + 2 * (index & 0xFF)); }
    void convert_palette() {
        for (u32 i = 0; i < 256; ++i) host_palette[i] = s32x_colour_to_host(palette_word(i));
    }

    // One line of 320 host pixels.
    void line(u32 y, u32 bitmap, bool priority, u16* out) const {
        const u8* gen       = in.genesis + y * kFrameRowBytesV024;
        const auto& lut     = *in.colours;
        const u32 start     = fb_word(y);
        const auto backdrop = [&](u32 p) { return (gen[p] & 0x3F) == 0; };
        switch (bitmap) {
            case 1:  // packed pixel: two indices a word, the high byte first
                for (u32 p = 0; p < kFrameWidthV024; ++p) {
                    const u16 w    = fb_word(start + p / 2);
                    const u8 index = static_cast<u8>((p & 1) ? w : w >> 8);
                    const bool shown =
                        priority ? index != 0 : backdrop(p) || (palette_word(index) & 0x8000);
                    out[p] = shown ? host_palette[index] : lut[gen[p]];
                }
                return;
            case 2:  // direct colour
                for (u32 p = 0; p < kFrameWidthV024; ++p) {
                    const u16 w      = fb_word(start + p);
                    const u16 host   = s32x_colour_to_host(w);
                    const bool shown = priority ? host != 0 : backdrop(p) || (w & 0x8000);
                    out[p]           = shown ? host : lut[gen[p]];
                }
                return;
            default: {  // run length
                u32 at = start;
                for (u32 p = 0; p < kFrameWidthV024;) {
                    const u16 run  = fb_word(at++);
                    const u16 host = host_palette[run & 0xFF];
                    for (u32 n = (run >> 8) + 1u; n > 0 && p < kFrameWidthV024; --n)
                        out[p++] = host;
                }
                return;
            }
        }
    }
};

// Writes `count` pixels at (x, row) of the surface, cut at its edges.
void put(const FrameSurface& s, u32 row, const u16* px, u32 count, bool doubled) {
    if (row >= s.height) return;
    u16* dest = s.pixels + static_cast<std::size_t>(row) * s.pitch;
    for (u32 p = 0; p < count; ++p) {
        const u32 x = s.x + (doubled ? 2 * p : p);
        if (x < s.width) dest[x] = px[p];
        if (doubled && x + 1 < s.width) dest[x + 1] = px[p];
    }
}

}  // namespace

bool s32x_frame_copy_v024(u32 mode, const S32xComposeInputV024& in, const FrameSurface& surface,
                          S32xScanlineMasksV024 masks) {
    const u32 bitmap = (mode >> 4) & 3;
    if (bitmap == 0 || in.genesis == nullptr || in.colours == nullptr ||
        in.frame_buffer == nullptr || in.palette == nullptr || in.frame_buffer_bytes < 2 ||
        (in.frame_buffer_bytes & (in.frame_buffer_bytes - 1)) != 0 || surface.pixels == nullptr)
        return false;
    const bool doubled  = (mode & 4) != 0;
    const bool priority = (mode & 8) != 0;
    Composer c{in};
    if (bitmap != 2) c.convert_palette();
    std::array<u16, kFrameWidthV024> out{};
    std::array<u16, kFrameWidthV024> second{};
    for (u32 y = 0; y < kFrameRowsV024; ++y) {
        c.line(y, bitmap, priority, out.data());
        if (!doubled) {
            put(surface, surface.y + y, out.data(), kFrameWidthV024, false);
            continue;
        }
        for (u32 p = 0; p < kFrameWidthV024; ++p)
            second[p] = static_cast<u16>(((out[p] >> 1) & masks.half) + (out[p] & masks.keep));
        put(surface, surface.y + 2 * y, out.data(), kFrameWidthV024, true);
        put(surface, surface.y + 2 * y + 1, second.data(), kFrameWidthV024, true);
    }
    return true;
}

S32xComposeInputV024 s32x_compose_input_v024(const u8* genesis,
                                             const std::array<u16, 256>* colours) {
    return {genesis, colours,
            sh2_memory + kS32xFrameBufOffset + (s32x_fb_display & 1) * kS32xFrameBufferSize,
            kS32xFrameBufferSize, sh2_memory + kS32xPaletteOffset};
}

void s32x_frame_copy_machine_v024(const FrameSurface& surface, S32xScanlineMasksV024 masks) {
    const S32xComposeInputV024 in = s32x_compose_input_v024(vdp_line_buffer.data(), &colour_lut);
    if (s32x_frame_copy_v024(render_mode_load(), in, surface, masks)) return;
    // A blank 32X layer: the Genesis picture through the colours, single or doubled.
    const bool doubled = (render_mode_load() & 4) != 0;
    for (u32 y = 0; y < kFrameRowsV024; ++y) {
        const u32 row = surface.y + (doubled ? 2 * y : y);
        for (u32 p = 0; p < kFrameWidthV024; ++p) {
            const u16 px = colour_lut[vdp_line_buffer[y * kFrameRowBytesV024 + p]];
            for (u32 r = 0; r < (doubled ? 2u : 1u); ++r) {
                if (row + r >= surface.height) continue;
                const u16 v =
                    r == 0 ? px : static_cast<u16>(((px >> 1) & masks.half) + (px & masks.keep));
                for (u32 k = 0; k < (doubled ? 2u : 1u); ++k) {
                    const u32 x = surface.x + (doubled ? 2 * p : p) + k;
                    if (x < surface.width)
                        surface.pixels[static_cast<std::size_t>(row + r) * surface.pitch + x] = v;
                }
            }
        }
    }
}

}  // namespace varn
