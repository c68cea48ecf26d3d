// The unit's life: set-up, power-on, the sub-CPU's release from reset, the disc region, the
// backup-RAM formatters, and the per-slice tick with its timers.

#include <algorithm>
#include <cstring>

#include "base/config.h"
#include "genesis/bus/save_ram.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/region.h"
#include "runtime/sound_options.h"
#include "segacd/scd_drive.h"
#include "segacd/scd_graphics.h"
#include "segacd/scd_internal.h"
#include "segacd/segacd.h"

namespace varn {

ScdGateArray scd_ga;
std::array<u8, kScdBackupRamSize> scd_backup_ram{};
std::array<u8, kScdWaveRamSize> scd_wave_ram{};
std::array<u8, kScdCdcBufferSize> scd_cdc_buffer{};
std::array<u8, kScdFillPageSize> scd_fill_page{};
std::array<u8, 34> scd_bios_identity{};
ScdDiscSlots scd_disc_slots{};
bool (*scd_bios_loader)(u32 region) = nullptr;
ScdSubCpuSlots scd_sub_cpu_slots{};

namespace {

// The footer of an empty backup-RAM file system: the last 64 bytes of the medium.
constexpr u8 kFooter[64] = {'_', '_', '_',  '_', '_',  '_', '_',  '_', '_',  '_', '_',  0,   0,
                            0,   0,   0x40, 0,   0x7D, 0,   0x7D, 0,   0x7D, 0,   0x7D, 0,   0,
                            0,   0,   0,    0,   0,    0,   'S',  'E', 'G',  'A', '_',  'C', 'D',
                            '_', 'R', 'O',  'M', 0,    1,   0,    0,   0,    'R', 'A',  'M', '_',
                            'C', 'A', 'R',  'T', 'R',  'I', 'D',  'G', 'E',  '_', '_',  '_'};

// Tick constants: 165,120 ticks a second (2752 a frame at 60 frames).
constexpr u32 kPcmPhaseStep  = 814'150'009;  // 2^32 * 31,300 / 165,120
constexpr u32 kStopwatchStep = 413'436;      // the 12-bit view advances 65,104 times a second
constexpr u32 kTimerStep     = 3'307'492;    // one timer count = 2^24 / this = 5.0725 ticks

// The main CPU's gate-array page and memory windows; read when the Sega CD map is laid.
void bind_main_slots() {
    m68k_scd_gate_array_set     = scd_main_gate_array_set;
    m68k_scd_prg_ram_window_set = scd_main_prg_ram_set;
    m68k_scd_word_ram_set       = scd_main_word_ram_set;
}

}  // namespace

void scd_raise_irq(u32 level) {
    if ((scd_ga.regs[0x33] >> level & 1) == 0) return;
    if (scd_sub_cpu_slots.raise_irq != nullptr) {
        scd_sub_cpu_slots.raise_irq(level);
    } else {
        m68k_set_irq(s68k_context, level, true);
    }
}

void scd_sub_irq_ack(u32 level) {
    if (level != 2) return;
    scd_ga.regs[0] &= 0xFE;
    scd_ga.irq2_request &= 0xFE;
}

void scd_sub_cpu_init() {
    scd_sub_cpu_slots = {};
    s68k_build_jump_table();
    s68k_build_memory_map();
    pcm_build_volume_table();
    bind_main_slots();
    scd_disc_init();
    scd_disc_slots.graphics_start = scd_graphics_start;
}

void scd_power_on_reset() {
    if (scd_bios_loader != nullptr && region.scd_region <= kRegionEurope)
        scd_bios_loader(region.scd_region);
    std::copy_n(scd_bios.begin() + 0x130, 32, scd_bios_identity.begin());
    scd_bios_identity[32] = scd_bios[0x18E];
    scd_bios_identity[33] = scd_bios[0x18F];

    std::fill(scd_prg_ram.begin(), scd_prg_ram.end(), u8{0});
    std::fill(scd_word_ram.begin(), scd_word_ram.end(), u8{0});
    scd_cdc_buffer.fill(0);
    scd_wave_ram.fill(0);
    for (u32 i = 0; i < kScdFillPageSize; ++i) scd_fill_page[i] = static_cast<u8>(4 - (i & 3));

    scd_ga            = ScdGateArray{};
    scd_ga.regs[0x41] = 0x0F;  // checksum of ten zero status nibbles
    scd_main_regs.fill(0);
    scd_apply_main_maps();

    if (scd_disc_slots.reset != nullptr) scd_disc_slots.reset();
    // The tick's own state is part of scd_ga and is cleared above.
    pcm_reset();

    // The sub-CPU's place in the scheduler's chain.
    s68k_successor                = scd_tick;
    s68k_irq_ack_slot             = scd_sub_irq_ack;
    s68k_context.slice_cycles     = cfg_slice_length(cfg_scd_m68k_speed);
    frame_slots.segacd_slice      = scd_slice;
    frame_slots.segacd_pcm_sample = scd_pcm_sample;
}

void scd_power_on() {
    bind_main_slots();
    segacd_power_on_machine();
    scd_power_on_reset();
}

void scd_sub_cpu_start() {
    scd_ga.run_state = 1;
    if (scd_sub_cpu_slots.start != nullptr) {
        scd_sub_cpu_slots.start();
        return;
    }
    s68k_context.fetch_base = kScdPrgRamOffset;
    s68k_reset();
}

u32 scd_detect_disc_region(std::span<const u8> user_data) {
    const u8 mark    = user_data.size() > 0x20B ? user_data[0x20B] : 0;
    const u32* order = region_order();
    u32 chosen       = order[0];
    for (u32 i = 0; i < 3; ++i) {
        const u32 r       = order[i];
        const u8 expected = r == kRegionUsa ? 0x7A : r == kRegionEurope ? 0x64 : 0xA1;
        if (mark == expected) {
            chosen = r;
            break;
        }
    }
    region_set(chosen);
    return chosen;
}

void scd_format_backup_ram() {
    scd_backup_ram.fill(0);
    std::memcpy(scd_backup_ram.data() + kScdBackupRamSize - 64, kFooter, 64);
}

void scd_format_ram_cart() {
    // A size code beyond 3 would overrun the 64 KB cartridge: clamped.
    const u32 n    = std::min<u32>(cfg(cfg_scd_ram_cart_size), 3);
    const u32 size = 0x2000u << n;
    if (cart_sram_size < size) return;  // no cartridge of that size is attached
    std::fill_n(cart_sram, size, u8{0});
    u8* footer = cart_sram + size - 64;
    std::memcpy(footer, kFooter, 64);
    const u32 code = ((1u << n) - 1) << 7;
    for (u32 w = 0x10; w < 0x18; w += 2) {
        footer[w] |= static_cast<u8>(code >> 8);
        footer[w + 1] |= static_cast<u8>(code);
    }
}

void scd_slice() {
    if (scd_ga.run_state == 0) return;
    if (scd_ga.run_state > 1) {
        --scd_ga.run_state;
        return;
    }
    s68k_run_slice();
}

void scd_tick() {
    ScdGateArray& g = scd_ga;
    if (g.wram_1m != 0) g.regs[3] &= 0xFD;

    const u32 phase = g.pcm_phase + kPcmPhaseStep;
    if (phase < g.pcm_phase) pcm_step_channels();
    g.pcm_phase = phase;

    if (g.transfer_countdown == 1) {
        g.transfer_countdown = 0;
        if (scd_disc_slots.transfer_step != nullptr) scd_disc_slots.transfer_step();
    } else if (g.transfer_countdown > 1) {
        --g.transfer_countdown;
    }

    if (g.gfx_countdown == -1) {
        g.gfx_countdown = 0;
        g.gfx_busy      = 0;
        scd_raise_irq(1);
    } else if (g.gfx_countdown < 0) {
        ++g.gfx_countdown;
    }

    g.stopwatch += kStopwatchStep;

    if (g.timer_countdown != 0) {
        const u32 before  = g.timer_countdown;
        g.timer_countdown = before - kTimerStep;
        if (before < kTimerStep) {
            g.timer_countdown += u32{g.timer_value} << 24;
            scd_raise_irq(3);
        }
    }

    if (scd_disc_slots.drive_tick != nullptr) scd_disc_slots.drive_tick();
}

void scd_pcm_sample(s16* slot) {
    if (scd_ga.run_state == 0 || cfg(sound_enable_all) == 0) return;
    pcm_mix(slot);
}

}  // namespace varn
