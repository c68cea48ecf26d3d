// The 32X FIFO: the 68000 pushes words, the SH-2s pop them (DREQ).

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

// ---- FIFO ----

void s32x_fifo_push(u16 word) {
    auto& r = R();
    if (r.fifo_free == 0) return;  // full: the word is lost rather than stored past the FIFO
    r.fifo[r.fifo_fill] = word;
    ++r.fifo_fill;
    --r.fifo_free;
}

u16 s32x_fifo_pop() {
    auto& r = R();
    if (r.fifo_fill == 0) return 0;
    const u16 w = r.fifo[0];
    std::copy(r.fifo.begin() + 1, r.fifo.begin() + r.fifo_fill, r.fifo.begin());
    --r.fifo_fill;
    ++r.fifo_free;
    return w;
}

void s32x_fifo_restart() {
    auto& r         = R();
    const bool full = (r.dreq_ctrl & 0x80) != 0;
    r.fifo_fill     = full ? kS32xFifoWords : 0;
    r.fifo_free     = full ? 0 : kS32xFifoWords;
}

}  // namespace varn
