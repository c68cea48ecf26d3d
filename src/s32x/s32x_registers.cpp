// The 32X registers as the SH-2s (0x4000-0x410F) and the 68000 (0xA15100-0xA153FF) see them.

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

// ---- the SH-2s' view of the system registers (0x4000-0x403F) ----

namespace s32x_detail {

template <u32 Core>
u16 sysreg_peek(u32 o) {
    auto& r = R();
    switch (o & 0x3E) {
        case 0x00: {
            const u32 cart = machine_kind == kMachineSegaCd ? 0x100 : 0;
            return static_cast<u16>(((u32{r.adapter} << 8) & ~0x100u) | 0x200 | cart |
                                    r.int_mask[Core]);
        }
        case 0x02:
            return 0x4002;
        case 0x04:
            return r.hcount;
        case 0x06:
            return r.dreq_ctrl;
        case 0x08:
            return r.dreq_src_hi;
        case 0x0A:
            return r.dreq_src_lo;
        case 0x0C:
            return r.dreq_dst_hi;
        case 0x0E:
            return r.dreq_dst_lo;
        case 0x10:
            return r.dreq_len;
        case 0x12:
            return r.fifo_fill != 0 ? r.fifo[0] : 0;
        case 0x14:
        case 0x16:
        case 0x18:
        case 0x1A:
        case 0x1C:
            return r.irq_clear[((o & 0x3E) - 0x14) / 2];
        default:
            break;
    }
    if ((o & 0x3E) >= 0x20 && (o & 0x3E) < 0x30) return load_be16(&r.comm[o & 0x0E]);
    if ((o & 0x3E) >= 0x30 && (o & 0x3E) <= 0x38) return s32x_pwm_read(o & 0x3E);
    return 0;
}

template <u32 Core>
u32 sysreg_read_word(u32 a) {
    const u32 o = a & 0x3E;
    if (o == 0x12) {  // the FIFO: the oldest word leaves it
        R().dreq_len = static_cast<u16>(R().dreq_len - 1);
        return s32x_fifo_pop();
    }
    return sysreg_peek<Core>(o);
}

bool byte_readable(u32 o) {
    if (o <= 0x02 || (o >= 0x05 && o <= 0x08) || o == 0x0C) return true;
    if (o >= 0x10 && o <= 0x1C) return (o & 1) == 0;
    if (o >= 0x20 && o <= 0x32) return true;
    return o == 0x34 || o == 0x36 || o == 0x38;
}

template <u32 Core>
u32 sysreg_read_byte(u32 a) {
    const u32 o = a & 0x3F;
    // The communication bytes first: the cores poll them.
    if ((o & 0x30) == 0x20) return R().comm[o & 0x0F];
    if (!byte_readable(o)) return 0;
    const u16 w = sysreg_peek<Core>(o);
    return (o & 1) ? (w & 0xFF) : (w >> 8);
}

template <u32 Core>
u32 sysreg_read_long(u32 a) {
    return sysreg_read_word<Core>(a) << 16 | sysreg_read_word<Core>(a + 2);
}

void write_adapter(u8 v) {
    R().adapter  = v;
    R().fen_busy = 2;
}

void write_comm_byte(u32 o, u8 v) { R().comm[o & 0x0F] = v; }

template <u32 Core>
void sysreg_write_word(u32 a, u32 value) {
    auto& r     = R();
    const u32 o = a & 0x3E;
    const u16 v = static_cast<u16>(value);
    switch (o) {
        case 0x00:
            write_adapter(static_cast<u8>(v >> 8));
            set_mask(Core, static_cast<u8>(v));
            return;
        case 0x04:
            r.hcount = static_cast<u8>(v);
            return;
        case 0x06:
            r.dreq_ctrl = v;
            s32x_fifo_restart();
            return;
        case 0x08:
            r.dreq_src_hi = v & 0xFF;
            return;
        case 0x0A:
            r.dreq_src_lo = v & 0xFFFE;
            return;
        case 0x0C:
            r.dreq_dst_hi = v & 0xFF;
            return;
        case 0x0E:
            r.dreq_dst_lo = v;
            return;
        case 0x10:
            r.dreq_len = v & 0xFFFC;
            return;
        case 0x14:
        case 0x16:
        case 0x18:
        case 0x1A:
        case 0x1C:
            r.irq_clear[(o - 0x14) / 2] = v;
            return;
        default:
            break;
    }
    if (o >= 0x20 && o < 0x30) {
        store_be16(&r.comm[o & 0x0E], v);
    } else if (o >= 0x30 && o <= 0x38) {
        s32x_pwm_write(o, v);
    }
}

template <u32 Core>
void sysreg_write_byte(u32 a, u32 value) {
    auto& r     = R();
    const u32 o = a & 0x3F;
    const u8 v  = static_cast<u8>(value);
    switch (o) {
        case 0x00:
            write_adapter(v);
            return;
        case 0x01:
            set_mask(Core, v);
            return;
        case 0x05:
            r.hcount = v;
            return;
        case 0x06:
            r.dreq_ctrl = static_cast<u16>((r.dreq_ctrl & 0x00FF) | v << 8);
            return;
        case 0x07:
            r.dreq_ctrl = static_cast<u16>((r.dreq_ctrl & 0xFF00) | v);
            s32x_fifo_restart();
            return;
        case 0x30:
            s32x_pwm_write(0x30, static_cast<u16>((r.pwm_ctrl & 0x00FF) | v << 8));
            return;
        case 0x31:
            s32x_pwm_write(0x30, static_cast<u16>((r.pwm_ctrl & 0xFF00) | v));
            return;
        default:
            break;
    }
    if (o >= 0x20 && o < 0x30) write_comm_byte(o, v);
}

template <u32 Core>
void sysreg_write_long(u32 a, u32 v) {
    sysreg_write_word<Core>(a, v >> 16);
    sysreg_write_word<Core>(a + 2, v & 0xFFFF);
}

// ---- the SH-2s' view of the 32X VDP registers (0x4100-0x410F) ----

u32 vdp_read_word(u32 a) { return s32x_vdp_read(a & 0x0E); }
u32 vdp_read_byte(u32 a) {
    const u16 w = s32x_vdp_read(a & 0x0E);
    return (a & 1) ? (w & 0xFF) : (w >> 8);
}
u32 vdp_read_long(u32 a) { return vdp_read_word(a) << 16 | vdp_read_word(a + 2); }
void vdp_write_word(u32 a, u32 v) { s32x_vdp_write(a & 0x0E, static_cast<u16>(v)); }
void vdp_write_byte(u32 a, u32 v) {
    // A byte reaches its half of the register; the other half keeps its value.
    const u32 o = a & 0x0E;
    u16 w       = 0;
    switch (o) {
        case 0x00:
            w = R().bitmap_mode;
            break;
        case 0x02:
            w = R().screen_shift;
            break;
        case 0x04:
            w = R().fill_len;
            break;
        case 0x06:
            w = R().fill_start;
            break;
        case 0x08:
            w = R().fill_data;
            break;
        case 0x0A:
            w = R().fb_ctrl;
            break;
        default:
            return;
    }
    w = (a & 1) ? static_cast<u16>((w & 0xFF00) | (v & 0xFF))
                : static_cast<u16>((w & 0x00FF) | (v & 0xFF) << 8);
    s32x_vdp_write(o, w);
}
void vdp_write_long(u32 a, u32 v) {
    vdp_write_word(a, v >> 16);
    vdp_write_word(a + 2, v & 0xFFFF);
}

template <u32 Core>
void fill_sh2_register_tables(Sh2RegisterTables& t) {
    t.sysregs.read_byte.fill(&sysreg_read_byte<Core>);
    t.sysregs.read_word.fill(&sysreg_read_word<Core>);
    t.sysregs.read_long.fill(&sysreg_read_long<Core>);
    t.sysregs.write_byte.fill(&sysreg_write_byte<Core>);
    t.sysregs.write_word.fill(&sysreg_write_word<Core>);
    t.sysregs.write_long.fill(&sysreg_write_long<Core>);
    t.vdpregs.read_byte.fill(&vdp_read_byte);
    t.vdpregs.read_word.fill(&vdp_read_word);
    t.vdpregs.read_long.fill(&vdp_read_long);
    t.vdpregs.write_byte.fill(&vdp_write_byte);
    t.vdpregs.write_word.fill(&vdp_write_word);
    t.vdpregs.write_long.fill(&vdp_write_long);
    sh2_onchip_fill_tables(Core, t.onchip);
}

}  // namespace s32x_detail

