#pragma once
// The earlier release's 32X frame composition: once a frame, the whole Genesis picture (224
// rows of colour indices) and the displayed 32X frame buffer become host pixels on the
// drawing surface, through the routine the render mode selects.
//
// Render mode bits (`render_mode_v024`): bit 2 double size (each pixel twice, each row twice,
// the second through the scanline masks), bit 3 the 32X priority, bits 4-5 the 32X bitmap
// mode (0 blank, 1 packed pixel, 2 direct colour, 3 run length). Each 32X line starts where
// its entry in the frame buffer's line table says (word y, a word offset); reads wrap
// within the frame buffer.
//
//   packed pixel, bit 3 clear  the 32X pixel where the Genesis pixel is the backdrop (index
//                              bits 0-5 all 0) or the 32X colour has bit 15 set
//   packed pixel, bit 3 set    the 32X pixel unless its index is 0
//   direct colour, bit 3 clear as packed pixel, with the colour word itself
//   direct colour, bit 3 set   the 32X pixel unless its host colour is 0
//   run length                 runs {length - 1, palette index} fill the line to 320 pixels
//                              (a run past the end is cut there); no Genesis picture

#include <array>

#include "base/host.h"
#include "base/types.h"

namespace varn {

inline constexpr u32 kFrameRowsV024     = 224;
inline constexpr u32 kFrameWidthV024    = 320;
inline constexpr u32 kFrameRowBytesV024 = 512;  // indices of one Genesis row, 320 shown

struct S32xComposeInputV024 {
    const u8* genesis                   = nullptr;  // 224 rows of 512 colour indices
    const std::array<u16, 256>* colours = nullptr;  // host pixel of every colour index
    const u8* frame_buffer              = nullptr;  // the displayed 32X buffer, big-endian
    u32 frame_buffer_bytes              = 0;        // a power of two
    const u8* palette                   = nullptr;  // 256 colour words, big-endian
};

// The second row of a doubled pair, per 16-bit pixel: ((pixel >> 1) & half) + (pixel & keep).
struct S32xScanlineMasksV024 {
    u16 half = 0;
    u16 keep = 0xFFFF;
};

// Composes the frame for a render mode with a 32X bitmap mode (bits 4-5 non-zero) into the
// surface at its picture origin; nothing is written outside the surface. False, with
// nothing drawn, for a blank 32X mode or a missing input.
bool s32x_frame_copy_v024(u32 render_mode, const S32xComposeInputV024& in,
                          const FrameSurface& surface, S32xScanlineMasksV024 masks = {});

// The input as the machine holds it: the given Genesis picture and colours, the displayed
// 32X frame buffer and the palette from the SH-2 memories.
S32xComposeInputV024 s32x_compose_input_v024(const u8* genesis,
                                             const std::array<u16, 256>* colours);

// The machine's frame copy for the 32X modes: the frame in the VDP's line buffer, colour_lut,
// the 32X memories, by the render mode; with a blank 32X mode the Genesis picture alone.
void s32x_frame_copy_machine_v024(const FrameSurface& surface, S32xScanlineMasksV024 masks);

}  // namespace varn
