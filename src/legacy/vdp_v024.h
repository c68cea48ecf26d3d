#pragma once
// The earlier machine's VDP register layer: the main program's VDP (its memories, ports,
// DMA and renderers) under fewer register side effects, a window computed once as a
// rectangle when register 17 or 18 is written, and DMA source and length registers that a
// transfer leaves as they were.
//
// Window rectangle (register 17 = H, 18 = V; W = 32 or 40 cells, L = 224 lines, or 240 when
// the display height is 240 or more; full right 0x90 / 0x94, full bottom 0x9C / 0x9E):
//   H = V = 0, or H full right with V full bottom: no window;
//   columns: all for H = 0, H at or above full right, or a left position at or above the
//     width (0x10 / 0x14); a right position p (bit 7): 2p to W - 1; a left position p
//     below the width: 0 to 2p - 1;
//   lines: none for V = 0 or above full bottom; all for V = full bottom; a downward
//     position p (bit 7): 8p to L - 1; an upward one: 0 to 8p - 1;
//   the window is where both ranges hold, so register 17 alone shows nothing.

#include <span>

#include "base/types.h"
#include "genesis/vdp/vdp_render.h"

namespace varn {

extern VdpWindowRect vdp_window_rect_v024;

// The rectangle for registers 17 and 18 at a width (320 or 256) and display height.
VdpWindowRect vdp_window_rect_for_v024(u8 h, u8 v, u32 width, u32 height);

// A register write: the register number in bits 8-12, the value in the low byte. Clears the
// pending second command word, stores the byte and runs the register's handler: registers
// 0 and 1 have none (their bits are read where they are used: display, interrupt and DMA
// enables), 17 and 18 recompute the window, the others are the main program's.
void vdp_write_register_v024(u32 word);

// A control-port word: register writes through the layer above; command words to the
// VDP's own port, the DMA source and length registers kept as they were.
void vdp_write_control_v024(u16 word);

// A data-port word: the main VDP's write (stores, fills) without its status bookkeeping: a
// fill leaves the status bits as they were, so no DMA-busy bit is reported afterwards.
void vdp_write_data_v024(u16 word);

// A Genecyst state's VDP registers: the command, address, DMA and fill state cleared as at
// power-on (the registers are not), registers 0-23 written in order from the image bytes at
// 0xFA-0x111 through vdp_write_register_v024, then the palette rebuilt. False, nothing
// changed, when the image is too short.
bool vdp_load_context_from_image_v024(std::span<const u8> image);

// Power-on: the main VDP's clear, then registers 0 = 0x14, 1 = 0x02, 12 = 0x01, no window,
// and the renderers bound to this machine's window and sprite rules.
void vdp_clear_state_v024();

}  // namespace varn
