#include "s32x/s32x.h"

#include <algorithm>

#include "base/config.h"
#include "base/endian.h"
#include "genesis/bus/bus.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/region.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "s32x/s32x_internal.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "sh2/sh2_onchip.h"

namespace varn {

using namespace s32x_detail;

S32xRegs s32x_regs;

namespace s32x_detail {

bool fitted             = false;
u32 header_start_frames = 0;

void start_header_booted_cores() {
    if (header_start_frames == 0) return;
    header_start_frames = 0;
    sh2_context.status &= ~kSh2StatusHeld;
    sh2s_context.status &= ~kSh2StatusHeld;
}

// The four enable words of a core follow its mask byte: PWM bit 0, CMD bit 1, H bit 2, V bit 3.
void set_mask(u32 core, u8 mask) {
    R().int_mask[core] = mask;
    for (u32 s = 0; s < 4; ++s) R().enable[core][s] = (mask >> s) & 1 ? 0xFFFF : 0;
}

}  // namespace s32x_detail

void s32x_set_fitted(bool on) { fitted = on; }
bool s32x_fitted() { return fitted; }
bool s32x_running() {
    return (emu_state_flags.load(std::memory_order_relaxed) & kState32xActive) != 0;
}

// ---- slots ----

namespace {

void palette_access_line() { R().palette_access_pending = 0xFFFFFFFF; }

void on_sh2_halt() {
    // A halted SH-2 stops the machine: the frame loop ends at the 68000's next slice.
    m68k_context.status |= kM68kStatusHalted;
    emu_thread_target.store(nullptr);
}

void clear_addon_halts() {
    sh2_context.status &= ~kSh2StatusHalted;
    sh2s_context.status &= ~kSh2StatusHalted;
}

void command_taken(u32 core) { R().int_control &= static_cast<u8>(~(1u << core)); }

void bind_slots() {
    frame_slots.s32x_slice           = sh2_run_slice;
    frame_slots.s32x_palette_access  = palette_access_line;
    frame_slots.s32x_palette_refresh = s32x_palette_refresh;
    frame_slots.s32x_hint_line       = s32x_hint_line;
    frame_slots.s32x_vint_frame      = s32x_vint_frame;
    frame_slots.s32x_pwm_sample      = s32x_pwm_sample;
    frame_slots.clear_addon_halts    = clear_addon_halts;
    m68k_s32x_active                 = s32x_running;
    cart_is_32x_image                = [] { return true; };
    m68k_banked_rom_offset           = [] { return u32{R().bank & 3u} << 20; };
    m68k_s32x_sdram_view             = s32x_sdram;
    fill_a15_tables();
}

void unbind_slots() {
    frame_slots.s32x_slice           = nullptr;
    frame_slots.s32x_palette_access  = nullptr;
    frame_slots.s32x_palette_refresh = nullptr;
    frame_slots.s32x_hint_line       = nullptr;
    frame_slots.s32x_vint_frame      = nullptr;
    frame_slots.s32x_pwm_sample      = nullptr;
    m68k_s32x_active                 = nullptr;
    cart_is_32x_image                = nullptr;
    m68k_s32x_sdram_view             = {};
    m68k_s32x_framebuffer_view       = {};
    s32x_composite_source            = {};
    m68k_a15_tables_reset();
}

}  // namespace

// ---- start-up, reset ----

void s32x_init_sh2_cores() {
    sh2_interp_reset();
    sh2s_interp_reset();
    sh2_build_memory_map();
    sh2s_build_memory_map();
    fill_sh2_register_tables();
    sh2_onchip_bind_resets();
    bind_dma_board();
    sh2_successor         = s32x_chain_tail;
    sh2_halt_slot         = on_sh2_halt;
    sh2_command_irq_taken = command_taken;
}

void s32x_reset() {
    std::fill(s32x_sdram.begin(), s32x_sdram.end(), u8{0});
    std::fill(s32x_palette.begin(), s32x_palette.end(), u8{0});
    std::fill(s32x_frame_buffers.begin(), s32x_frame_buffers.end(), u8{0});
    s32x_regs           = {};
    s32x_fb_display     = 0;
    header_start_frames = 0;
    s32x_vdp_regs_clear();
    s32x_pwm_regs_clear();
    sh2_reset_records();
    sh2_onchip_reset_all();
    sh2_power_on();
    // The SH-2s join the frame only once the 68000 releases them.
    emu_state_flags.fetch_and(~kState32xActive);
    if (fitted) {
        bind_slots();
        s32x_frame_buffers_changed();
    } else {
        unbind_slots();
    }
}

}  // namespace varn
