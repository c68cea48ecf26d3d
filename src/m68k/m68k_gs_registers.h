#pragma once
// The 68000 registers of a Genecyst state image, loaded into a core's context record. Both
// 68000 cores (the main one and the earlier release's) read the block the same way; they
// differ in how a loaded PC finds its code page and how the stack-slot index is written, which
// the caller supplies.
//
//   0x80  D0-D7   8 x u32 little-endian      0xD0  SR    u16
//   0xA0  A0-A7   8 x u32                    0xD2  USP   u32
//   0xC8  PC      u32 (24 bits kept)         0xD6  SSP   u32

#include <span>

#include "base/endian.h"
#include "m68k/m68k.h"

namespace varn {

// Loads the block into `c` (a record with regs, sp_slots, sr, sp_slot_index, stopped and
// irq_taken): STOP's flags cleared, D0-A7 as stored (A7 as stored, not from the slots), the
// PC handed to place_pc(pc) (masked to 24 bits there), the user and supervisor slots, SR, and
// the slot index `user_index` or `supervisor_index` by SR's S bit. Pending interrupts and the
// counters are left alone. False, nothing touched, when the image is too short.
template <class Context, class PlacePc>
bool m68k_load_gs_registers_into(Context& c, std::span<const u8> image, u32 user_index,
                                 u32 supervisor_index, PlacePc&& place_pc) {
    if (image.size() < kM68kGsRegistersEnd) return false;
    c.stopped   = 0;
    c.irq_taken = 0;
    for (u32 i = 0; i < 16; ++i) c.regs[i] = load_le32(&image[0x80 + i * 4]);
    place_pc(load_le32(&image[0xC8]) & 0xFFFFFF);
    c.sp_slots[kM68kUserSlot]       = load_le32(&image[0xD2]);
    c.sp_slots[kM68kSupervisorSlot] = load_le32(&image[0xD6]);
    const u16 sr                    = load_le16(&image[0xD0]);
    c.sr                            = sr;
    c.sp_slot_index                 = (sr & kM68kSrS) ? supervisor_index : user_index;
    return true;
}

}  // namespace varn
