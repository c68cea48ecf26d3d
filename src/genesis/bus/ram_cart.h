#pragma once
// The Sega CD's RAM cartridge as the main 68000 sees it (Sega CD map only):
//   0x400000-0x40001F  identification bytes: byte 1 = size code, bytes 0x10-0x1B = 0x30
//   0x600000-0x63FFFF  data: one byte of `cart_sram` per word address (odd and even byte
//                      of a word reach the same RAM byte)
//   0x7FF000           write-protect register (not emulated: reads the address)
// Present while cfg_scd_ram_cart is on; its size is 8 KB << cfg_scd_ram_cart_size.

#include <array>

#include "base/types.h"

namespace varn {

extern std::array<u8, 32> scd_ram_cart_id;

// Sega CD power-on: the size of the cartridge in `cart_sram_size` (0 when the option is off),
// the identification bytes, and no save-RAM window. The size code is taken as 0-3.
void scd_ram_cart_setup();

}  // namespace varn
