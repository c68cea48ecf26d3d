// Neighbour links of the VDP: the 68000 and Z80 records directly, the scheduler, region and
// front-end notice through the links the runtime binds.

#include "genesis/vdp/vdp_links.h"

#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"

namespace varn {

VdpRuntimeSlots vdp_runtime_slots{};

namespace vdp_link {

s64 m68k_slice_elapsed() {
    return static_cast<s64>(m68k_context.cycle_counter) - m68k_context.slice_cycles;
}
s64 m68k_slice_length() { return -static_cast<s64>(m68k_context.slice_cycles); }

void m68k_raise(u32 level) { m68k_set_irq(m68k_context, level, true); }
void m68k_withdraw(u32 level) {
    m68k_context.irq_pending = static_cast<u8>(m68k_context.irq_pending & ~(1u << level));
}

void z80_irq_raise() { varn::z80_irq_raise(); }

void post_display_size_changed() {
    if (vdp_runtime_slots.display_size_changed) vdp_runtime_slots.display_size_changed();
}

}  // namespace vdp_link
}  // namespace varn
