#include "sh2/sh2_onchip.h"

#include <algorithm>
#include <limits>

#include "base/endian.h"
#include "memory/memory.h"
#include "sh2/sh2.h"

namespace varn {

std::array<Sh2OnChip, 2> sh2_onchip{};
Sh2DmaBoardSlots sh2_dma_board_slots{};

namespace {

Sh2CpuContext& ctx(u32 core) { return core == 0 ? sh2_context : sh2s_context; }

// ---- interrupt controller ----

// Level and vector of the on-chip source at pending bit `bit`.
void set_level(u32 core, u32 bit, u32 level) { ctx(core).onchip_level[31 - bit] = level & 0x0F; }
void set_vector(u32 core, u32 bit, u32 vector) {
    ctx(core).onchip_vector[31 - bit] = static_cast<u16>((vector & 0x7F) * 4);
}

void intc_derive(u32 core) {
    const auto& m = sh2_onchip[core];
    for (u32 bit : {31u, 30u, 29u}) set_level(core, bit, m.iprb >> 8);
    for (u32 bit : {28u, 27u, 26u, 25u}) set_level(core, bit, m.iprb >> 12);
    for (u32 bit : {24u, 23u}) set_level(core, bit, m.ipra >> 4);
    for (u32 bit : {22u, 21u}) set_level(core, bit, m.ipra >> 8);
    set_level(core, 20, m.ipra >> 12);
    set_vector(core, 31, m.vcrd >> 8);
    set_vector(core, 30, m.vcrc);
    set_vector(core, 29, m.vcrc >> 8);
    set_vector(core, 28, m.vcrb);
    set_vector(core, 27, m.vcrb >> 8);
    set_vector(core, 26, m.vcra);
    set_vector(core, 25, m.vcra >> 8);
    set_vector(core, 24, m.vcrwdt);
    set_vector(core, 23, m.vcrwdt >> 8);
    set_vector(core, 22, m.vcrdma1);
    set_vector(core, 21, m.vcrdma0);
    set_vector(core, 20, m.vcrdiv);
}

// The interrupt controller's word registers by offset from 0xFFFFFE00; null elsewhere.
u16* intc_reg(u32 core, u32 o) {
    auto& m = sh2_onchip[core];
    switch (o & 0x1FE) {
        case 0x60:
            return &m.iprb;
        case 0x62:
            return &m.vcra;
        case 0x64:
            return &m.vcrb;
        case 0x66:
            return &m.vcrc;
        case 0x68:
            return &m.vcrd;
        case 0xE0:
            return &m.icr;
        case 0xE2:
            return &m.ipra;
        case 0xE4:
            return &m.vcrwdt;
        default:
            return nullptr;
    }
}

// ---- division unit ----

void divide(u32 core) {
    auto& m = sh2_onchip[core];
    if (m.dvsr == 0) {
        m.dvcr |= 1;
        return;
    }
    const s64 dividend = static_cast<s64>(u64{m.dvdnth} << 32 | m.dvdntl);
    const s32 divisor  = static_cast<s32>(m.dvsr);
    // Magnitudes, so that no signed division can overflow; the quotient must fit 32 bits
    // before it is taken.
    const bool dividend_neg = dividend < 0;
    const bool quotient_neg = dividend_neg != (divisor < 0);
    const u64 ud = dividend_neg ? 0 - static_cast<u64>(dividend) : static_cast<u64>(dividend);
    const u64 uv =
        divisor < 0 ? 0 - static_cast<u64>(static_cast<s64>(divisor)) : static_cast<u64>(divisor);
    const u64 uq    = ud / uv;
    const u64 limit = quotient_neg ? 0x80000000ull : 0x7FFFFFFFull;
    if (uq > limit) {
        m.dvcr |= 1;
        if ((m.dvcr & 2) == 0) {
            m.dvdntl = ((m.dvsr ^ m.dvdnth) & 0x80000000u) == 0 ? 0x7FFFFFFFu : 0x80000000u;
        }
        return;
    }
    const u64 ur    = ud % uv;
    m.dvdntl        = static_cast<u32>(quotient_neg ? 0 - uq : uq);
    m.dvdnth        = static_cast<u32>(dividend_neg ? 0 - ur : ur);
    m.dvdntl_mirror = m.dvdntl;
    m.dvdnth_mirror = m.dvdnth;
}

// ---- DMA controller ----

constexpr u32 kPlentiful = 0x7FFFFFFF;  // availability of a memory end

u32 end_avail(const Sh2DmaEnd& e, bool as_source) {
    switch (e.kind) {
        case Sh2DmaEndKind::kMemory:
            return kPlentiful;
        case Sh2DmaEndKind::kFifo:
        case Sh2DmaEndKind::kPwm:
            return sh2_dma_board_slots.register_avail != nullptr
                       ? sh2_dma_board_slots.register_avail(e, as_source)
                       : 0;
        default:
            return 0;
    }
}

// Bytes an end can still give or take in its direction of travel.
u32 end_room(const Sh2DmaEnd& e, u32 unit) {
    if (e.kind != Sh2DmaEndKind::kMemory || e.step == 0) return kPlentiful;
    if (e.pos >= e.size) return 0;
    return e.step > 0 ? e.size - e.pos : e.pos + unit;
}

Sh2DmaEnd resolve(u32 core, u32 addr, s32 step, u32 unit, bool is_dest) {
    Sh2DmaEnd e;
    e.step           = step;
    const u32 area   = addr >> 24;
    const auto plain = [&](u8* base, u32 size, u32 offset) {
        e.kind = Sh2DmaEndKind::kMemory;
        e.base = base;
        e.size = size;
        e.pos  = offset;
    };
    switch (area) {
        case 0x00:
        case 0x20:
        case 0x04:
        case 0x24:
        case 0x06:
        case 0x26:
            if (sh2_dma_board_slots.resolve != nullptr) sh2_dma_board_slots.resolve(addr, e);
            if (e.kind == Sh2DmaEndKind::kFifo || e.kind == Sh2DmaEndKind::kPwm) {
                e.step = 2;
                if (unit != 2) e.kind = Sh2DmaEndKind::kIdle;  // only words reach the registers
            }
            break;
        case 0x02:
        case 0x22:
            // The cartridge is read only: as a destination nothing moves.
            if (!is_dest) plain(cart_rom.data(), sh2_cart_size, addr & 0xFFFFFF);
            break;
        case 0xC0:
            plain(sh2_memory + (core == 0 ? kSh2CacheOffset : kSh2sCacheOffset), kSh2CacheArraySize,
                  addr & 0xFFFFFF);
            break;
        case 0xFF:
            if (addr == 0xFFFFFE03 || addr == 0xFFFFFE05) {
                e.kind = Sh2DmaEndKind::kSerial;
                e.step = 1;
            }
            break;
        default:
            break;
    }
    return e;
}

s32 step_for(u32 mode, u32 unit, bool source) {
    switch (mode) {
        case 0:
            return (source && unit == 16) ? 16 : 0;
        case 1:
            return static_cast<s32>(unit);
        case 2:
            return -static_cast<s32>(unit);
        default:
            return std::numeric_limits<s32>::max();
    }
}

void channel_end(u32 core, u32 n);

void channel_start(u32 core, u32 n) {
    auto& ch                       = sh2_onchip[core].dma[n];
    static constexpr u32 kUnits[4] = {1, 2, 4, 16};
    ch.unit                        = kUnits[(ch.chcr >> 10) & 3];
    const u32 sm                   = (ch.chcr >> 12) & 3;
    const u32 dm                   = (ch.chcr >> 14) & 3;
    ch.src = resolve(core, ch.sar, step_for(sm, ch.unit, true), ch.unit, false);
    ch.dst = resolve(core, ch.dar, step_for(dm, ch.unit, false), ch.unit, true);
    // A mode-3 step is reserved: such a channel moves nothing.
    ch.frozen = sm == 3 || dm == 3 || ch.src.kind == Sh2DmaEndKind::kIdle ||
                ch.dst.kind == Sh2DmaEndKind::kIdle || ch.src.kind == Sh2DmaEndKind::kSerial ||
                ch.dst.kind == Sh2DmaEndKind::kSerial;
    if (ch.frozen) return;
    const u32 room = std::min(end_room(ch.src, ch.unit), end_room(ch.dst, ch.unit));
    if (room != kPlentiful) ch.tcr = std::min(ch.tcr, room / ch.unit);
    if (ch.tcr == 0) channel_end(core, n);
}

void channel_derive(u32 core, u32 n) {
    auto& m   = sh2_onchip[core];
    auto& ch  = m.dma[n];
    ch.cost   = (ch.chcr & 8) ? 1 : 2;
    ch.active = (ch.chcr & 1) != 0;
    if (ch.active && (m.dmaor & 1) != 0) channel_start(core, n);
}

u32 channel_avail(const Sh2DmaChannel& ch) {
    if (!ch.active || ch.frozen) return 0;
    return std::min({end_avail(ch.src, true), end_avail(ch.dst, false), ch.tcr});
}

void advance(Sh2DmaEnd& e) { e.pos += static_cast<u32>(e.step); }

// The end of a transfer: TE, and with IE (CHCR bit 2) the channel's end interrupt, which
// the programs that wait for a transfer's end in its handler depend on.
void channel_end(u32 core, u32 n) {
    auto& ch = sh2_onchip[core].dma[n];
    ch.chcr |= 2;
    ch.active = false;
    if ((ch.chcr & 4) != 0) sh2_raise_irq(ctx(core), n == 0 ? kSh2IrqDma0 : kSh2IrqDma1);
}

void transfer(u32 core, u32 n, u32 units) {
    auto& ch          = sh2_onchip[core].dma[n];
    const auto& board = sh2_dma_board_slots;
    for (u32 i = 0; i < units; ++i) {
        if (ch.src.kind == Sh2DmaEndKind::kFifo) {
            const u16 w = board.fifo_read();
            if (ch.dst.kind == Sh2DmaEndKind::kMemory) {
                if (ch.dst.pos + 2 <= ch.dst.size) store_be16(ch.dst.base + ch.dst.pos, w);
                advance(ch.dst);
            }
            continue;
        }
        // The source is memory here (a register end as source is only the FIFO).
        u8 bytes[16] = {};
        if (ch.src.pos + ch.unit <= ch.src.size) {
            std::copy_n(ch.src.base + ch.src.pos, ch.unit, bytes);
        }
        advance(ch.src);
        switch (ch.dst.kind) {
            case Sh2DmaEndKind::kMemory:
                if (ch.dst.pos + ch.unit <= ch.dst.size) {
                    std::copy_n(bytes, ch.unit, ch.dst.base + ch.dst.pos);
                }
                advance(ch.dst);
                break;
            case Sh2DmaEndKind::kFifo:
                board.fifo_write(load_be16(bytes));
                break;
            case Sh2DmaEndKind::kPwm:
                board.pwm_write(ch.dst.queue, load_be16(bytes));
                break;
            default:
                break;
        }
    }
    ch.tcr -= units;
    if (ch.tcr == 0) channel_end(core, n);
}

// ---- free-running timer ----

void frt_reset(u32 core) {
    auto& m = sh2_onchip[core];
    m.tier  = 1;
    m.tcr   = 0;
    m.tocr  = 0xE0;
    m.cclra = 0;
    m.ocfa = m.ocfb = m.ovf = 0;
    m.temp                  = 0;
    m.frc                   = 0;
    m.ocra                  = 0xFFFF;
    m.ocrb                  = 0xFFFF;
    m.frt_step              = 0x114000;
    // The watchdog is reset with the timers.
    m.wtcsr    = 0x18;
    m.rstcsr   = 0x1F;
    m.wdt_ovf  = 0;
    m.wdt_wovf = 0;
    m.wdt_acc  = 0;
    m.wdt_step = 0;
}

void serial_reset(u32 core) {
    auto& m = sh2_onchip[core];
    m.smr   = 0;
    m.brr   = 0xFF;
    m.scr   = 0;
    m.tdr   = 0xFF;
    m.ssr   = 0x84;
    m.rdr   = 0;
}

void dmac_reset(u32 core) {
    auto& m   = sh2_onchip[core];
    m.dma     = {};
    m.vcrdma0 = 0;
    m.vcrdma1 = 0;
    m.dmaor   = 0;
}

void intc_reset(u32 core) {
    auto& m = sh2_onchip[core];
    m.iprb = m.vcra = m.vcrb = m.vcrc = m.vcrd = m.icr = m.ipra = m.vcrwdt = 0;
}

void divu_reset(u32 core) {
    auto& m  = sh2_onchip[core];
    m.dvsr   = 0;
    m.dvdnt  = 0;
    m.dvcr   = 0;
    m.vcrdiv = 0;
    m.dvdnth = m.dvdntl = m.dvdnth_mirror = m.dvdntl_mirror = 0;
}

// ---- registers ----

// The long-word registers of the division unit and the DMA controller (0x100 and up).
u32* long_reg(u32 core, u32 o) {
    auto& m = sh2_onchip[core];
    switch (o & 0x1FC) {
        case 0x100:
            return &m.dvsr;
        case 0x104:
            return &m.dvdnt;
        case 0x108:
            return &m.dvcr;
        case 0x10C:
            return &m.vcrdiv;
        case 0x110:
            return &m.dvdnth;
        case 0x114:
            return &m.dvdntl;
        case 0x118:
            return &m.dvdnth_mirror;
        case 0x11C:
            return &m.dvdntl_mirror;
        case 0x180:
            return &m.dma[0].sar;
        case 0x184:
            return &m.dma[0].dar;
        case 0x188:
            return &m.dma[0].tcr;
        case 0x18C:
            return &m.dma[0].chcr;
        case 0x190:
            return &m.dma[1].sar;
        case 0x194:
            return &m.dma[1].dar;
        case 0x198:
            return &m.dma[1].tcr;
        case 0x19C:
            return &m.dma[1].chcr;
        case 0x1A0:
            return &m.vcrdma0;
        case 0x1A8:
            return &m.vcrdma1;
        case 0x1B0:
            return &m.dmaor;
        default:
            return nullptr;
    }
}

template <u32 Core>
u32 read_byte(u32 a) {
    auto& m     = sh2_onchip[Core];
    const u32 o = a & 0x1FF;
    if (o >= 0x100) {
        const u32* r = long_reg(Core, o);
        return r != nullptr ? (*r >> (8 * (3 - (o & 3)))) & 0xFF : 0;
    }
    if (const u16* w = intc_reg(Core, o)) return (o & 1) ? (*w & 0xFF) : (*w >> 8);
    switch (o) {
        case 0x00:
            return m.smr;
        case 0x01:
            return m.brr;
        case 0x02:
            return m.scr;
        case 0x03:
            return m.tdr;
        case 0x04:
            return m.ssr;
        case 0x05:
            return m.rdr;
        case 0x10:
            return m.tier;
        case 0x11: {
            const u32 v = u32{m.ocfa} << 3 | u32{m.ocfb} << 2 | u32{m.ovf} << 1 | m.cclra;
            m.ocfa = m.ocfb = m.ovf = 0;
            return v;
        }
        case 0x12:
            return m.frc >> 24;
        case 0x13:
            return (m.frc >> 16) & 0xFF;
        case 0x14:
            return ((m.tocr & 0x10) ? m.ocrb : m.ocra) >> 8;
        case 0x15:
            return ((m.tocr & 0x10) ? m.ocrb : m.ocra) & 0xFF;
        case 0x16:
            return m.tcr;
        case 0x17:
            return m.tocr;
        case 0x80:
            return (m.wtcsr & 0x7F) | (m.wdt_ovf ? 0x80 : 0);
        case 0x81:
            return m.wdt_acc >> 24;
        case 0x83:
            return (m.rstcsr & 0x7F) | (m.wdt_wovf ? 0x80 : 0);
        default:
            return 0;
    }
}

template <u32 Core>
u32 read_word(u32 a) {
    const u32 o = a & 0x1FF;
    if (o >= 0x100) {
        const u32* r = long_reg(Core, o);
        return r != nullptr ? ((o & 2) ? (*r & 0xFFFF) : (*r >> 16)) : 0;
    }
    if (const u16* w = intc_reg(Core, o)) return *w;
    return read_byte<Core>(a) << 8 | read_byte<Core>(a + 1);
}

template <u32 Core>
u32 read_long(u32 a) {
    const u32 o = a & 0x1FF;
    if (o >= 0x100) {
        const u32* r = long_reg(Core, o);
        return r != nullptr ? *r : 0;
    }
    return read_word<Core>(a) << 16 | read_word<Core>(a + 2);
}

template <u32 Core>
void write_byte(u32 a, u32 value) {
    auto& m     = sh2_onchip[Core];
    const u32 o = a & 0x1FF;
    const u8 v  = static_cast<u8>(value);
    if (u16* w = intc_reg(Core, o)) {
        *w = (o & 1) ? static_cast<u16>((*w & 0xFF00) | v)
                     : static_cast<u16>((*w & 0x00FF) | v << 8);
        intc_derive(Core);
        return;
    }
    switch (o) {
        case 0x00:
            m.smr = v;
            return;
        case 0x01:
            m.brr = v;
            return;
        case 0x02:
            m.scr = v;
            return;
        case 0x03: {
            // The byte goes straight to the other core's receiver.
            m.tdr       = v;
            auto& other = sh2_onchip[Core ^ 1];
            other.rdr   = v;
            other.ssr |= 0x40;
            sh2_raise_irq(ctx(Core ^ 1), kSh2IrqSerial);
            return;
        }
        case 0x04:
            m.ssr &= v;
            return;
        case 0x10:
            m.tier = v;
            return;
        case 0x11:
            m.cclra = v & 1;
            m.ocfa = m.ocfb = m.ovf = 0;
            return;
        case 0x12:
        case 0x14:
            m.temp = v;
            return;
        case 0x13:
            m.frc = (u32{m.temp} << 8 | v) << 16;
            return;
        case 0x15:
            ((m.tocr & 0x10) ? m.ocrb : m.ocra) = static_cast<u16>(m.temp << 8 | v);
            return;
        case 0x16:
            m.tcr      = v;
            m.frt_step = 0x8A0000u >> (2 * (v & 3) + 3);
            return;
        case 0x17:
            m.tocr = v;
            return;
        default:
            return;
    }
}

template <u32 Core>
void write_word(u32 a, u32 value) {
    auto& m     = sh2_onchip[Core];
    const u32 o = a & 0x1FE;
    const u16 v = static_cast<u16>(value);
    if (o >= 0x100) return;  // the division unit and the DMA controller take long words only
    if (u16* w = intc_reg(Core, o)) {
        *w = v;
        intc_derive(Core);
        return;
    }
    const u8 key = static_cast<u8>(v >> 8), low = static_cast<u8>(v);
    if (o == 0x80) {
        if (key == 0xA5) {
            if ((low & 0x80) == 0) m.wdt_ovf = 0;
            m.wtcsr                        = low;
            static constexpr u32 kSteps[8] = {0x45A57516, 0x022D2BA9, 0x011695D4, 0x008B4AEA,
                                              0x0045A575, 0x0022D2BB, 0x0008B4AF, 0x00045A57};
            if ((low & 0x20) == 0) m.wdt_acc = 0;
            m.wdt_step = (low & 0x20) ? kSteps[low & 7] : 0;
        } else if (key == 0x5A) {
            m.wdt_acc = u32{low} << 24;
        }
        return;
    }
    if (o == 0x82) {
        if (key == 0xA5) {
            if ((low & 0x80) == 0) m.wdt_wovf = 0;
        } else if (key == 0x5A) {
            m.rstcsr = static_cast<u8>((m.rstcsr & 0x80) | (low & 0x60) | 0x1F);
        }
        return;
    }
    write_byte<Core>(a & ~1u, v >> 8);
    write_byte<Core>(a | 1u, v & 0xFF);
}

template <u32 Core>
void write_long(u32 a, u32 v) {
    auto& m     = sh2_onchip[Core];
    const u32 o = a & 0x1FC;
    if (o < 0x100) {
        write_word<Core>(a, v >> 16);
        write_word<Core>(a + 2, v & 0xFFFF);
        return;
    }
    u32* r = long_reg(Core, o);
    if (r == nullptr) return;
    switch (o) {
        case 0x104:  // DVDNT: a 32-bit dividend, sign-extended
            m.dvdnt  = v;
            m.dvdntl = v;
            m.dvdnth = (v & 0x80000000u) ? 0xFFFFFFFFu : 0;
            divide(Core);
            return;
        case 0x110:
        case 0x118:
            m.dvdnth = v;
            return;
        case 0x114:
        case 0x11C:
            m.dvdntl = v;
            divide(Core);
            return;
        case 0x18C:
            m.dma[0].chcr = v;
            channel_derive(Core, 0);
            return;
        case 0x19C:
            m.dma[1].chcr = v;
            channel_derive(Core, 1);
            return;
        case 0x1B0:
            m.dmaor = v;
            for (u32 n = 0; n < 2; ++n) {
                if (m.dma[n].active && (v & 1) != 0) channel_start(Core, n);
            }
            return;
        default:
            break;
    }
    *r = v;
    if (o == 0x10C || o == 0x1A0 || o == 0x1A8) intc_derive(Core);
}

template <u32 Core>
void fill(Sh2OnChipTables& t) {
    t.read_byte.fill(&read_byte<Core>);
    t.read_word.fill(&read_word<Core>);
    t.read_long.fill(&read_long<Core>);
    t.write_byte.fill(&write_byte<Core>);
    t.write_word.fill(&write_word<Core>);
    t.write_long.fill(&write_long<Core>);
}

}  // namespace

void sh2_onchip_fill_tables(u32 core, Sh2OnChipTables& t) {
    if (core == 0) {
        fill<0>(t);
    } else {
        fill<1>(t);
    }
}

void sh2_onchip_bind_resets() {
    sh2_onchip_reset_slots = {serial_reset, frt_reset, dmac_reset, intc_reset, divu_reset};
}

void sh2_onchip_reset_all() {
    for (u32 core = 0; core < 2; ++core) {
        serial_reset(core);
        frt_reset(core);
        dmac_reset(core);
        intc_reset(core);
        divu_reset(core);
    }
}

void sh2_dmac_service(u32 core) {
    auto& m = sh2_onchip[core];
    if ((m.dmaor & 1) == 0) return;
    auto& c0 = m.dma[0];
    auto& c1 = m.dma[1];
    if (!c0.active && !c1.active) return;
    if (c0.active && c1.active && ((c0.chcr ^ c1.chcr) & 0x10) != 0) return;
    u32 avail[2]       = {channel_avail(c0), channel_avail(c1)};
    const bool g0      = avail[0] > 0;
    const bool g1      = avail[1] > 0 && (!g0 || (m.dmaor & 8) != 0);
    const u32 tb_extra = (c0.chcr & 0x10) ? 0 : 1;
    if (!g0 && !g1) return;  // nothing granted: nothing moves and nothing is charged
    u32 give[2]      = {0, 0};
    const auto grant = [&](bool a0, bool a1, u32 budget) {
        const u32 cost = (a0 ? c0.cost : 0) + (a1 ? c1.cost : 0) + tb_extra;
        u32 units      = budget / cost;
        // Bounded by what the granted channels can move now, so that one waiting channel
        // never holds the other back.
        if (a0) units = std::min(units, avail[0]);
        if (a1) units = std::min(units, avail[1]);
        if (a0) give[0] += units, avail[0] -= units;
        if (a1) give[1] += units, avail[1] -= units;
        return budget % cost;
    };
    const u32 rest = grant(g0, g1, 139);
    const bool pr  = (m.dmaor & 8) != 0;
    const bool s1  = (!pr && g0 && avail[1] > 0) || (g0 && g1 && avail[0] < avail[1]);
    const bool s0  = g0 && g1 && avail[1] < avail[0];
    if ((s0 || s1) && rest > 0) grant(s0, s1, rest);
    auto& c = ctx(core);
    c.cycle_counter += static_cast<s32>(give[0] * c0.cost + give[1] * c1.cost);
    if (give[0] > 0) transfer(core, 0, give[0]);
    if (give[1] > 0) transfer(core, 1, give[1]);
}

void sh2_frt_advance(u32 core) {
    auto& m       = sh2_onchip[core];
    const u64 sum = u64{m.frc} + m.frt_step;
    const bool a  = sum > u64{m.ocra} << 16;
    const bool b  = sum > u64{m.ocrb} << 16;
    const bool of = (sum >> 32) != 0;
    m.frc         = static_cast<u32>(sum);
    if (a && m.cclra) m.frc -= u32{m.ocra} << 16;
    m.ocfa = a ? 1 : 0;
    m.ocfb = (b && !(m.cclra && m.ocra < m.ocrb)) ? 1 : 0;
    m.ovf  = (of && !m.cclra) ? 1 : 0;
}

void sh2_wdt_advance(u32 core) {
    auto& m = sh2_onchip[core];
    if (m.wdt_step == 0) return;
    const u32 before = m.wdt_acc;
    m.wdt_acc += m.wdt_step;
    if (m.wdt_acc >= before) return;
    if ((m.wtcsr & 0x40) != 0) {
        m.wdt_wovf = 1;  // watchdog mode: flagged, no reset is performed
    } else {
        m.wdt_ovf = 1;
        sh2_raise_irq(ctx(core), kSh2IrqWatchdog);
    }
}

}  // namespace varn
