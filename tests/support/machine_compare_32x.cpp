#include "support/machine_compare_32x.h"

#include "s32x/s32x.h"
#include "s32x/sh2_onchip.h"
#include "sh2/sh2.h"
#include "sh2/sh2_bus.h"

namespace varn::test {

namespace {

enum Part32x : u32 {
    kPartMaster,
    kPartSlave,
    kPartSdram,
    kPartFrameBuffers,
    kPartPalette,
    kPartComm,
    kPartUnit,
    kPartOnChip,
    kPartPwm,
    kParts32x
};

u64 digest_words(std::initializer_list<u64> words) {
    std::array<u64, 64> buf{};
    std::size_t n = 0;
    for (const u64 w : words) buf[n++] = w;
    return machine_digest_bytes(buf.data(), n * sizeof(u64));
}

// A core's record, field by field (what the program sees and what the run loop keeps).
u64 sh2_digest(const Sh2CpuContext& c) {
    const u64 regs = machine_digest_bytes(c.r.data(), sizeof c.r);
    const u64 intc = machine_digest_bytes(c.onchip_level.data(), sizeof c.onchip_level) ^
                     machine_digest_bytes(c.onchip_vector.data(), sizeof c.onchip_vector) * 3;
    return digest_words({regs,
                         intc,
                         c.status,
                         c.irq_check,
                         c.irq_pending,
                         u32(c.slice_cycles),
                         u32(c.cycle_counter),
                         c.pc,
                         c.sr,
                         c.gbr,
                         c.vbr,
                         c.mach,
                         c.macl,
                         c.pr,
                         u32(c.branch_carry),
                         c.div_q,
                         c.div_m,
                         c.fetch_start,
                         c.fetch_size,
                         c.halt_pending});
}

u64 dma_end_digest(const Sh2DmaEnd& e) {
    const u64 base = e.base != nullptr ? u64(e.base - sh2_memory) : ~u64{0};
    return digest_words({u64(e.kind), base, e.size, e.pos, u32(e.step), e.queue});
}

// The on-chip modules of one core, field by field.
u64 onchip_digest(const Sh2OnChip& m) {
    u64 dma = 0;
    for (const Sh2DmaChannel& ch : m.dma) {
        dma = dma * 31 + digest_words({ch.sar, ch.dar, ch.tcr, ch.chcr, ch.unit, ch.cost, ch.active,
                                       ch.frozen, dma_end_digest(ch.src), dma_end_digest(ch.dst)});
    }
    return digest_words({m.iprb,          m.vcra,     m.vcrb,     m.vcrc,    m.vcrd,
                         m.icr,           m.ipra,     m.vcrwdt,   m.dvsr,    m.dvdnt,
                         m.dvcr,          m.vcrdiv,   m.dvdnth,   m.dvdntl,  m.dvdnth_mirror,
                         m.dvdntl_mirror, dma,        m.vcrdma0,  m.vcrdma1, m.dmaor,
                         m.tier,          m.tcr,      m.tocr,     m.cclra,   m.ocfa,
                         m.ocfb,          m.ovf,      m.temp,     m.frc,     m.ocra,
                         m.ocrb,          m.frt_step, m.wtcsr,    m.rstcsr,  m.wdt_ovf,
                         m.wdt_wovf,      m.wdt_acc,  m.wdt_step, m.smr,     m.brr,
                         m.scr,           m.tdr,      m.ssr,      m.rdr});
}

void digest_32x(u64* out) {
    const S32xRegs& r = s32x_regs;
    out[kPartMaster]  = sh2_digest(sh2_context);
    out[kPartSlave]   = sh2_digest(sh2s_context);
    out[kPartSdram]   = machine_digest_bytes(s32x_sdram.data(), s32x_sdram.size());
    out[kPartFrameBuffers] =
        machine_digest_bytes(s32x_frame_buffers.data(), s32x_frame_buffers.size()) ^
        s32x_fb_display;
    out[kPartPalette] = machine_digest_bytes(s32x_palette.data(), s32x_palette.size());
    out[kPartComm]    = machine_digest_bytes(r.comm.data(), r.comm.size());
    out[kPartUnit]    = machine_digest_bytes(&r, sizeof r);
    out[kPartOnChip]  = onchip_digest(sh2_onchip[0]) * 7 + onchip_digest(sh2_onchip[1]);
    out[kPartPwm] =
        digest_words({r.pwm_ctrl, r.pwm_cycle, r.pwm_acc, r.pwm_down, r.pwm_out_left,
                      r.pwm_out_right, u32(r.pwm_dc), r.pwm_queue[0].fill, r.pwm_queue[1].fill,
                      machine_digest_bytes(r.pwm_queue.data(), sizeof r.pwm_queue)});
}

const char* part_name(u32 part) {
    static constexpr const char* kNames[kParts32x] = {
        "master SH-2 record",  "slave SH-2 record", "SDRAM",         "frame buffers", "32X palette",
        "communication words", "32X registers",     "on-chip units", "PWM output"};
    return part < kParts32x ? kNames[part] : "?";
}

}  // namespace

SpeedPathComparison compare_speed_paths_32x(const std::function<void()>& start, u64 frames,
                                            const std::function<void(u64)>& before_frame) {
    return compare_speed_paths(start, frames, before_frame, {kParts32x, digest_32x, part_name});
}

}  // namespace varn::test
