#pragma once
// The Genesis side of the main 68000's bus: memory map, register pages and save memory.
//
// Power-on order (the machine's power-on runs these):
//   boot_rom_latch_power_on();   // before the map: it decides page 0
//   m68k_reset_memory_map();     // or m68k_build_segacd_memory_map() + scd_ram_cart_setup()
//   cart_save_setup();           // Genesis and 32X: save window from the cartridge header
//   io_ports_power_on(); cart_bank_regs_power_on();

#include "genesis/bus/boot_rom_switch.h"
#include "genesis/bus/cart_regs.h"
#include "genesis/bus/io_ports.h"
#include "genesis/bus/m68k_map.h"
#include "genesis/bus/ram_cart.h"
#include "genesis/bus/s32x_pages.h"
#include "genesis/bus/save_ram.h"

namespace varn {

// Every record of this folder back to its program-start value, slots unbound, and
// the page tables laid with the cartridge map (tests start clean with it).
void genesis_bus_reset_records();

}  // namespace varn
