#pragma once
// The earlier program's Sega CD machine: the Genesis side with the Sega CD unit, whose
// sub-CPU runs on the older 68000 core (s68k_*_v024) over the unit's bus with the older
// register entries swapped in, and whose disc is read by the older drive and CD access on the
// emulation thread (src/legacy/segacd/).

#include "runtime/machine_table.h"

namespace varn {

// One-time set-up of the Sega CD unit for the earlier machine (the sub-CPU's bus and the
// older register tables, the main CPU's gate-array slots, the BIOS files).
void scd_init_v024();

// The Sega CD record of the earlier machine.
MachineRecord legacy_segacd_record();

}  // namespace varn
