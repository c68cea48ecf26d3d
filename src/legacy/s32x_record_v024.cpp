// The earlier program's 32X machine.

#include "legacy/s32x_record_v024.h"

#include <algorithm>
#include <atomic>

#include "genesis/bus/bus_pages.h"
#include "genesis/runtime/scheduler.h"
#include "legacy/compose_legacy.h"
#include "legacy/genesis_v024.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/m68k_map_v024.h"
#include "legacy/s32x/s32x_compose_v024.h"
#include "legacy/s32x/s32x_registers_v024.h"
#include "legacy/sh2/sh2_bus_v024.h"
#include "legacy/sh2/sh2_v024.h"
#include "media/image_loader.h"
#include "media/system_roms.h"
#include "runtime/thread_link.h"
#include "s32x/s32x.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"

namespace varn {

namespace {

// A halted SH-2 stops the earlier machine: its 68000 halts and the run entry is withdrawn.
void on_sh2_halt_v024() {
    m68k_context_v024.status |= 0x300;
    emu_thread_target.store(nullptr);
}

// The 32X entries of the render-mode table: the older compositions with the scanline masks
// of the Scanlines setting.
void frame_copy_32x(const FrameSurface& surface) {
    const ScanlineMasksV024& m = scanline_masks_v024;
    s32x_frame_copy_machine_v024(surface, {static_cast<u16>(m.half), static_cast<u16>(m.keep)});
}

void unit_reset() {
    sh2_set_cart_size(static_cast<u32>(std::min<u64>(image_loader.image_size, 0x400000)));
    s32x_reset();
    sh2_reset_records_v024();
    // The main unit bound its slots; the SH-2s run on the older interpreter here.
    frame_slots.s32x_slice = sh2_run_slice_v024;
    sh2_halt_slot          = on_sh2_halt_v024;
    for (u32 i = 4; i < 16; ++i) render_mode_table_v024[i] = &frame_copy_32x;
}

}  // namespace

void s32x_init_v024() {
    s32x_init_sh2_cores();
    sh2_interp_reset_v024();
    sh2_build_memory_map_v024();
    s32x_install_registers_v024();
    sh2_halt_slot                     = on_sh2_halt_v024;
    system_rom_targets[kRom32xMaster] = sh2_boot_rom;
    system_rom_targets[kRom32xSlave]  = sh2s_boot_rom;
    m68k_s32x_sets_v024 = {m68k_s32x_sdram_window_set, m68k_s32x_framebuffer_window_set,
                           m68k_s32x_overwrite_window_set, m68k_s32x_register_set};
}

MachineRecord legacy_s32x_record() {
    MachineRecord m = legacy_genesis_side(kMachine32x);
    m.unit_fit      = s32x_set_fitted;
    m.unit_reset    = unit_reset;
    return m;
}

}  // namespace varn
