#pragma once
// The 32X unit's place in the program, bound once at start-up by every program that boots
// machines (the window program and the headless runner): both SH-2 cores, the SH-2 boot
// ROMs as the targets of their system ROM files, and the unit's steps of the media boot.

namespace varn {

void s32x_bind_unit();

}  // namespace varn
