#pragma once
// The Sega CD's graphics unit: stamp rotation and scaling. A word write to the trace vector
// base register (0xFF8066) starts an operation; it is drawn at once into word RAM, and the
// gate array's countdown signals its end four ticks later with interrupt level 1.
//
// The unit reads its registers from the sub side of the gate array (0xFF8058-0xFF8067):
// stamp data size (repeat, stamp size, map size), stamp map base, image buffer vertical cell
// size and start, horizontal and vertical dot sizes, and the trace vector base; the
// priority mode is the memory-mode byte's. Every word-RAM offset it forms wraps within the
// 256 KB of word RAM, whatever the word-RAM mode.

#include <array>
#include <atomic>

#include "base/types.h"

namespace varn {

// One byte per dot, rows of 1024 dots; kept from one operation to the next (dots a narrow
// operation does not draw are written to the image buffer as the last one left them).
inline constexpr u32 kScdLineBufferWidth = 1024;
inline constexpr u32 kScdLineBufferRows  = 256;
extern std::array<u8, kScdLineBufferWidth * kScdLineBufferRows> scd_gfx_line_buffer;

// The front end's "pause after graphics" check item: while non-zero, the emulation pauses
// (a user pause) after each operation until the user resumes it.
extern std::atomic<u32> scd_pause_after_graphics;

// Draws the operation the registers describe; bound to the gate array's trace-vector write.
void scd_graphics_start();

}  // namespace varn
