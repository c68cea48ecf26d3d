// The 32X machine on a random cartridge, booted from its header as without system ROMs: the
// header's boot fields (where the SH-2 program is copied from and how much, where each core
// starts, their vector bases) and both sides' programs come from the input. Start codes point
// the 68000's and the SH-2s' address registers at the 32X's registers, palette, frame buffers
// and the Genesis VDP, so the random programs reach the unit's every register from both sides
// (DREQ and its FIFO, the DMA controllers, PWM, VDP fill and swaps, interrupt masks) rather
// than mostly executing from empty memory. After the frames the unit's counts must still hold
// their invariants.
//
// Input layout:
//   0x00  flags       bits 0-1 frames to run less one; bit 2 the header's boot fields as
//                     given (otherwise the program copy is the SH-2 start code and code below,
//                     both cores start at its first word, their vector bases at SDRAM)
//   0x01  split       the 68000's code takes split x 16 bytes of the rest, the SH-2s' the other
//   0x04  header      0x3D4-0x3EF: copy source, destination, size, master and slave start,
//                     master and slave vector bases (7 x u32, big-endian)
//   0x20  code        the 68000's from cartridge 0x600, the SH-2s' from cartridge 0x2040

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "base/endian.h"
#include "e2e/e2e_machine.h"
#include "genesis/runtime/scheduler.h"
#include "s32x/s32x.h"
#include "s32x_fuzz_image.h"

namespace {

using namespace varn;
using varn::fuzz::build_image;
using varn::fuzz::kCodeIn;

bool counts_hold() {
    const S32xRegs& r = s32x_regs;
    if (r.fifo_fill + r.fifo_free != kS32xFifoWords) return false;
    for (const S32xPwmQueue& q : r.pwm_queue) {
        if (q.fill + q.free != q.words.size()) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kCodeIn + 2) return 0;
    test::e2e_power_on(build_image(data, size), true);
    const u32 frames = 1 + (data[0] & 3);
    for (u32 f = 0; f < frames; ++f) {
        if (run_frame() == FrameResult::kHalted) break;
    }
    const bool held = counts_hold();
    s32x_set_fitted(false);
    s32x_reset();
    test::e2e_power_off();
    if (!held) {
        std::fprintf(stderr, "the FIFO or a PWM queue lost count of its words\n");
        __builtin_trap();
    }
    return 0;
}
