// The 32X VDP registers, the palette's host colours, the frame buffers and their fill, and
// the tail of the SH-2 slice's chain (on-chip units, then the PWM line step).

#include <algorithm>

#include "base/endian.h"
#include "genesis/bus/bus.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "runtime/region.h"
#include "s32x/s32x.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"
#include "sh2/sh2_onchip.h"

namespace varn {

// Host colours of the 256 palette entries, converted at the start of every frame.
std::array<u32, 256> s32x_palette_host{};

namespace {

S32xRegs& R() { return s32x_regs; }

u8* frame_buffer(u32 which) {
    return s32x_frame_buffers.data() + (which & 1) * kS32xFrameBufferSize;
}

}  // namespace

void s32x_frame_buffers_changed() {
    const u32 shown            = s32x_fb_display & 1;
    m68k_s32x_framebuffer_view = std::span<u8>(frame_buffer(shown ^ 1), kS32xFrameBufferSize);
    s32x_composite_source      = {reinterpret_cast<const u16*>(frame_buffer(shown)),
                                  kS32xFrameBufferSize / 2,
                                  reinterpret_cast<const u16*>(s32x_palette.data()), true};
}

void s32x_vdp_regs_clear() {
    auto& r                  = R();
    r.bitmap_mode            = 0;
    r.screen_shift           = 0;
    r.fill_len               = 0;
    r.fill_start             = 0;
    r.fill_data              = 0;
    r.fb_ctrl                = 0;
    r.fb_next                = 0;
    r.palette_access_pending = 0;
    r.palette_access         = 0;
    r.fen_busy               = 0;
    s32x_fb_display          = 0;
}

void s32x_palette_refresh() {
    for (u32 i = 0; i < 256; ++i) {
        s32x_palette_host[i] = s32x_colour_to_host(load_be16(&s32x_palette[i * 2]) & 0x7FFF);
    }
}

void s32x_apply_render_mode() {
    const u32 mode = R().bitmap_mode & 3;
    const u32 prio = (mode != 0 && (R().bitmap_mode & 0x80) != 0) ? 8 : 0;
    render_mode_replace(~4u, mode << 4 | prio);
}

u16 s32x_vdp_read(u32 offset) {
    const auto& r = R();
    switch (offset & 0x0E) {
        case 0x00:
            return static_cast<u16>((r.bitmap_mode & 0x7FFF) | (region.pal_flag == 0 ? 0x8000 : 0));
        case 0x02:
            return r.screen_shift & 0xFF;
        case 0x04:
            return r.fill_len;
        case 0x06:
            return r.fill_start;
        case 0x08:
            return r.fill_data;
        case 0x0A: {
            const u32 phase = frame_pos.slice_phase;
            const bool busy = (r.adapter & 0x80) == 0 || r.fen_busy != 0;
            return static_cast<u16>((phase == kPhaseVblank ? 0x8000 : 0) |
                                    (phase == kPhaseHblank ? 0x4000 : 0) |
                                    (r.palette_access != 0 ? 0x2000 : 0) | (r.fb_ctrl & 0x1FFC) |
                                    (busy ? 2 : 0) | (s32x_fb_display & 1));
        }
        default:
            return 0;
    }
}

void s32x_vdp_write_fb_select(u32 select) {
    R().fb_next = select & 1;
    if (s32x_fb_display != (select & 1)) {
        s32x_fb_display = select & 1;
        s32x_frame_buffers_changed();
    }
}

void s32x_vdp_write(u32 offset, u16 v) {
    auto& r = R();
    switch (offset & 0x0E) {
        case 0x00:
            r.bitmap_mode            = v & 0x7FFF;
            r.palette_access_pending = (v & 1) == 0 ? 0xFFFFFFFF : 0;
            s32x_apply_render_mode();
            return;
        case 0x02:
            r.screen_shift = v & 0xFF;
            return;
        case 0x04:
            r.fill_len = v;
            return;
        case 0x06:
            r.fill_start = v;
            return;
        case 0x08:
            r.fill_data = v;
            s32x_vdp_fill();
            return;
        case 0x0A:
            r.fb_ctrl = v;
            s32x_vdp_write_fb_select(v & 1);
            return;
        default:
            return;
    }
}

// The fill writes (length + 1) words of the buffer not displayed; only the low 8 bits of
// the word address count on, so a fill stays within its 256-word block.
void s32x_vdp_fill() {
    auto& r         = R();
    u8* fb          = frame_buffer(s32x_fb_display ^ 1);
    const u32 count = (r.fill_len & 0xFF) + 1u;
    u32 addr        = r.fill_start;
    for (u32 i = 0; i < count; ++i) {
        store_be16(fb + (addr & 0xFFFF) * 2, r.fill_data);
        addr = (addr & 0xFF00) | ((addr + 1) & 0xFF);
    }
    r.fill_start = static_cast<u16>(addr);
}

void s32x_chain_tail() {
    sh2_dmac_service(0);
    sh2_dmac_service(1);
    sh2_frt_advance(0);
    sh2_frt_advance(1);
    sh2_wdt_advance(0);
    sh2_wdt_advance(1);
    s32x_pwm_line();
}

}  // namespace varn
