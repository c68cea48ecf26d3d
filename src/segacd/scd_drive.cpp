// The CD drive: command phases, status reports, the play position and the tray.

#include "segacd/scd_drive.h"

#include "base/config.h"
#include "cddrive/cd_requests.h"
#include "runtime/thread_link.h"
#include "segacd/scd_cache.h"
#include "segacd/segacd.h"

namespace varn {

CddState cdd;
u32 cd_tray_word = 0;

namespace {

constexpr u32 kStatus  = 0x38;  // status values 0-9 in the gate array's register bytes
constexpr u32 kCommand = 0x42;  // command values 0-9

u8& status(u32 i) { return scd_ga.regs[kStatus + i]; }
u8 command_value(u32 i) { return scd_ga.regs[kCommand + i] & 0x0F; }
u8 param(u32 i) { return cdd.params[i - 1]; }  // command values 1-8 as latched

void post(u32 code, u32 argument = 0) { gui_post_to_frame(argument, code); }

void clear_values() {
    for (u32 i = 1; i <= 8; ++i) status(i) = 0;
}

// Status values 2-7 from a packed-BCD time, value 8 zero.
void time_values(u32 bcd) {
    status(2) = bcd >> 20 & 0xF;
    status(3) = bcd >> 16 & 0xF;
    status(4) = bcd >> 12 & 0xF;
    status(5) = bcd >> 8 & 0xF;
    status(6) = bcd >> 4 & 0xF;
    status(7) = bcd & 0xF;
    status(8) = 0;
}

// Makes table entry `index` the current track (its number is set by the caller).
void load_track(s32 index) {
    cdd.track_start = cd_toc_start(index);
    cdd.track_end   = cd_toc_start(index + 1);
    cdd.data_track  = (cd_toc_control(index) & 0x04) != 0 ? 1 : 0;
    cdd.start_time  = frames_to_bcd_msf(cdd.track_start);
    cdd.end_time    = frames_to_bcd_msf(cdd.track_end);
}

void update_relative_time() {
    cdd.rel_time =
        frames_to_bcd_msf(cdd.position >= cdd.track_start ? cdd.position - cdd.track_start : 0);
}

// The position of a read or seek: the time in command values 2-7, its track and times.
void seek_to_command_time() {
    cdd.position = (param(2) * 10u + param(3)) * 4500 + (param(4) * 10u + param(5)) * 75 +
                   param(6) * 10u + param(7);
    cdd.abs_time    = frames_to_bcd_msf(cdd.position);
    const s32 index = cd_track_lookup(cdd.position);
    cdd.track       = static_cast<u8>(index + 1);
    load_track(index);
    update_relative_time();
}

// The next sector step delivers the target.
void step_back() {
    if (cdd.position > 0) --cdd.position;
}

void report(u32 type) {
    if (type > 5) {
        clear_values();
        status(1) = 15;
        return;
    }
    status(1) = static_cast<u8>(type);
    switch (type) {
        case 0:
            time_values(cdd.abs_time);
            break;
        case 1:
            time_values(cdd.rel_time);
            break;
        case 2:
            for (u32 i = 2; i <= 8; ++i) status(i) = 0;
            status(2) = cdd.track / 10 % 10;
            status(3) = cdd.track % 10;
            break;
        case 3:
            time_values(frames_to_bcd_msf(cd_toc_start(cd_toc_last_track())));
            break;
        case 4:
            for (u32 i = 2; i <= 8; ++i) status(i) = 0;
            status(2) = cd_toc_first_track() / 10 % 10;
            status(3) = cd_toc_first_track() % 10;
            status(4) = cd_toc_last_track() / 10 % 10;
            status(5) = cd_toc_last_track() % 10;
            break;
        case 5: {
            // Tracks outside the table read as a track at 00:00:00.
            const u32 t = param(4) * 10u + param(5);
            time_values(frames_to_bcd_msf(cd_toc_start(static_cast<s32>(t) - 1)));
            if ((cd_toc_control(static_cast<s32>(t) - 1) & 0x04) != 0) status(6) += 8;
            status(8) = param(5);
            break;
        }
        default:
            break;
    }
}

void phase_two(u8 code) {
    switch (code) {
        case 0:
        case 8:
        case 9:
            cdd_update_status();
            clear_values();
            break;
        case 1:
            cdd_reset_track_state();
            status(0) = 0;
            clear_values();
            post(kRequestCdStopAudio);
            break;
        case 2: {
            const u32 type = param(3);
            if (type == 3 && cdd.disc_length_reported == 0) {
                cdd.disc_length_reported = 1;
                cdd_spin_up_paused();
            }
            cdd_update_status();
            report(type);
            break;
        }
        case 3:
            cdd.spinning = 1;
            cdd.reading  = 1;
            status(0)    = 1;
            seek_to_command_time();
            cdd.sector_countdown = kCddSectorReload;
            if (cdd.data_track == 0) {
                post(kRequestCdPlayAudio, cdd.abs_time);
            } else {
                for (u32 ahead = 0; ahead < 3; ++ahead) {
                    const u32 frame = cdd.position + ahead;
                    if (frame >= kCdLeadInFrames) cd_request_sector(frame - kCdLeadInFrames);
                }
            }
            step_back();
            report(2);
            break;
        case 4:
            cdd_spin_up_paused();
            status(0) = 2;
            clear_values();
            seek_to_command_time();
            step_back();
            break;
        case 6:
            cdd_spin_up_paused();
            cdd_update_status();
            clear_values();
            post(kRequestCdPauseAudio);
            break;
        case 7:
            cdd.spinning = 1;
            cdd.reading  = 1;
            cdd_update_status();
            clear_values();
            cdd.sector_countdown = kCddSectorReload;
            post(kRequestCdResumeAudio);
            break;
        case 10:
            cdd_spin_up_paused();
            cdd_update_status();
            clear_values();
            break;
        case 12:
            cdd_update_status();
            clear_values();
            post(kRequestCdCloseTray);
            break;
        case 13:
            cdd.spinning  = 0;
            cdd.reading   = 0;
            cdd.tray_open = 1;
            status(0)     = 5;
            clear_values();
            post(kRequestCdOpenTray);
            break;
        default:
            break;
    }
    cdd_status_checksum();
}

void sector_step() {
    ++cdd.position;
    cdd.abs_time = frames_to_bcd_msf(cdd.position);
    // The next track begins where this one ends; past the last track's end (the lead-out)
    // the drive stops.
    if (cdd.position >= cdd.track_end) {
        if (cd_toc_last_track() >= cdd.track) {
            load_track(cdd.track);
            ++cdd.track;
        } else {
            cdd_reset_track_state();
            return;
        }
    }
    update_relative_time();
    if (cdd.position == cdd.track_start && cdd.data_track == 0)
        post(kRequestCdPlayAudio, cdd.abs_time);
    if (cdd.data_track != 0) cdc_load_sector();
}

}  // namespace

void cdd_reset() {
    cdd                  = CddState{};
    cdd.sector_countdown = kCddSectorReload;
}

void cdd_update_status() {
    u8 code = 0;
    if (cdd.tray_open != 0) {
        code = 5;
    } else if (cdd.tray_closed != 0) {
        code            = 12;
        cdd.tray_closed = 0;
    } else if (cdd.spinning == 0) {
        code = cfg(cfg_scd_jp_bios_fix) != 0 && cdd.disc_length_reported != 0 ? 9 : 0;
    } else {
        code = cdd.reading != 0 ? 1 : 4;
    }
    status(0) = code;
}

void cdd_status_checksum() {
    u32 sum = 0;
    for (u32 i = 0; i < 9; ++i) sum += status(i);
    status(9) = static_cast<u8>((sum ^ 0x0F) & 0x0F);
}

void cdd_reset_track_state() {
    cdd.spinning    = 0;
    cdd.reading     = 0;
    cdd.position    = 0;
    cdd.abs_time    = 0xFFFFFFFF;
    cdd.rel_time    = 0xFFFFFFFF;
    cdd.track       = 0;
    cdd.track_start = 0;
    cdd.track_end   = 0xFFFFFFFF;
    cdd.start_time  = 0;
    cdd.end_time    = 0xFFFFFFFF;
}

void cdd_spin_up_paused() {
    if (cdd.spinning != 0) {
        cdd.reading = 0;
        return;
    }
    cdd.spinning = 1;
    cdd.reading  = 0;
    cdd.track    = 1;
    load_track(0);
    cdd.position = cdd.track_start;
    cdd.abs_time = cdd.start_time;
    cdd.rel_time = 0;
}

u8 cdd_status_bit() {
    return (cdd.data_track != 0 || cdd.spinning == 0 || cdd.reading != 0) ? 1 : 0;
}

void cdd_command_latched() {
    cdd.command = command_value(0);
    for (u32 i = 0; i < 8; ++i) cdd.params[i] = command_value(i + 1);
    switch (cdd.command) {
        case 0:
        case 12:
            if (cdd.command_countdown != 0) return;
            break;
        case 5:
        case 11:
        case 14:
        case 15:
            return;
        default:
            break;
    }
    cdd.command_countdown = cdd.command == 2 ? kCddReportTicks : kCddCommandTicks;
    cdd.phase_two         = cdd.command;
}

namespace {

// The window's tray changes, applied here on the emulation thread: the tray requests it
// carried out, then what its drive poll found.
void apply_tray_notices() {
    const u32 notices = cd_tray_notice_take();
    if (notices == 0) return;
    if ((notices & kTrayNoticeEjected) != 0) cd_tray_word = 1;
    if ((notices & kTrayNoticeLoaded) != 0) cd_tray_word = 0;
    if ((notices & kTrayNoticeOpen) != 0) cd_tray_open();
    if ((notices & kTrayNoticeClose) != 0) cd_tray_close();
}

}  // namespace

void cdd_tick() {
    apply_tray_notices();
    if (cdd.spinning != 0 && cdd.reading != 0) {
        if (cdd.sector_countdown == 0) {
            cdd.sector_countdown = kCddSectorReload;
            sector_step();
        } else {
            --cdd.sector_countdown;
        }
    }
    if (cdd.command_countdown != 0 && --cdd.command_countdown == 0) {
        scd_raise_irq(4);
        phase_two(cdd.phase_two);
    }
}

void cd_tray_open() {
    if (cd_tray_word == 0) cdd.tray_open = 1;
    cd_tray_word = 1;
}

void cd_tray_close() {
    if (cd_tray_word == 1) {
        gui_post_to_frame(2, kRequestReboot);
        cdd.tray_open            = 0;
        cdd.tray_closed          = 1;
        cdd.disc_length_reported = 0;
        cdd_reset_track_state();
    }
    cd_tray_word = 0;
}

void scd_disc_init() {
    ScdDiscSlots& h = scd_disc_slots;
    h.reset         = [] {
        cdd_cdc_reset_regs();
        cdd_reset();
    };
    h.command_latched    = cdd_command_latched;
    h.cdc_register_read  = cdc_register_read;
    h.cdc_register_write = cdc_register_write;
    h.cdc_pointer_write  = cdc_pointer_write;
    h.cdc_host_data      = cdc_host_data_read;
    h.transfer_step      = cdc_transfer_step;
    h.drive_tick         = cdd_tick;
    h.drive_status_bit   = cdd_status_bit;
}

}  // namespace varn
