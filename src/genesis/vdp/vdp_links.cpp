// Neighbour links of the VDP. Until the scheduler, region, CPU and front-end records are
// in place these read a quiet machine: line 0 of the drawing phase, NTSC, no slice run.

#include "genesis/vdp/vdp_links.h"

namespace varn::vdp_link {

u32 slice_counter() { return 0; }
u32 slice_phase() { return 0; }
u32 pal_flag() { return 0; }
s64 m68k_slice_elapsed() { return 0; }
s64 m68k_slice_length() { return 0; }
void m68k_raise(u32) {}
void m68k_withdraw(u32) {}
void m68k_set_recheck(bool) {}
void z80_irq_raise() {}
void post_display_size_changed() {}

}  // namespace varn::vdp_link
