// The Master System machine: paging, power-on, region, the VDP's line and frame
// interrupts, the pause button, the system ROM and the boot's machine side.

#include <algorithm>
#include <fstream>
#include <vector>

#include "base/config.h"
#include "genesis/bus/save_ram.h"
#include "genesis/io/controller_ports.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"
#include "memory/memory.h"
#include "runtime/region.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "sms/sms.h"
#include "sms/sms_bus.h"
#include "sms/sms_psg.h"
#include "sms/sms_vdp.h"

namespace varn {

std::array<u8, kSmsBiosSize> sms_bios{};
SmsPaging sms_paging{};

namespace {

// The pause button's state at the last frame end (true: pressed).
bool pause_was_pressed = false;

constexpr u32 kPage = 0x4000;

void raise_irq() {
    sms_z80_context.irq_lines |= kZ80LineIrq;
    sms_z80_context.irq_check = 1;
}

}  // namespace

void sms_mapper_update() {
    SmsPaging& p = sms_paging;
    // RAM control: bit 3 maps cartridge RAM at 0x8000, bit 2 chooses its bank. The save
    // file covers every bank used so far.
    p.ram_bank      = (p.regs[0] & 0x08) ? ((p.regs[0] >> 2) & 1) + 1 : 0;
    cart_sram_size  = std::max(cart_sram_size, p.ram_bank * kPage);
    p.ram_offset    = p.ram_bank != 0 ? (p.ram_bank - 1) * kPage : 0;
    p.slot0_offset  = (p.regs[1] & 0x1F) * kPage;
    p.slot1_offset  = (p.regs[2] & 0x1F) * kPage - 0x4000;
    p.slot2_offset  = (p.regs[3] & 0x1F) * kPage - 0x8000;
    const bool bios = cfg(cfg_sms_use_bios) != 0 && p.bios_off == 0;
    p.read_base[0]  = (bios || p.slot0_offset != 0) ? nullptr : cart_rom.data();
    p.read_base[1]  = cart_rom.data() + (p.slot1_offset + 0x4000);
    p.read_base[2] =
        p.ram_bank != 0 ? cart_sram + p.ram_offset : cart_rom.data() + (p.slot2_offset + 0x8000);
    sms_z80_refresh_code();
}

u32 sms_region_select() {
    // Export cartridges carry 4 in the high nibble of their last header byte.
    const bool overseas = (cart_rom[0x7FFF] >> 4) == 4;
    const u32* order    = region_order();
    for (int i = 0; i < 3; ++i) {
        if (order[i] == kRegionJapan || overseas) {
            region_set(order[i]);
            return order[i];
        }
    }
    region_set(kRegionJapan);  // not reached: Japan always passes
    return kRegionJapan;
}

void sms_power_on_machine() {
    screen_width  = kSmsScreenWidth;
    screen_height = kSmsLines;
    gui_post_to_frame(0, kRequestDisplaySizeChanged);

    frame_slots.clear_addon_halts = sms_z80_clear_stopped;
    sms_ports_init();  // the port tables are whole before the Z80 first runs
    const bool bios     = cfg(cfg_sms_use_bios) != 0;
    sms_paging.bios_off = bios ? 0 : 1;
    // Slot 2 shows ROM page 2 until the game maps its RAM: the RAM-control register says off.
    sms_paging.regs = {0, 0, 1, 2};
    cart_sram_size  = 0;
    sms_mapper_update();

    std::fill(m68k_ram.begin(), m68k_ram.begin() + kSmsWorkRamSize, u8{0});
    sms_port_state = SmsPortState{};
    // Pads read released until the first input update.
    input_power_on();
    pause_was_pressed = false;
    sms_psg_reset();
    sms_vdp_reset();
    sms_vram.fill(0);
    sms_cram.fill(0);
    sms_vdp_rebuild_palette();
    vdp_line_buffer.fill(0);

    sms_z80_context.status &= ~kZ80StatusHalted;
    sms_z80_context.irq_lines    = 0;
    sms_z80_context.irq_check    = 0;
    sms_z80_context.slice_budget = cfg_slice_length(cfg_sms_z80_speed);
    if (bios) {
        sms_z80_reset();
    } else {
        sms_z80_reset_no_bios();
    }
}

void sms_power_on() {
    sms_power_on_machine();
    emu_thread_target.store(sms_run_entry);
}

void sms_boot_power_on(u32 clock_ms) {
    video_reset_line_counters(clock_ms);
    sound_reset_positions();
    sms_power_on();
}

void sms_bios_store(std::span<const u8> image) {
    std::copy_n(image.begin(), std::min<std::size_t>(image.size(), kSmsBiosSize), sms_bios.begin());
}

bool sms_bios_load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<char> bytes(kSmsBiosSize);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return false;
    const auto n = static_cast<std::size_t>(in.gcount());
    sms_bios_store(std::span<const u8>(reinterpret_cast<const u8*>(bytes.data()), n));
    return true;
}

// --- VDP interrupts -------------------------------------------------------------------------

void sms_vdp_line_counter_reload() {
    sms_vdp.line_counter = sms_vdp.regs[10];
    sms_z80_context.irq_lines &= static_cast<u8>(~kZ80LineIrq);
}

void sms_vdp_line_counter_step() {
    SmsVdp& v = sms_vdp;
    if (v.line_counter != 0) {
        --v.line_counter;
        sms_z80_context.irq_check = 0;
        return;
    }
    v.line_counter = v.regs[10];
    v.status |= kSmsStatusLine;
    if ((v.regs[0] & 0x10) != 0) {
        raise_irq();
    } else {
        sms_z80_context.irq_check = 0;
    }
}

void sms_vdp_frame_interrupt() {
    SmsVdp& v = sms_vdp;
    v.status |= kSmsStatusFrame;
    if ((v.regs[1] & 0x20) != 0) {
        raise_irq();
    } else {
        sms_z80_context.irq_check = 0;
    }
    // Pause is the first pad's Start (TH-low step, bit 5, 0 = pressed): each press is one NMI.
    const bool pressed = (controller_ports[0].pad_seq[1] & 0x20) == 0;
    if (pressed && !pause_was_pressed) {
        sms_z80_context.irq_lines |= kZ80LineNmi;
        sms_z80_context.irq_check = 1;
    }
    pause_was_pressed = pressed;
}

void sms_reset_records() {
    sms_z80_init();
    sms_bios.fill(0);
    sms_paging        = SmsPaging{};
    sms_paging.regs   = {0, 0, 1, 2};
    sms_port_state    = SmsPortState{};
    pause_was_pressed = false;
    sms_psg_reset();
    sms_vdp_reset();
    sms_vram.fill(0);
    sms_cram.fill(0);
    sms_sprite_line.fill(0);
    sms_mapper_update();
}

}  // namespace varn
