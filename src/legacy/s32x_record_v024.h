#pragma once
// The earlier program's 32X machine: the Genesis side with the 32X unit, whose SH-2s run on
// the earlier release's interpreter and bus (src/legacy/sh2/) and whose frames are composed
// by the older routines (src/legacy/s32x/).

#include "runtime/machine_table.h"

namespace varn {

// One-time set-up of the 32X unit for the earlier machine (both SH-2 interpreters, their
// buses and registers, the 68000's 32X regions, the system ROM targets).
void s32x_init_v024();

// The 32X record of the earlier machine.
MachineRecord legacy_s32x_record();

}  // namespace varn
