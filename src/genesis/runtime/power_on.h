#pragma once
// Bringing the Genesis side of the machine to life: the one-time set-up of the emulation
// components, the Genesis power-on (also the base of the 32X), the Sega CD variant, and
// region detection from the cartridge header.
//
// Power-on runs on the user-interface thread while the emulation thread is stopped (a new
// image) or paused (a reboot); it ends by storing the Genesis run entry.

#include "base/types.h"
#include "runtime/machine_table.h"

namespace varn {

// The picture of every machine built on the Genesis at power-on.
inline constexpr PictureSize kGenesisPicture{320, 224};

// Once at program start: opcode tables, bus tables, FM chip tables, and the slots through
// which the 68000 core continues into the rest of the machine.
void emu_components_init();

// Binds the slots through which the 68000 core, the VDP and the bus reach the scheduler,
// the region and the front end (start-up; power-on binds them again).
void emu_bind_slots();

// Resets the CPUs, chips, memories and bus of a cartridge machine and stores the run entry.
// An idle emulation thread starts the machine the moment the entry is stored.
void genesis_power_on();
// The same for the Sega CD: its map, fetch pages and DMA sources, the RAM cartridge.
void segacd_power_on();

// The power-ons without their last step: a boot with more to do before the machine may
// start (the Sega CD unit's reset, the save-RAM file) stores `genesis_run_entry` itself
// when it is done; the headless runner drives the frames without a thread.
void genesis_power_on_machine();
void segacd_power_on_machine();

// Region test of the cartridge in `cart_rom` (header bytes 0x1F0-0x1F2); always 0.
u32 region_autodetect();

}  // namespace varn
