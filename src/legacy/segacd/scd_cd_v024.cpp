// The earlier release's CD drive and CD controller.

#include "legacy/segacd/scd_cd_v024.h"

#include <algorithm>

#include "cddrive/cd_msf.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/segacd/cd_access_v024.h"
#include "segacd/scd_cache.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd.h"

namespace varn {

CddStateV024 cdd_v024{};

namespace {

constexpr u32 kRingMask = kScdCdcBufferSize - 1;

// The track holding `frame` (1-based), 0 when none does.
u32 track_at(u32 frame) {
    const auto& d = cdd_v024;
    for (u32 t = d.first_track; t != 0 && t <= d.last_track; ++t) {
        const auto& r = d.toc[t - 1];
        if (frame >= r.start && frame < r.end) return t;
    }
    return 0;
}

void enter_track(u32 t) {
    auto& d       = cdd_v024;
    const auto& r = d.toc[t - 1];
    d.track       = static_cast<u8>(t);
    d.track_start = r.start;
    d.track_end   = r.end;
    d.data_track  = (r.control & 0x04) != 0;
}

}  // namespace

void cdd_cdc_reset_regs_v024() {
    cdc                        = CdcState{};
    scd_ga.cdc_data_ready      = 0;
    scd_ga.cdc_end_of_transfer = 0;
    scd_ga.transfer_countdown  = 0;
}

void cdd_reset_track_state_v024() {
    auto& d       = cdd_v024;
    d.playing     = 0;
    d.step        = 0;
    d.track       = 0;
    d.track_start = 0;
    d.track_end   = 0;
    d.data_track  = 0;
    d.relative    = 0;
}

void cdd_reset_v024() {
    cdd_v024           = CddStateV024{};
    const u32 lead_out = aspi_read_toc_v024();
    (void)lead_out;
    auto& d        = cdd_v024;
    const CdToc& t = cd_toc_v024;
    d.first_track  = std::max<u8>(t[2], 1);
    d.last_track   = std::min<u8>(t[3], 99);
    if (d.last_track < d.first_track) d.first_track = d.last_track = 0;
    const auto start_of = [&](u32 index) {
        const u8* p = t.data() + 4 + 8 * index;
        return (u32{p[4]} << 24 | u32{p[5]} << 16 | u32{p[6]} << 8 | p[7]) + kCdLeadInFrames;
    };
    for (u32 i = 0; d.last_track != 0 && i < d.last_track; ++i) {
        d.toc[i].control = t[4 + 8 * i + 1];
        d.toc[i].start   = start_of(i);
        d.toc[i].end     = start_of(i + 1);
    }
    d.lead_out = d.last_track ? start_of(d.last_track) : 0;
}

void cdc_load_sector_v024() {
    if (scd_ga.regs[0x33] & 0x20) {
        s68k_context_v024.irq_pending |= 1u << 5;
        s68k_context_v024.irq_check = 1;
    }
    cdc.header_ptr     = static_cast<u16>(cdc.write_addr + 12);
    cdc.write_addr     = static_cast<u16>(cdc.write_addr + kCdRingStrideV024);
    const u32 bcd      = frames_to_bcd_msf(cdd_v024.position);
    const u8 header[4] = {static_cast<u8>(bcd >> 16), static_cast<u8>(bcd >> 8),
                          static_cast<u8>(bcd), 0x01};
    for (u32 i = 0; i < 4; ++i) scd_cdc_buffer[(cdc.header_ptr + i) & kRingMask] = header[i];
    std::array<u8, 2048> user{};
    aspi_read_sector_v024(static_cast<s32>(cdd_v024.position) - static_cast<s32>(kCdLeadInFrames),
                          user);
    const u32 data = cdc.header_ptr + 4u;
    for (u32 i = 0; i < user.size(); ++i) scd_cdc_buffer[(data + i) & kRingMask] = user[i];
}

void cdd_tick_v024() {
    auto& d = cdd_v024;
    if (--d.countdown != 0) return;
    d.countdown = kCddTickReloadV024;
    if (!d.playing) return;
    d.position += d.step;
    if (d.track != 0 && d.position >= d.track_end) {
        const u32 next = d.track + 1u;
        if (next > d.last_track) {
            cdd_reset_track_state_v024();
            return;
        }
        enter_track(next);
        if (!d.data_track) mci_play_cd_track_v024(next);
    }
    d.relative = d.position - d.track_start;
    if (d.data_track && d.step != 0) cdc_load_sector_v024();
}

void cdd_stop_v024() {
    cdd_reset_track_state_v024();
    mci_stop_cd_v024();
}

void cdd_play_v024(u32 bcd_msf) {
    auto& d     = cdd_v024;
    d.position  = bcd_msf_to_frames(bcd_msf & 0xFFFFFF);
    const u32 t = track_at(d.position);
    if (t == 0) {
        cdd_reset_track_state_v024();
        return;
    }
    enter_track(t);
    d.relative = d.position - d.track_start;
    d.playing  = 1;
    d.step     = 1;
    if (!d.data_track) mci_play_cd_track_v024(t);
}

void cdd_pause_v024() {
    cdd_v024.step = 0;
    if (!cdd_v024.data_track) mci_pause_cd_v024();
}

void cdd_resume_v024() {
    if (!cdd_v024.playing) return;
    cdd_v024.step = 1;
    if (!cdd_v024.data_track) mci_play_cd_track_at_v024();
}

}  // namespace varn
