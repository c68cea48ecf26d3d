#include "legacy/compose_legacy.h"

#include "genesis/runtime/power_on.h"
#include "legacy/genesis_v024.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/m68k_map_v024.h"
#include "legacy/s32x_record_v024.h"
#include "legacy/scd_record_v024.h"
#include "legacy/z80_v024.h"
#include "media/machine_boot.h"

namespace varn {

namespace {

const char* halt_text_v024() {
    return (z80_context_v024.status & kZ80StatusHalted) != 0
               ? "the Z80 stopped on an emulation error"
               : "the 68000 halted";
}

}  // namespace

MachineRecord legacy_genesis_side(u32 kind) {
    MachineRecord m;
    m.kind          = kind;
    m.picture       = kGenesisPicture;
    m.detect_region = [] { region_autodetect(); };
    m.media_boot    = media_boot_cartridge;
    m.power_on      = genesis_power_on_machine_v024;
    m.run_entry     = genesis_run_entry_v024;
    m.run_frame     = run_frame_v024;
    m.halt_text     = halt_text_v024;
    return m;
}

void compose_varn_legacy() {
    // The older 68000: its opcode tables and the main CPU's map.
    m68k_build_jump_table_v024();
    s68k_build_jump_table_v024();
    m68k_build_memory_map_v024();
    // The older Z80: the core's tables with the older instructions.
    z80_build_tables_v024();
    genesis_reset_records_v024();
    // The media boot: the thread link's reboot and RAM-file writes.
    media_bind_slots();

    machine_table_clear();
    static const MachineRecord genesis = legacy_genesis_side(kMachineGenesis);
    machine_table_bind(genesis);
    // The 32X and Sega CD records are bound here, after their units' one-time set-up.
    s32x_init_v024();
    static const MachineRecord s32x = legacy_s32x_record();
    machine_table_bind(s32x);
    scd_init_v024();
    static const MachineRecord segacd = legacy_segacd_record();
    machine_table_bind(segacd);
}

}  // namespace varn
