// The SH-2s' start: from their system ROMs, or from the cartridge header without them.

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
#include "s32x/s32x.h"
#include "s32x/s32x_internal.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "sh2/sh2_onchip.h"

namespace varn {

using namespace s32x_detail;

// ---- boot ----

void s32x_boot_sh2_program() {
    if (cfg(cfg_32x_use_bios) != 0) {
        sh2_reset_from_bios();
        sh2_context.status &= ~kSh2StatusHeld;
        sh2s_reset_from_bios();
        sh2s_context.status &= ~kSh2StatusHeld;
        return;
    }
    const auto header = [](u32 at) { return load_be32(&cart_rom[at]); };
    const u32 source  = header(0x3D4);
    const u32 size    = header(0x3DC);
    // The program always lands at the start of SDRAM (the header's destination is not read).
    // The copy stops at the end of SDRAM and of the loaded image.
    if (source != 0x06000000) {
        const u32 held  = source < sh2_cart_size ? sh2_cart_size - source : 0;
        const u32 bytes = std::min({size & ~3u, kS32xSdramSize, held});
        if (bytes != 0) std::copy_n(cart_rom.begin() + source, bytes, s32x_sdram.begin());
    }
    sh2_context.vbr = header(0x3E8);
    sh2_reset_from_header();
    sh2s_context.vbr = header(0x3EC);
    sh2s_reset_from_header();
    header_start_frames = kHeaderStartFrames;  // both still held: see start_header_booted_cores

    // What the system ROM leaves behind for the game.
    auto& comm = R().comm;
    std::copy_n("M_OKS_OK", 8, comm.begin());
    comm[8] = cart_rom[0x18E];
    comm[9] = cart_rom[0x18F];

    // The 68000 vectors point into the cartridge's jump table at 0x880200.
    std::fill(s32x_m68k_bios.begin(), s32x_m68k_bios.end(), u8{0});
    for (u32 n = 1; n < 48; ++n) store_be32(&s32x_m68k_bios[n * 4], 0x00880200 + 6 * (n - 1));
    store_be16(&s32x_m68k_bios[0xC0], 0x4E75);
    store_be16(&s32x_m68k_bios[0xD2], 0x4E75);
}

}  // namespace varn
