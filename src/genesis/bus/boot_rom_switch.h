#pragma once
// The boot-ROM switch at 0xA14101. A console with a boot ROM starts with it on page 0
// (bit 0 = 0); the boot ROM checks the cartridge and writes 1 to hand page 0, and the first
// 64 KB of code fetch, to the cartridge. Without the boot ROM option the latch reads 1 and
// writes are ignored.

#include "base/types.h"

namespace varn {

extern u32 boot_rom_latch;  // bit 0 of the last byte written to 0xA14101

// Power-on value: 0 when cfg_gen_use_bios is on (the boot ROM runs first), else 1.
void boot_rom_latch_power_on();

}  // namespace varn
