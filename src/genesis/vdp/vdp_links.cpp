// Neighbour links of the VDP: the 68000 and Z80 records directly, the scheduler, region and
// front-end notice through the links the runtime binds.

#include "genesis/vdp/vdp_links.h"

#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"

namespace varn {

VdpRuntimeSlots vdp_runtime_slots{};

VdpCpuLinks vdp_cpu_links{&m68k_context.irq_pending, &m68k_context.irq_check,
                          &m68k_context.cycle_counter, &m68k_context.slice_cycles};

void vdp_cpu_links_main() {
    vdp_cpu_links = {&m68k_context.irq_pending, &m68k_context.irq_check,
                     &m68k_context.cycle_counter, &m68k_context.slice_cycles};
}

namespace vdp_link {

s64 m68k_slice_elapsed() {
    return static_cast<s64>(*vdp_cpu_links.cycle_counter) - *vdp_cpu_links.slice_cycles;
}
s64 m68k_slice_length() { return -static_cast<s64>(*vdp_cpu_links.slice_cycles); }

void m68k_raise(u32 level) {
    *vdp_cpu_links.irq_pending = static_cast<u8>(*vdp_cpu_links.irq_pending | (1u << (level & 7)));
    *vdp_cpu_links.irq_check   = 1;
}
void m68k_withdraw(u32 level) {
    *vdp_cpu_links.irq_pending = static_cast<u8>(*vdp_cpu_links.irq_pending & ~(1u << level));
}

void z80_irq_raise() { varn::z80_irq_raise(); }

void post_display_size_changed() {
    if (vdp_runtime_slots.display_size_changed) vdp_runtime_slots.display_size_changed();
}

}  // namespace vdp_link
}  // namespace varn
