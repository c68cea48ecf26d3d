#include "compose/compose.h"

#include <algorithm>
#include <array>

#include "compose/scd_disc.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/sound/ym2612_tables.h"
#include "genesis/state/save_state.h"
#include "genesis/z80/genesis_z80.h"
#include "media/image_loader.h"
#include "media/machine_boot.h"
#include "media/system_roms.h"
#include "runtime/machine_table.h"
#include "s32x/s32x.h"
#include "segacd/scd_state.h"
#include "segacd/segacd.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "sms/sms.h"
#include "sms/sms_vdp.h"

namespace varn {

namespace {

// ---- What the machines share ----------------------------------------------------------

bool sh2_halted() { return ((sh2_context.status | sh2s_context.status) & kSh2StatusHalted) != 0; }

const char* genesis_halt_text() {
    return z80_is_stopped() ? "the Z80 stopped on an emulation error"
           : sh2_halted()   ? "the SH-2 halted"
                            : "the 68000 halted";
}

const char* sms_halt_text() {
    return sms_z80_is_stopped() ? "the Z80 stopped on an emulation error"
           : sh2_halted()       ? "the SH-2 halted"
                                : "the 68000 halted";
}

void genesis_detect_region() { region_autodetect(); }

// The state reader of the machines that keep their state in state files: a Genesis block,
// with or without the Sega CD's block after it, or the Sega CD's block alone (the block is
// refused whole unless a Sega CD runs).
s32 state_stream_load(std::span<const u8> in) { return scd_state_load(in); }

// The Genesis side every cartridge and disc machine is built on.
MachineRecord genesis_side(u32 kind) {
    MachineRecord m;
    m.kind               = kind;
    m.picture            = kGenesisPicture;
    m.detect_region      = genesis_detect_region;
    m.media_boot         = media_boot_cartridge;
    m.power_on           = genesis_power_on_machine;
    m.run_entry          = genesis_run_entry;
    m.run_frame          = run_frame;
    m.halt_text          = genesis_halt_text;
    m.sound_rate_changed = ym2612_recalc_all_operators;
    return m;
}

// ---- The records ----------------------------------------------------------------------

MachineRecord genesis_record() {
    MachineRecord m   = genesis_side(kMachineGenesis);
    m.state_save      = state_save;
    m.state_max_bytes = kStateMaxBytes;
    m.state_load      = state_stream_load;
    return m;
}

// The 32X unit rides on the Genesis: the boot fits it and resets it after the Genesis
// power-on. Its SH-2s see as much of the cartridge as was loaded, at most 4 MB. Its state
// is neither saved nor loaded (a Genesis block would load under a unit keeping its own).
MachineRecord s32x_record() {
    MachineRecord m = genesis_side(kMachine32x);
    m.unit_fit      = s32x_set_fitted;
    m.unit_reset    = [] {
        sh2_set_cart_size(static_cast<u32>(std::min<u64>(image_loader.image_size, 0x400000)));
        s32x_reset();
    };
    return m;
}

// The BIOS of a Sega CD region from the file its setting names (Japan, USA, Europe).
bool load_scd_bios(u32 region) {
    static constexpr u32 (*kLoaders[3])() = {bios_load_scd_jp, bios_load_scd_us, bios_load_scd_eu};
    return region < 3 && kLoaders[region]() != 0;
}

// The region from the disc's own header; an unreadable sector matches no region.
void scd_detect_region() {
    std::array<u8, kCdSectorBytes> sector{};
    machine_read_disc_sector0(sector);
    scd_detect_disc_region(sector);
}

MachineRecord segacd_record() {
    MachineRecord m     = genesis_side(kMachineSegaCd);
    m.detect_region     = scd_detect_region;
    m.media_boot        = media_boot_disc;
    m.power_on          = segacd_power_on_machine;
    m.unit_reset        = scd_power_on_reset;
    m.format_backup_ram = scd_format_backup_ram;
    m.format_ram_cart   = scd_format_ram_cart;
    m.backup_ram        = scd_backup_ram;
    m.disc_boot         = scd_disc_boot;
    m.read_sector0      = scd_disc_read_sector0;
    m.polls_cd_drive    = true;
    m.state_save        = scd_state_save;
    m.state_max_bytes   = kStateMaxBytes + kScdStateMaxBytes;
    m.state_load        = state_stream_load;
    return m;
}

// The Master System: its own Z80 loop and PSG, no FM chip, no state file.
MachineRecord sms_record() {
    MachineRecord m;
    m.kind          = kMachineSms;
    m.picture       = {kSmsScreenWidth, kSmsLines};
    m.detect_region = [] { sms_region_select(); };
    m.media_boot    = media_boot_sms;
    m.power_on      = sms_power_on_machine;
    m.run_entry     = sms_run_entry;
    m.run_frame     = sms_run_frame;
    m.halt_text     = sms_halt_text;
    return m;
}

}  // namespace

void compose_varn() {
    // The Genesis: the 68000's opcode table and maps, the FM tables, and its slots.
    emu_components_init();
    // The media boot: the thread link's reboot and RAM-file writes.
    media_bind_slots();
    // The 32X: both SH-2 cores, their boot ROMs as the targets of the system ROM files.
    s32x_init_sh2_cores();
    system_rom_targets[kRom32xMaster] = sh2_boot_rom;
    system_rom_targets[kRom32xSlave]  = sh2s_boot_rom;
    // The Master System: its Z80's tables; one system ROM image for the three regions.
    sms_z80_init();
    system_rom_targets[kRomSmsUs] = sms_bios;
    system_rom_targets[kRomSmsEu] = sms_bios;
    system_rom_targets[kRomSmsJp] = sms_bios;
    // The Sega CD: the sub-CPU's tables, the BIOS files, the disc's road into the unit.
    scd_sub_cpu_init();
    scd_bios_loader = load_scd_bios;
    scd_bind_disc();

    static const MachineRecord genesis = genesis_record();
    static const MachineRecord s32x    = s32x_record();
    static const MachineRecord segacd  = segacd_record();
    static const MachineRecord sms     = sms_record();
    for (const MachineRecord* record : {&genesis, &s32x, &segacd, &sms})
        machine_table_bind(*record);
}

}  // namespace varn
