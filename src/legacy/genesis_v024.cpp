// The earlier machine's Genesis: power-on, frame loop, frame copy and reboot.

#include "legacy/genesis_v024.h"

#include <algorithm>

#include "base/config.h"
#include "genesis/bus/io_ports.h"
#include "genesis/bus/save_ram.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/input_update.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_links.h"
#include "genesis/vdp/vdp_render.h"
#include "genesis/z80/genesis_z80.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/m68k_map_v024.h"
#include "legacy/vdp_v024.h"
#include "legacy/ym2612_v024.h"
#include "legacy/z80_v024.h"
#include "media/image_loader.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"
#include "runtime/thread_link.h"

namespace varn {

u32 system_code_v024 = kMachineGenesis;
ScanlineMasksV024 scanline_masks_v024{};
std::array<FrameCopyFnV024, 16> render_mode_table_v024{};

namespace {

template <typename F, typename... Args>
void call(F* f, Args... args) {
    if (f != nullptr) f(args...);
}

constexpr u32 kHaltBits = 0x300;

void withdraw_run_entry() { emu_thread_target.store(nullptr); }

bool z80_bus_held() { return z80_busreq_v024 != 0; }
bool z80_runs() { return cfg(cfg_disable_z80) == 0 && z80_busreq_v024 == 0; }

// No sound: the sample clock's carries make nothing.
void no_sample() {}

void render_line(u32 line) {
    if (line >= kVisibleLines) return;
    vdp_render_line_number = line;
    // Interlace mode draws double-resolution tile rows of one field into line n.
    if (vdp_control_state.interlace) {
        vdp_render_genesis_line_interlace();
    } else {
        vdp_render_genesis_line();
    }
}

void frame_end() {
    frame_pos.slice_counter = 0;
    frame_pos.slice_phase   = kPhaseVblank;
    vdp_vint_raise_v024();
    call(frame_slots.s32x_vint_frame);
    const bool skipped = frame_pace();
    Host& host         = emu_host();
    if (!skipped) {
        frame_copy_v024(render_surface);
        const FrameSurface s = host.present_frame();
        surface_set_origin(s.pixels, s.pitch, s.width, s.height, s.x, s.y);
    }
    input_frame_update(host);
    ym2612_v024.slice_count = 0;
    ++run_stats.frames;
}

bool phase_end(u32 phase, u32 n) {
    const bool drawn = frame_drawn();  // the frame under way, before the frame end counts it
    if (frame_phase_change(phase, n)) {
        frame_end();
        return true;
    }
    if (frame_pos.slice_phase == kPhaseDraw) {
        m68k_irq_lapse_v024();  // a line's drawing starts (the first after the blank too)
    } else if (frame_pos.slice_phase == kPhaseHblank) {
        vdp_hint_counter_step();
        call(frame_slots.s32x_hint_line);
        if (drawn) render_line(current_line());
    }
    return false;
}

// The Genesis copies of a row: 320 indices through colour_lut, once or doubled.
void copy_rows(const FrameSurface& s, bool doubled) {
    if (s.pixels == nullptr || s.x >= s.width) return;
    const u32 out_width       = doubled ? 2 * kLineWidth : kLineWidth;
    const u32 count           = std::min(out_width, s.width - s.x);
    const ScanlineMasksV024 m = scanline_masks_v024;
    for (u32 row = 0; row < kVisibleLines; ++row) {
        const u8* src = vdp_line_buffer.data() + row * kLineBufferPitch;
        const u64 y   = static_cast<u64>(s.y) + (doubled ? 2 * row : row);
        if (y >= s.height) break;
        u16* dst = s.pixels + y * s.pitch + s.x;
        for (u32 p = 0; p < count; ++p) dst[p] = colour_lut[src[doubled ? p / 2 : p]];
        if (!doubled || y + 1 >= s.height) continue;
        u16* second = dst + s.pitch;
        for (u32 p = 0; p < count; ++p) {
            const u32 lane = 16 * (p & 3);
            const u16 half = static_cast<u16>(m.half >> lane);
            const u16 keep = static_cast<u16>(m.keep >> lane);
            second[p]      = static_cast<u16>(((dst[p] >> 1) & half) + (dst[p] & keep));
        }
    }
}

constexpr std::array<FrameCopyFnV024, 16> kGenesisCopies = [] {
    std::array<FrameCopyFnV024, 16> t{};
    for (u32 i = 0; i < 16; ++i) {
        t[i] = (i & 1) != 0 || i == 2 || i == 3 ? frame_copy_double_v024 : frame_copy_normal_v024;
    }
    return t;
}();

}  // namespace

// ---- Power-on ------------------------------------------------------------------------

void genesis_power_on_machine_v024() {
    if (machine_kind == kMachineGenesis || machine_kind == kMachine32x ||
        machine_kind == kMachineSegaCd) {
        system_code_v024 = machine_kind;
    }
    screen_width  = 320;
    screen_height = 224;
    gui_post_to_frame(0, kRequestDisplaySizeChanged);
    // A cartridge machine runs without the Sega CD's slice.
    frame_slots.segacd_slice      = nullptr;
    frame_slots.segacd_pcm_sample = nullptr;

    m68k_map_power_on_v024();
    m68k_context_v024.fetch_base = cart_visible_v024 != 0 ? kCartRomOffset : kBootRomOffset;
    m68k_map_reset_v024();
    m68k_init_fetch_pages_v024(cart_visible_v024);
    vdp_dma_map_cartridge();
    cart_bank_source_capture_v024(
        static_cast<u32>(std::min<u64>(image_loader.image_size, kCartRomSize)));
    machine_power_on_tail_v024();
}

void genesis_power_on_v024() {
    genesis_power_on_machine_v024();
    emu_thread_target.store(genesis_run_entry_v024);
}

void machine_power_on_tail_v024() {
    // The slots of the shared units (VDP position and region, version bits), then this
    // machine's: the VDP interrupts the older 68000, whose halts and the Z80's withdraw
    // the run entry.
    emu_bind_slots();
    vdp_cpu_links                 = {&m68k_context_v024.irq_pending, &m68k_context_v024.irq_check,
                                     &m68k_context_v024.cycle_counter, &m68k_context_v024.slice_cycles};
    m68k_successor_v024           = nullptr;  // the frame loop runs the chain itself
    m68k_z80_successor_v024       = nullptr;
    m68k_z80_bus_held_v024        = z80_bus_held;
    m68k_halt_slot_v024           = withdraw_run_entry;
    z80_halt_slot_v024            = withdraw_run_entry;
    frame_slots.clear_addon_halts = clear_cpu_halts_v024;
    scanline_masks_v024           = scanline_masks_for_v024(cfg(cfg_scanlines));

    std::fill(m68k_ram.begin(), m68k_ram.end(), u8{0});
    vdp_clear_memories();
    z80_ram.fill(0);
    emu_state_flags.fetch_and(~kState32xActive);

    m68k_reset_v024();
    z80_reset_v024();
    vdp_clear_state_v024();
    ym2612_timers_reset_v024();

    z80_busreq_v024 = 1;  // the 68000 holds the Z80 bus
    io_ports_power_on();
    io_port_regs.data    = {0xFF, 0xFF, 0xFF};
    io_port_regs.control = {0x40, 0x40, 0x00};
    input_power_on();
    cart_banks_v024 = {0, 1, 2, 3, 4, 5, 6, 7};
    save_ram_detect_v024();
    cart_sram_size = save_ram_v024.size;  // what the save RAM file holds
}

// ---- Frame loop ----------------------------------------------------------------------

void m68k_irq_lapse_v024() {
    m68k_context_v024.irq_pending = static_cast<u8>(m68k_context_v024.irq_pending & ~0x50u);
}

void vdp_vint_raise_v024() {
    if (vdp_registers[1] & 0x20) m68k_set_irq_v024(m68k_context_v024, 6);
    vdp_control_state.hint_counter = 0;
}

void run_flags_clear_v024() { render_mode_replace(~4u, 0); }

FrameResult run_frame_v024() {
    const u32 sample_step = sample_step_for_option(cfg(cfg_sound_rate));
    u32 phase_left        = slices_to_phase_end(frame_pos.slice_phase, frame_pos.slice_counter);
    u64 slices            = 0;
    FrameResult result    = FrameResult::kFrameEnd;
    void (*const probe)() = slice_end_slot;
    for (;;) {
        ++slices;
        m68k_run_slice_v024();
        if ((m68k_context_v024.status & kHaltBits) != 0) {
            result = FrameResult::kHalted;
            break;
        }
        if (z80_runs()) {
            z80_run_v024();
            if ((z80_context_v024.status & kHaltBits) != 0) {
                result = FrameResult::kHalted;
                break;
            }
        }
        ym2612_timers_line_v024();
        call(frame_slots.segacd_slice);
        if ((emu_state_flags.load(std::memory_order_relaxed) & kState32xActive) != 0) {
            call(frame_slots.s32x_slice);
        }
        call(probe);
        if (slice_clock_tail<no_sample, phase_end>(sample_step, phase_left) ==
            SliceEnd::kFrameEnded) {
            break;
        }
    }
    run_stats.slices += slices;
    return result;
}

void genesis_run_entry_v024() {
    pace_rebase(sys_time_ms());
    for (;;) {
        if (run_frame_v024() == FrameResult::kHalted) {
            emu_thread_target.store(nullptr);
            return;
        }
        if (!emu_check_pause_stop()) return;
    }
}

// ---- Frame copy ----------------------------------------------------------------------

ScanlineMasksV024 scanline_masks_for_v024(u32 setting) {
    if (setting == 0) return {0, ~u64{0}};
    if (setting == 1) return {0x7BCF7BCF7BCF7BCFull, 0};
    return {0, 0};
}

void frame_copy_normal_v024(const FrameSurface& surface) { copy_rows(surface, false); }
void frame_copy_double_v024(const FrameSurface& surface) { copy_rows(surface, true); }

void frame_copy_v024(const FrameSurface& surface) {
    const FrameCopyFnV024 copy = render_mode_table_v024[(render_mode_load() >> 2) & 15];
    (copy != nullptr ? copy : kGenesisCopies[(render_mode_load() >> 2) & 15])(surface);
}

// ---- Reboot --------------------------------------------------------------------------

void emu_power_on_by_system_v024() {
    const u32 code = system_code_v024;
    if (code != kMachineGenesis && code != kMachine32x && code != kMachineSegaCd) return;
    const MachineRecord* record = machine_record(code);
    if (record == nullptr || record->power_on == nullptr) return;
    record->power_on();
    call(record->unit_reset);
    emu_thread_target.store(record->run_entry);
}

void emu_reboot_sequence_v024() {
    // The thread is stopped, not only paused, while memory is rewritten: the machine it ran
    // is gone, and it starts the new one from its idle loop once the pause is released.
    emu_pause_request(kPauseUser);
    emu_stop_and_wait();
    run_flags_clear_v024();
    emu_power_on_by_system_v024();
    emu_resume_request(kPauseUser);
}

void clear_cpu_halts_v024() {
    m68k_context_v024.status &= ~kHaltBits;
    s68k_context_v024.status &= ~kHaltBits;
    z80_context_v024.status &= ~kHaltBits;
}

void genesis_reset_records_v024() {
    system_code_v024       = kMachineGenesis;
    scanline_masks_v024    = ScanlineMasksV024{};
    render_mode_table_v024 = {};
}

}  // namespace varn
