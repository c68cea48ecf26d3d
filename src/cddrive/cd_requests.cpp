#include "cddrive/cd_requests.h"

#include <algorithm>

#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/cd_msf.h"
#include "cddrive/scsi_commands.h"

namespace varn {

CdRequestSlots cd_request_slots{};
CdAudioWords cd_audio_playing;

namespace {

bool real_drive() { return cd_drive_selected != 0; }

void audio_words(u32 v) { cd_audio_playing = {v, v, v}; }

void post_tray_notice(u32 notice) { cd_tray_notice.fetch_or(notice, std::memory_order_release); }

}  // namespace

void cd_request(u32 code, u32 param) {
    switch (code) {
        case kRequestCdPoll:
            cd_request_poll();
            break;
        case kRequestCdReadSector:
            cdrom_read_sector(param);
            break;
        case kRequestCdPlayAudio:
            cd_request_play(param);
            break;
        case kRequestCdStopAudio:
            cd_request_stop();
            break;
        case kRequestCdPauseAudio:
            cd_request_pause();
            break;
        case kRequestCdResumeAudio:
            if (param != kCdResumeWithSound ||
                (cd_audio_playing.playing == 1 && cd_audio_playing.resume == 1)) {
                cd_request_resume();
            }
            break;
        case kRequestCdCloseTray:
            cd_request_load();
            break;
        case kRequestCdOpenTray:
            cd_request_eject();
            break;
        default:
            break;
    }
}

void cd_request_poll() {
    if (!real_drive()) return;
    switch (aspi_test_unit_ready()) {
        case CdUnitState::kReady:
            post_tray_notice(kTrayNoticeClose);
            break;
        case CdUnitState::kNoMedium:
            post_tray_notice(kTrayNoticeOpen);
            break;
        case CdUnitState::kUnknown:
            break;
    }
}

void cdrom_read_sector(u32 lba) {
    if (!cd_request_slots.fill_begin || !cd_request_slots.fill_end) return;
    const std::span<u8> slot = cd_request_slots.fill_begin(lba);
    const std::span<u8> user = slot.subspan(kCdSlotDataStart, kDataBlockBytes);
    if (real_drive()) {
        // One retry; a block that cannot be read is delivered as zeros, never as what the
        // slot held before.
        if (!aspi_read_sector(lba, user) && !aspi_read_sector(lba, user)) {
            std::fill(user.begin(), user.end(), u8{0});
        }
        // Reading moves the drive's head away from any audio it played.
        audio_words(0);
    } else if ((lba & 0x80000000u) == 0 && cd_request_slots.image_read) {
        // A sector before the first (negative) is only marked filled.
        cd_request_slots.image_read(lba, user);
    }
    cd_request_slots.fill_end();
}

void cd_request_play(u32 start_bcd) {
    if (!real_drive() || !cd_request_slots.toc) return;
    const std::span<const u8> toc = cd_request_slots.toc();
    const u32 frames              = bcd_msf_to_frames(start_bcd);
    const s32 at                  = toc_find_track(toc, frames);
    // The track's end is the next descriptor's start: the next track or the lead-out. A
    // start at or past the lead-out (or before the first track) has no track to play.
    const u32 last_track = toc.size() > 3 ? toc[3] : 0;
    if (at < 0 || static_cast<u32>(at) / kTocEntryBytes + 1 > last_track) return;
    const u32 end = toc_entry_start(toc, static_cast<u32>(at) / kTocEntryBytes + 1);
    // The emulated drive's positions and table count frames from 00:00:00, as SCSI's MSF
    // addresses do, so both times go to the drive as they are.
    if (aspi_play_audio_msf(frames_to_bcd_msf(frames), frames_to_bcd_msf(end))) audio_words(1);
}

void cd_request_stop() {
    if (!real_drive()) return;
    aspi_stop_unit();
    audio_words(0);
}

void cd_request_pause() {
    if (!real_drive()) return;
    aspi_pause_audio();
    cd_audio_playing.resume  = cd_audio_playing.running;
    cd_audio_playing.running = 0;
}

void cd_request_resume() {
    if (!real_drive()) return;
    aspi_resume_audio();
    cd_audio_playing.resume  = 1;
    cd_audio_playing.running = 1;
}

void cd_request_load() {
    if (!real_drive()) return;
    aspi_load();
    audio_words(0);
    post_tray_notice(kTrayNoticeLoaded);
}

void cd_request_eject() {
    if (!real_drive()) return;
    aspi_eject();
    audio_words(0);
    post_tray_notice(kTrayNoticeEjected);
}

bool cdrom_build_toc_from_drive(std::span<u8> toc) {
    if (!real_drive()) return false;
    return aspi_read_toc(toc);
}

void cd_drive_release() {
    if (real_drive()) cd_request_stop();
    cd_drive_selected = 0;
}

void cd_requests_reset() {
    audio_words(0);
    cd_tray_notice.store(0);
}

}  // namespace varn
