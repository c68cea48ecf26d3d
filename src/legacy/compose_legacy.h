#pragma once
// The earlier release's composition point: the one function that binds every unit the
// earlier program links. Its programs (the window program, the headless runner's --legacy
// mode) and its tests call it at start-up instead of compose_varn(), before any image is
// loaded.
//
// The earlier machine is a second composition over the same rooms: the media boot, the
// VDP, the controller ports and the memory arena are the main program's; its own units
// (the older 68000 core and memory map, the older Z80 and YM2612, the frame loop and
// power-on) come from src/legacy/. Its machine table holds only the machines it has: the
// Genesis here; it has no Master System.
//
// Adding a machine: a 32X or Sega CD record is built on the Genesis side
// (legacy_genesis_side(kind)), by the unit's own files (src/legacy/s32x/,
// src/legacy/segacd/), filling the record's power_on, unit_fit and unit_reset (and the
// Sega CD's disc steps); compose_varn_legacy() then binds it beside the Genesis record,
// after the unit's one-time set-up, in the marked place.

#include "runtime/machine_table.h"

namespace varn {

// The Genesis side of every cartridge and disc machine of the earlier program: picture,
// region test, media boot, power-on, frame loop and halt text. No state writer (the earlier
// program saves no state file) and no sound step (it makes no sound).
MachineRecord legacy_genesis_side(u32 kind);

// Binds the earlier program's units and places its records in the machine table (which
// it empties first). Safe to call again.
void compose_varn_legacy();

}  // namespace varn
