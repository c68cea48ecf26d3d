// The 32X interrupts: H, V and command requests merged into the SH-2s by their masks.

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

// ---- interrupts ----

namespace {

void merge(u32 source, u32 bit) {
    for (u32 core = 0; core < 2; ++core) {
        const u16 en = R().enable[core][source];
        if (en != 0) sh2_raise_irq(core_context(core), en & bit);
    }
}

}  // namespace

void s32x_hint_line() {
    merge(kS32xEnH, kSh2IrqHBlank);
    R().palette_access = R().palette_access_pending;
    R().fen_busy       = 0;
}

void s32x_vint_frame() {
    if (header_start_frames == 1) {
        start_header_booted_cores();
    } else if (header_start_frames != 0) {
        --header_start_frames;
    }
    merge(kS32xEnV, kSh2IrqVBlank);
    R().palette_access = R().palette_access_pending;
    if (s32x_fb_display != R().fb_next) {
        s32x_fb_display = R().fb_next;
        s32x_frame_buffers_changed();
    }
}

void s32x_command_irq() {
    for (u32 core = 0; core < 2; ++core) {
        if ((R().int_control >> core) & 1 && R().enable[core][kS32xEnCmd] != 0) {
            sh2_raise_irq(core_context(core), kSh2IrqCommand);
        }
    }
}

}  // namespace varn
