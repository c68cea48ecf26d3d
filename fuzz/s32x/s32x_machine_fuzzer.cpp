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

namespace {

using namespace varn;

constexpr std::size_t kHeaderIn = 0x04;
constexpr std::size_t kCodeIn   = 0x20;
constexpr u32 kRte              = 0x1FE;
constexpr u32 kJumpTable        = 0x200;  // the 32X vectors lead to 0x880200 + 6 (n - 1)
constexpr u32 kBootFields       = 0x3D4;
constexpr u32 kM68kStart        = 0x400;
constexpr u32 kM68kCode         = 0x600;
constexpr u32 kSh2Start         = 0x2000;
constexpr u32 kSh2Code          = kSh2Start + 0x40;
constexpr u32 kImageEnd         = kSh2Code + 0x4000;

void put_words(std::vector<u8>& image, u32 at, std::initializer_list<u16> words) {
    for (const u16 w : words) {
        store_be16(&image[at], w);
        at += 2;
    }
}

std::vector<u8> build_image(const std::uint8_t* data, std::size_t size) {
    std::vector<u8> image(kImageEnd, 0);
    store_be32(&image[0], 0x00FFFE00);
    store_be32(&image[4], kM68kStart);
    for (u32 v = 2; v < 64; ++v) store_be32(&image[4 * v], kRte);
    store_be16(&image[kRte], 0x4E73);  // RTE
    for (u32 n = 1; n < 48; ++n) {     // JMP 0x880000 + kRte, the cartridge seen at 0x880000
        put_words(image, kJumpTable + 6 * (n - 1), {0x4EF9, 0x0088, kRte});
    }

    // 68000: release the SH-2s with the adapter on, hand the checksum word back so they start
    // now, then A0 the system registers, A1 the frame buffer, A2 the 32X VDP, A3 the
    // cartridge through the 32X window, A4 the Genesis VDP.
    put_words(image, kM68kStart, {0x13FC, 0x0003, 0x00A1,   0x5101,  // move.b #3,$A15101
                                  0x33FC, 0x0000, 0x00A1,   0x5128,  // move.w #0,$A15128
                                  0x41F9, 0x00A1, 0x5100,            // lea $A15100,a0
                                  0x43F9, 0x0084, 0x0000,            // lea $840000,a1
                                  0x45F9, 0x00A1, 0x5180,            // lea $A15180,a2
                                  0x47F9, 0x0088, 0x0000,            // lea $880000,a3
                                  0x49F9, 0x00C0, 0x0000,            // lea $C00000,a4
                                  0x4EF9, 0x0000, kM68kCode});       // jmp kM68kCode

    // SH-2s: R8 the system registers, R9 the frame buffer, R10 the VDP registers, R11 PWM,
    // R12 the on-chip modules, R13 the cartridge, R14 SDRAM (all cache-through), then on to
    // the code after the constants.
    put_words(image, kSh2Start,
              {0xD807, 0xD908, 0xDA08, 0xDB09, 0xDC09, 0xDD0A, 0xDE0A,  // mov.l @(disp,pc),Rn
               0xA017, 0x0009});                                        // bra +0x40; nop
    const u32 constants[] = {0x20004000, 0x24000000, 0x20004100, 0x20004030,
                             0xFFFFFE00, 0x22000000, 0x26000000};
    for (u32 k = 0; k < 7; ++k) store_be32(&image[kSh2Start + 0x20 + 4 * k], constants[k]);

    const std::size_t code     = size - kCodeIn;
    const std::size_t m68k_len = std::min<std::size_t>(code, std::size_t{data[1]} * 16);
    const std::size_t sh2_len  = std::min<std::size_t>(code - m68k_len, kImageEnd - kSh2Code);
    std::copy_n(data + kCodeIn, std::min<std::size_t>(m68k_len, kSh2Start - kM68kCode),
                image.begin() + kM68kCode);
    std::copy_n(data + kCodeIn + m68k_len, sh2_len, image.begin() + kSh2Code);

    if (data[0] & 4) {
        std::copy_n(data + kHeaderIn, 7 * 4, image.begin() + kBootFields);
    } else {
        const u32 fields[] = {kSh2Start,  0x06000000, 0x40 + static_cast<u32>(sh2_len),
                              0x06000000, 0x06000000, 0x06000000,
                              0x06000000};
        for (u32 k = 0; k < 7; ++k) store_be32(&image[kBootFields + 4 * k], fields[k]);
    }
    return image;
}

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