void s32x_detail::fill_sh2_register_tables() {
    fill_sh2_register_tables<0>(sh2_register_tables);
    fill_sh2_register_tables<1>(sh2s_register_tables);
}

namespace s32x_detail {

// ---- the 68000's view: 0xA15100-0xA153FF ----

bool ntsc_console() { return region.pal_flag == 0; }

void start_sh2s() {
    s32x_boot_sh2_program();
    emu_state_flags.fetch_or(kState32xActive);
    m68k_map_s32x_bios_overlay();
}

// The 1 MB cartridge bank at 0x900000: the bus reads it through m68k_banked_rom_offset; the
// DMA source map and the code pages follow it here.
void select_bank(u8 v) {
    R().bank       = v;
    const u32 bank = u32{v & 3u} << 20;
    vdp_dma_map_set(0x90, 0x10, {cart_rom.data(), kCartRomSize, bank, 0xFFFFF});
    for (u32 page = 0x90; page <= 0x9F; ++page) {
        m68k_set_fetch_page(
            page, m68k_fetch_page(M68kFetchKind::kPlain, kCartRomOffset + bank, 0x900000));
    }
}

// A byte of 0xA15100-0xA153FF; `mapped` false where the console answers with the address.
u32 a15_byte(u32 o, bool& mapped) {
    auto& r = R();
    mapped  = true;
    if (o >= 0x200) return s32x_palette[o & 0x1FF];
    if (o >= 0x120 && o < 0x130) return r.comm[o & 0x0F];
    switch (o) {
        case 0x100:
            return r.adapter;
        case 0x101:
            return r.adapter_low;
        case 0x103:
            return r.int_control;
        case 0x105:
            return r.bank;
        case 0x107:
            return (r.dreq_ctrl & 0x7F) | (r.fifo_free == 0 ? 0x80 : 0);
        case 0x108:
            return 0;
        case 0x109:
            return r.dreq_src_hi & 0xFF;
        case 0x10A:
            return r.dreq_src_lo >> 8;
        case 0x10B:
            return r.dreq_src_lo & 0xFF;
        case 0x10C:
            return 0;
        case 0x10D:
            return r.dreq_dst_hi & 0xFF;
        case 0x10E:
            return r.dreq_dst_lo >> 8;
        case 0x10F:
            return r.dreq_dst_lo & 0xFF;
        case 0x110:
            return r.dreq_len >> 8;
        case 0x111:
            return r.dreq_len & 0xFF;
        case 0x11B:
            return r.reg_1b;
        case 0x130:
            return r.pwm_ctrl >> 8;
        case 0x131:
            return r.pwm_ctrl & 0xFF;
        case 0x180:
            return ((r.bitmap_mode >> 8) & 0x7F) | (ntsc_console() ? 0x80 : 0);
        case 0x181:
            return r.bitmap_mode & 0xFF;
        case 0x183:
            return r.screen_shift & 0xFF;
        case 0x184:
            return r.fill_len >> 8;
        case 0x185:
            return r.fill_len & 0xFF;
        case 0x18A: {
            const u32 phase = frame_pos.slice_phase;
            return ((r.fb_ctrl >> 8) & 0x1F) | (r.palette_access != 0 ? 0x20 : 0) |
                   (phase == kPhaseHblank ? 0x40 : 0) | (phase == kPhaseVblank ? 0x80 : 0);
        }
        case 0x18B:
            return (r.fb_ctrl & 0xFC) | (s32x_fb_display & 1) | ((r.adapter & 0x80) ? 2 : 0);
        default:
            mapped = false;
            return 0;
    }
}

u32 a15_read_byte(u32 a) {
    bool mapped = false;
    const u32 v = a15_byte(a & 0x3FF, mapped);
    return mapped ? v : m68k_unmapped_read(a);
}
u32 a15_read_word(u32 a) {
    const u32 o = a & 0x3FE;
    bool hi = false, lo = false;
    const u32 h = a15_byte(o, hi);
    const u32 l = a15_byte(o + 1, lo);
    return (hi || lo) ? (h << 8 | l) : m68k_unmapped_read(a);
}
u32 a15_read_long(u32 a) { return a15_read_word(a) << 16 | a15_read_word(a + 2); }

void a15_write_byte(u32 a, u32 value) {
    auto& r     = R();
    const u32 o = a & 0x3FF;
    const u8 v  = static_cast<u8>(value);
    if (o >= 0x200) {
        s32x_palette[o & 0x1FF] = v;
        return;
    }
    if (o >= 0x120 && o < 0x130) {
        write_comm_byte(o, v);
        if (o == 0x128 || o == 0x129) start_header_booted_cores();
        return;
    }
    switch (o) {
        case 0x100:
            r.adapter = v;
            return;
        case 0x101:
            r.adapter_low = v;
            if ((v & 2) != 0 && !s32x_running()) start_sh2s();
            return;
        case 0x103:
            r.int_control = v;
            s32x_command_irq();
            return;
        case 0x105:
            select_bank(v);
            return;
        case 0x107:
            r.dreq_ctrl = static_cast<u16>((r.dreq_ctrl & 0xFF00) | v);
            s32x_fifo_restart();
            return;
        case 0x109:
            r.dreq_src_hi = v;
            return;
        case 0x10A:
            r.dreq_src_lo = static_cast<u16>((r.dreq_src_lo & 0x00FF) | v << 8);
            return;
        case 0x10B:
            r.dreq_src_lo = static_cast<u16>((r.dreq_src_lo & 0xFF00) | (v & 0xFE));
            return;
        case 0x10D:
            r.dreq_dst_hi = v;
            return;
        case 0x10E:
            r.dreq_dst_lo = static_cast<u16>((r.dreq_dst_lo & 0x00FF) | v << 8);
            return;
        case 0x10F:
            r.dreq_dst_lo = static_cast<u16>((r.dreq_dst_lo & 0xFF00) | v);
            return;
        case 0x110:
            r.dreq_len = static_cast<u16>((r.dreq_len & 0x00FF) | v << 8);
            return;
        case 0x111:
            r.dreq_len = static_cast<u16>((r.dreq_len & 0xFF00) | (v & 0xFC));
            return;
        case 0x11B:
            r.reg_1b = v;
            return;
        case 0x130:
            s32x_pwm_write(0x30, static_cast<u16>((r.pwm_ctrl & 0x00FF) | v << 8));
            return;
        case 0x131:
            s32x_pwm_write(0x30, static_cast<u16>((r.pwm_ctrl & 0xFF00) | v));
            return;
        case 0x180:
            r.bitmap_mode = static_cast<u16>((r.bitmap_mode & 0x00FF) | (v & 0x7F) << 8);
            return;
        case 0x181:
            s32x_vdp_write(0x00, static_cast<u16>((r.bitmap_mode & 0xFF00) | v));
            return;
        case 0x183:
            r.screen_shift = v;
            return;
        case 0x184:
            r.fill_len = static_cast<u16>((r.fill_len & 0x00FF) | v << 8);
            return;
        case 0x185:
            r.fill_len = static_cast<u16>((r.fill_len & 0xFF00) | v);
            return;
        case 0x18A:
            r.fb_ctrl = static_cast<u16>((r.fb_ctrl & 0x00FF) | v << 8);
            return;
        case 0x18B:
            r.fb_ctrl = static_cast<u16>((r.fb_ctrl & 0xFF00) | v);
            s32x_vdp_write_fb_select(v & 1);
            return;
        default:
            return;
    }
}

void a15_write_word(u32 a, u32 value) {
    auto& r     = R();
    const u32 o = a & 0x3FE;
    const u16 v = static_cast<u16>(value);
    if (o >= 0x200) {
        store_be16(&s32x_palette[o & 0x1FE], v);
        return;
    }
    switch (o) {
        case 0x108:
            r.dreq_src_hi = v & 0xFF;
            return;
        case 0x10A:
            r.dreq_src_lo = v & 0xFFFE;
            return;
        case 0x10C:
            r.dreq_dst_hi = v & 0xFF;
            return;
        case 0x10E:
            r.dreq_dst_lo = v;
            return;
        case 0x110:
            r.dreq_len = v & 0xFFFC;
            return;
        case 0x112:
            s32x_fifo_push(v);
            return;
        case 0x132:
        case 0x134:
        case 0x136:
        case 0x138:
            s32x_pwm_write(o & 0x3E, v);
            return;
        case 0x184:
            r.fill_len = v;
            return;
        case 0x186:
            r.fill_start = v;
            return;
        case 0x188:
            s32x_vdp_write(0x08, v);
            return;
        default:
            break;
    }
    a15_write_byte(a & ~1u, v >> 8);
    a15_write_byte(a | 1u, v & 0xFF);
}

void a15_write_long(u32 a, u32 v) {
    a15_write_word(a, v >> 16);
    a15_write_word(a + 2, v & 0xFFFF);
}

void fill_a15_tables() {
    auto& t = m68k_a15_tables;
    m68k_a15_tables_reset();
    // 0xA15000-0xA150FF answer as unmapped; the registers and the palette follow.
    for (u32 i = 0x100; i < kM68kA15Entries; ++i) {
        t.read_byte[i]  = a15_read_byte;
        t.read_word[i]  = a15_read_word;
        t.read_long[i]  = a15_read_long;
        t.write_byte[i] = a15_write_byte;
        t.write_word[i] = a15_write_word;
        t.write_long[i] = a15_write_long;
    }
}

}  // namespace s32x_detail

}  // namespace varn
