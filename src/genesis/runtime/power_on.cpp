#include "genesis/runtime/power_on.h"

#include <algorithm>
#include <cfenv>

#include "base/config.h"
#include "genesis/bus/bus.h"
#include "genesis/bus/eeprom.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/input_update.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/sound/ym2612_tables.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/region.h"
#include "runtime/thread_link.h"

namespace varn {

namespace {

void set_screen_320x224() {
    screen_width  = kGenesisPicture.width;
    screen_height = kGenesisPicture.height;
    gui_post_to_frame(0, kRequestDisplaySizeChanged);
}

// Steps shared by both power-ons, after the maps: memories, CPUs, chips, latches, ports.
void power_on_common() {
    emu_bind_slots();
    std::fill(m68k_ram.begin(), m68k_ram.end(), u8{0});
    vdp_clear_memories();
    z80_ram.fill(0);

    emu_state_flags.fetch_and(~kState32xActive);

    m68k_context.slice_cycles = cfg_slice_length(cfg_gen_m68k_speed);
    z80_set_slice_budget(cfg_slice_length(cfg_gen_z80_speed));
    m68k_reset();
    z80_reset();
    vdp_clear_state();
    psg_reset();
    ym2612_reset();
    eeprom_reset();

    // The 68000 starts with the Z80's bus released and the Z80 held in reset.
    z80_busreq_latch = 0;
    z80_reset_latch  = 0;

    io_ports_power_on();
    input_power_on();
    cart_bank_regs_power_on();
}

u8 version_bits() {
    return static_cast<u8>((region.overseas_flag != 0 ? 0x80 : 0) |
                           (region.pal_flag != 0 ? 0x40 : 0));
}

}  // namespace

void emu_bind_slots() {
    scheduler_bind_slots();
    m68k_irq_ack_slot                      = vdp_irq_acknowledge;
    io_version_bits                        = version_bits;
    input_runtime_slots.fast_forward_on    = emu_fast_forward_on;
    input_runtime_slots.fast_forward_off   = emu_fast_forward_off;
    vdp_runtime_slots.pal_flag             = &region.pal_flag;
    vdp_runtime_slots.display_size_changed = [] {
        gui_post_to_frame(0, kRequestDisplaySizeChanged);
    };
}

void emu_components_init() {
    m68k_build_jump_table();
    m68k_build_memory_map();
    ym2612_tables_init_sine();
    ym2612_tables_init_level();
    ym2612_tables_init_env_a();
    ym2612_tables_init_env_c();
    emu_bind_slots();
    // The table builders leave the floating-point environment as they found it only by
    // convention; start the program from the default one.
    std::fesetenv(FE_DFL_ENV);
}

void genesis_power_on() {
    genesis_power_on_machine();
    emu_thread_target.store(genesis_run_entry);
}

void segacd_power_on() {
    segacd_power_on_machine();
    emu_thread_target.store(genesis_run_entry);
}

void genesis_power_on_machine() {
    set_screen_320x224();
    // A cartridge machine runs without the Sega CD's slice and sound.
    frame_slots.segacd_slice      = nullptr;
    frame_slots.segacd_pcm_sample = nullptr;

    boot_rom_latch_power_on();
    const bool boot_rom_first = cfg(cfg_gen_use_bios) != 0 && (boot_rom_latch & 1) == 0;
    m68k_context.fetch_base   = boot_rom_first ? kBootRomOffset : kCartRomOffset;

    m68k_reset_memory_map();
    m68k_init_fetch_pages(boot_rom_latch);
    vdp_dma_map_cartridge(cart_rom, m68k_ram);
    // Save memory as the cartridge header describes it (validated by the bus).
    cart_save_setup();

    power_on_common();
}

void segacd_power_on_machine() {
    set_screen_320x224();

    scd_ram_cart_setup();
    m68k_build_segacd_memory_map();
    m68k_restore_fetch_pages();
    vdp_dma_map_segacd(scd_bios, scd_prg_ram, std::span<const u8>(memory_arena, kArenaSize),
                       kScdWordRamOffset, m68k_ram);
    m68k_context.fetch_base = kScdBiosOffset;

    power_on_common();
}

u32 region_autodetect() {
    const u8 bytes[3] = {cart_rom[0x1F0], cart_rom[0x1F1], cart_rom[0x1F2]};
    region_detect(bytes);
    return 0;
}

}  // namespace varn
