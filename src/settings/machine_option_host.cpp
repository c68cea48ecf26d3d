#include <atomic>

#include "genesis/io/controller_ports.h"
#include "genesis/vdp/vdp.h"
#include "runtime/pacing.h"
#include "runtime/region.h"
#include "runtime/thread_link.h"
#include "settings/option_host.h"

namespace varn {

// The emulation thread reads these words between frames; the user-interface thread writes
// each one whole, and the render-mode bit with an atomic or/and that leaves the other bits
// to the emulation thread.

void MachineOptionHost::set_console_lines(u32 pal, u32 overseas) {
    std::atomic_ref<u32>(region.pal_flag).store(pal, std::memory_order_relaxed);
    std::atomic_ref<u32>(region.overseas_flag).store(overseas, std::memory_order_relaxed);
}

void MachineOptionHost::set_scd_region(u32 which) {
    std::atomic_ref<u32>(region.scd_region).store(which, std::memory_order_relaxed);
}

void MachineOptionHost::pause_request(u32 reasons) { emu_pause_request(reasons); }
void MachineOptionHost::resume_request(u32 reasons) { emu_resume_request(reasons); }

void MachineOptionHost::input_apply_config() { varn::input_apply_config(); }

void MachineOptionHost::set_frame_skip_level(u32 level) {
    std::atomic_ref<u8>(pace.frame_skip_level)
        .store(static_cast<u8>(level), std::memory_order_relaxed);
}

void MachineOptionHost::set_scanline_render(bool on) { render_mode_replace(4u, on ? 4u : 0u); }

}  // namespace varn
