// The disc's road into the unit: the front end's CD requests fill the sector cache from the
// loaded CD image or the chosen drive, the table of contents comes from the drive, the cue
// sheet or the default, and the boot reads sector 0 through the cache.

#include <algorithm>

#include "cddrive/cd_requests.h"
#include "compose/scd_disc.h"
#include "media/cue_sheet.h"
#include "media/image_loader.h"
#include "segacd/scd_cache.h"

namespace varn {

namespace {

// The chosen drive answers in block addresses; the table holds frame numbers.
bool drive_toc(CdToc& toc) {
    if (!cdrom_build_toc_from_drive(toc)) return false;
    const u32 lead_out = std::min<u32>(toc[3], kCdTocDescriptors - 1);
    for (u32 i = 0; i <= lead_out; ++i) {
        cd_toc_set(toc, i, toc[4 + i * 8 + 2], toc_entry_start(toc, i) + kCdLeadInFrames,
                   toc[4 + i * 8 + 1]);
    }
    return true;
}

// A cue sheet's tracks one after another from 00:02:00, the lead-out after the last.
bool cue_toc(CdToc& toc) {
    if (cue_tables.track_count == 0) return false;
    const CueDiscLayout d = cue_disc_layout(cue_tables);
    toc[2]                = 1;
    toc[3]                = d.track_count;
    for (u32 i = 0; i < d.track_count; ++i)
        cd_toc_set(toc, i, static_cast<u8>(i + 1), d.start[i], d.control[i]);
    cd_toc_set(toc, d.track_count, 0xAA, d.start[d.track_count], d.control[d.track_count - 1]);
    return true;
}

bool build_toc(CdToc& toc) { return drive_toc(toc) || cue_toc(toc); }

void image_read(u32 sector, std::span<u8> user_data) {
    std::array<u8, kCdUserDataBytes> data{};
    cd_image_read_sector(sector, data);
    std::copy_n(data.begin(), std::min<std::size_t>(user_data.size(), data.size()),
                user_data.begin());
}

}  // namespace

// Start of a Sega CD boot, on the user interface's thread while the emulation is stopped:
// a fresh cache, the table, and sector 0 read as the request handler reads any sector.
void scd_disc_boot() {
    cd_clear_read_cache();
    cd_read_toc();
    cd_request(kRequestCdReadSector, 0);
}

u32 scd_disc_read_sector0(std::span<u8, 2048> user_data) {
    std::array<u8, kCdRawSectorBytes> raw{};
    if (!cd_cache_peek(0, raw)) return 0;
    std::copy_n(raw.begin() + kCdUserDataStart, kCdUserDataBytes, user_data.begin());
    return 1;
}

void scd_bind_disc() {
    cd_toc_builder              = build_toc;
    cd_request_slots.fill_begin = [](u32 sector) -> std::span<u8> {
        return cd_cache_fill_begin(static_cast<s32>(sector));
    };
    cd_request_slots.fill_end   = cd_cache_fill_end;
    cd_request_slots.toc        = [] { return std::span<u8>(cd_toc); };
    cd_request_slots.image_read = image_read;
}

}  // namespace varn
