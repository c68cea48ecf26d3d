// The earlier program's Sega CD machine.

#include "legacy/scd_record_v024.h"

#include <algorithm>

#include "genesis/bus/ram_cart.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/vdp/vdp.h"
#include "legacy/compose_legacy.h"
#include "legacy/genesis_v024.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/m68k_map_v024.h"
#include "legacy/segacd/cd_access_v024.h"
#include "legacy/segacd/scd_cd_v024.h"
#include "legacy/segacd/scd_registers_v024.h"
#include "media/machine_boot.h"
#include "media/system_roms.h"
#include "memory/memory.h"
#include "segacd/scd_graphics.h"
#include "segacd/segacd.h"

namespace varn {

namespace {

// The BIOS of a Sega CD region from the file its setting names (Japan, USA, Europe).
bool load_bios(u32 region) {
    static constexpr u32 (*kLoaders[3])() = {bios_load_scd_jp, bios_load_scd_us, bios_load_scd_eu};
    return region < 3 && kLoaders[region]() != 0;
}

// The sub-CPU runs once the main CPU released it; a run state above 1 counts slices down
// to the release.
void sub_cpu_slice() {
    if (scd_ga.run_state == 0) return;
    if (scd_ga.run_state > 1) {
        --scd_ga.run_state;
        return;
    }
    s68k_run_slice_v024();
}

void sub_cpu_start() {
    s68k_context_v024.fetch_base = kScdPrgRamOffset;
    s68k_reset_v024();
}

void sub_cpu_irq(u32 level) { m68k_set_irq_v024(s68k_context_v024, level); }

// The disc side: the older drive reads the table at power-on and steps once per sub-CPU
// slice, at the end of the unit's tick.
void disc_reset() {
    cdd_cdc_reset_regs_v024();
    cdd_reset_v024();
}

// The boot's disc steps: the notices may be posted again, the table is read, and sector 0
// is read directly (the earlier program has no sector cache).
void disc_boot() {
    cd_access_boot_v024();
    aspi_read_toc_v024();
}

u32 read_sector0(std::span<u8, 2048> user_data) {
    return aspi_read_sector_v024(0, user_data) ? 1 : 0;
}

// The Genesis side's power-on, then the Sega CD map under the main CPU, which starts again in
// the BIOS (the cartridge map's reset found no vectors and halted it).
void power_on() {
    genesis_power_on_machine_v024();
    clear_cpu_halts_v024();
    scd_ram_cart_setup();
    m68k_map_segacd_reset_v024();
    m68k_restore_fetch_pages_v024();
    vdp_dma_map_segacd();
    m68k_context_v024.fetch_base = kScdBiosOffset;
    m68k_reset_v024();
}

void unit_reset() {
    scd_power_on_reset();
    // The unit bound the main core's chain; the sub-CPU runs on the older core here, and the
    // earlier program makes no sound.
    s68k_successor_v024           = scd_tick;
    s68k_irq_ack_slot_v024        = scd_sub_irq_ack;
    frame_slots.segacd_slice      = sub_cpu_slice;
    frame_slots.segacd_pcm_sample = nullptr;
}

}  // namespace

void scd_init_v024() {
    scd_sub_cpu_init();
    scd_install_registers_v024();
    scd_sub_cpu_slots = {sub_cpu_irq, sub_cpu_start};
    scd_bios_loader   = load_bios;
    // The older drive and CD access in place of the main program's disc road; the drive's
    // command and controller registers are only stored.
    scd_disc_slots                = ScdDiscSlots{};
    scd_disc_slots.reset          = disc_reset;
    scd_disc_slots.drive_tick     = cdd_tick_v024;
    scd_disc_slots.graphics_start = scd_graphics_start;
}

MachineRecord legacy_segacd_record() {
    MachineRecord m     = legacy_genesis_side(kMachineSegaCd);
    m.media_boot        = media_boot_disc;
    m.power_on          = power_on;
    m.unit_reset        = unit_reset;
    m.format_backup_ram = scd_format_backup_ram;
    m.format_ram_cart   = scd_format_ram_cart;
    m.backup_ram        = scd_backup_ram;
    m.disc_boot         = disc_boot;
    m.read_sector0      = read_sector0;
    return m;
}

}  // namespace varn
