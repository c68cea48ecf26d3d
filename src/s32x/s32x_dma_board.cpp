// The 32X board as the SH-2s' DMA controllers reach it: the palette, the frame buffer being
// drawn and SDRAM as memories; the FIFO and the PWM queues as register ends.

#include "s32x/s32x.h"
#include "s32x/s32x_internal.h"
#include "sh2/sh2_onchip.h"

namespace varn {

using namespace s32x_detail;

namespace {

void memory_end(Sh2DmaEnd& e, u8* base, u32 size, u32 offset) {
    e.kind = Sh2DmaEndKind::kMemory;
    e.base = base;
    e.size = size;
    e.pos  = offset;
}

void resolve(u32 addr, Sh2DmaEnd& e) {
    switch (addr >> 24) {
        case 0x00:
        case 0x20: {
            const u32 o = addr & 0xFFFFF;
            if (o == 0x4012) {
                e.kind = Sh2DmaEndKind::kFifo;
            } else if (o == 0x4034 || o == 0x4036 || o == 0x4038) {
                e.kind  = Sh2DmaEndKind::kPwm;
                e.queue = (o - 0x4034) / 2;
            } else if (o >= 0x4200 && o < 0x4400) {
                memory_end(e, s32x_palette.data(), kS32xPaletteSize, o - 0x4200);
            }
            return;
        }
        case 0x04:
        case 0x24:
            memory_end(e, s32x_frame_buffers.data() + (s32x_fb_display ^ 1) * kS32xFrameBufferSize,
                       kS32xFrameBufferSize, addr & (kS32xFrameBufferSize - 1));
            return;
        case 0x06:
        case 0x26:
            memory_end(e, s32x_sdram.data(), kS32xSdramSize, addr & (kS32xSdramSize - 1));
            return;
        default:
            return;
    }
}

u32 register_avail(const Sh2DmaEnd& e, bool as_source) {
    const auto& r = R();
    if (e.kind == Sh2DmaEndKind::kFifo) return as_source ? r.fifo_fill : r.fifo_free;
    return as_source ? 0 : s32x_pwm_room(e.queue);
}

// A word the DMA takes from the FIFO counts the transfer request down; its end clears the
// request bit.
u16 fifo_read() {
    auto& r     = R();
    const u16 w = s32x_fifo_pop();
    r.dreq_len  = static_cast<u16>(r.dreq_len - 1);
    if (r.dreq_len == 0) r.dreq_ctrl &= ~4u;
    return w;
}

}  // namespace

void s32x_detail::bind_dma_board() {
    sh2_dma_board_slots = {resolve, register_avail, fifo_read, s32x_fifo_push, s32x_pwm_push};
}

}  // namespace varn
