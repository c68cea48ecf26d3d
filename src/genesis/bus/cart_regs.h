#pragma once
// Cartridge registers at 0xA13000 (repeated every 32 bytes through the page):
//   0xA130EC (long)   "MARS" while a 32X image is loaded, else all ones
//   0xA130F1          bit 0 enables the save-RAM window (0 shows the ROM under it)
//   0xA130F3-0xA130FF bank registers of the 512 KB windows 1-7: a byte write loads the
//                     window with 512 KB of the image file, from (value & 0xF) * 0x80000

#include <array>

#include "base/types.h"

namespace varn {

// The last bytes written to 0xA130F1, 0xA130F3, ..., 0xA130FF.
extern std::array<u8, 8> cart_bank_regs;

// Power-on: 0, 1, 2, ..., 7 (each window shows its own bank).
void cart_bank_regs_power_on();

// Slot to the image loader: stream 512 KB of the loaded image file, from file offset
// `file_bank` * 0x80000, into `cart_rom` at `window` * 0x80000. Null (no loader bound, or
// an image that is not a file): the window keeps what it holds.
extern void (*cart_bank_load)(u32 window, u32 file_bank);

// Slot to the machine boot: true while a 32X image is loaded. Null: never.
extern bool (*cart_is_32x_image)();

}  // namespace varn
