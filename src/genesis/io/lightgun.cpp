#include "genesis/io/lightgun.h"

#include "genesis/bus/pad_timeout.h"
#include "genesis/vdp/vdp.h"
#include "m68k/m68k.h"

namespace varn {

LightgunLatch lightgun_latch{};

void lightgun_arm(u32 x, u32 y) {
    lightgun_latch.target_x = x;
    lightgun_latch.target_y = y;
    lightgun_latch.armed    = 1;
}

void lightgun_reset() {
    lightgun_latch = {};
    pad_timeout_reset();
}

namespace {

constexpr u32 kGunIrqLevel     = 2;
constexpr u32 kPixelsPerSlice  = 40;  // eight drawing slices cover the 320-pixel line
constexpr u32 kHblankPhase     = 1;
constexpr u8 kReg11ExternalIrq = 0x08;

}  // namespace

void lightgun_tick_busy(u32 slice_counter, u32 slice_phase) {
    pad_timeout_tick();

    LightgunLatch& g = lightgun_latch;
    if (!g.armed || slice_phase == kHblankPhase) return;
    if (g.target_y != ((slice_counter >> 4) & 0xFF)) return;
    // The beam has passed x once the slices run so far in this line cover it.
    if (g.target_x >= ((slice_counter & 7) + 1) * kPixelsPerSlice) return;

    g.armed = 0;
    if (vdp_registers[11] & kReg11ExternalIrq) {
        m68k_context.irq_pending = static_cast<u8>(m68k_context.irq_pending | 1u << kGunIrqLevel);
        m68k_context.irq_check   = 1;
    } else {
        m68k_context.irq_check = 0;
    }
    g.hv_latch = (g.target_y & 0xFF) << 8 | (g.target_x & 0x1FF) >> 1;
}

}  // namespace varn
