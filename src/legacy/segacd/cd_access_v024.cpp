// The earlier release's CD access on the emulation thread.

#include "legacy/segacd/cd_access_v024.h"

#include <algorithm>

#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/cd_msf.h"
#include "media/cue_sheet.h"
#include "media/image_loader.h"

namespace varn {

CdToc cd_toc_v024{};
void (*cd_notice_slot_v024)(const char* text) = nullptr;
u32 cd_notices_posted_v024                    = 0;

namespace {

// The drive answers READ TOC in block addresses; its audio commands take times, which count
// the 150 frames of the lead-in before block 0.
constexpr u32 kLeadInFrames = 150;

bool out_of_bounds_posted = false;

void post_out_of_bounds() {
    if (out_of_bounds_posted) return;
    out_of_bounds_posted = true;
    ++cd_notices_posted_v024;
    if (cd_notice_slot_v024) cd_notice_slot_v024(kCdSectorOutOfBoundsText);
}

bool drive_chosen() { return cd_drive_selected != 0; }

u32 be32_at(const CdToc& t, u32 at) {
    return u32{t[at]} << 24 | u32{t[at + 1]} << 16 | u32{t[at + 2]} << 8 | t[at + 3];
}
// Start of descriptor `index` (0 = the first track's).
u32 toc_start(u32 index) { return be32_at(cd_toc_v024, 4 + 8 * index + 4); }

}  // namespace

void cd_access_boot_v024() {
    out_of_bounds_posted   = false;
    cd_notices_posted_v024 = 0;
}

u32 aspi_read_toc_v024() {
    cd_toc_v024.fill(0);
    if (drive_chosen()) {
        if (!aspi_read_toc(cd_toc_v024)) {
            cd_default_toc(cd_toc_v024);
            return 0;
        }
        const u32 last = std::min<u32>(cd_toc_v024[3], kCdTocDescriptors - 1);
        return toc_start(last);
    }
    const CueTables& t = cue_tables;
    if (t.track_count == 0 || t.tracks[0].length == 0) {
        cd_default_toc(cd_toc_v024);
        return 0;
    }
    // At most 99 tracks and the lead-out: the 804-byte table holds 100 descriptors.
    const u32 count = std::min<u32>(t.track_count, kCueMaxTracks);
    cd_toc_v024[2]  = 1;
    cd_toc_v024[3]  = static_cast<u8>(count);
    u32 start       = 0;
    for (u32 i = 0; i < count; ++i) {
        const u8 mode   = t.tracks[i].mode;
        const bool data = mode == kCueMode1_2048 || mode == kCueMode1_2352;
        cd_toc_set(cd_toc_v024, i, static_cast<u8>(i + 1), start, data ? 0x14 : 0x10);
        start += t.tracks[i].length;
    }
    cd_toc_set(cd_toc_v024, count, 0xAA, start, 0x10);
    return start;
}

bool aspi_read_sector_v024(s32 lba, std::span<u8, 2048> out) {
    std::fill(out.begin(), out.end(), u8{0});
    if (lba < 0) return false;
    const u32 sector = static_cast<u32>(lba);
    if (drive_chosen()) {
        if (aspi_read_sector(sector, out)) return true;
        std::fill(out.begin(), out.end(), u8{0});  // a failed read leaves nothing half-read
        return false;
    }
    const auto& memory = image_loader.cd_memory_image;
    if (!memory.empty()) {
        const u64 offset = u64{sector} * 2048;
        if (offset >= memory.size()) {
            post_out_of_bounds();
            return false;
        }
        std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(offset),
                    std::min<u64>(2048, memory.size() - offset), out.begin());
        return true;
    }
    return cd_image_read_sector(sector, out);
}

bool mci_play_cd_track_v024(u32 track) {
    if (!drive_chosen()) return false;
    const u32 last = cd_toc_v024[3];
    if (track == 0 || track > last || last >= kCdTocDescriptors) return false;
    // To the next track's start; the last track's "next" is the lead-out, the disc's end.
    const u32 from = toc_start(track - 1) + kLeadInFrames;
    const u32 to   = toc_start(track) + kLeadInFrames;
    return aspi_play_audio_msf(frames_to_bcd_msf(from), frames_to_bcd_msf(to));
}

bool mci_play_cd_track_at_v024() { return drive_chosen() && aspi_resume_audio(); }
bool mci_pause_cd_v024() { return drive_chosen() && aspi_pause_audio(); }
bool mci_stop_cd_v024() { return drive_chosen() && aspi_stop_unit(); }
bool mci_door_open_v024() { return drive_chosen() && aspi_eject(); }
bool mci_door_close_v024() { return drive_chosen() && aspi_load(); }

}  // namespace varn
