#pragma once
// The earlier release's CD access: the Sega CD drive emulation reads the table of contents and
// data sectors and drives CD audio itself, on the emulation thread, with no request to the
// user interface and no sector cache. With a chosen drive every command goes through the
// drive layer (src/cddrive), each with its time limit; without one the loaded image answers
// (its cue sheet's track table, or its sectors).
//
// What it does where a command cannot be carried out:
//   - a sector that cannot be read (a failed or timed-out command, a negative address, no
//     image) is handed over as 2048 zero bytes and reported as not read;
//   - a sector past the end of an image held in memory posts "Requested sector is out of
//     bounds." to the user interface once per boot (through `cd_notice_slot_v024`), never
//     shown from the emulation thread.

#include <span>

#include "base/types.h"
#include "segacd/scd_cache.h"

namespace varn {

inline constexpr const char* kCdSectorOutOfBoundsText = "Requested sector is out of bounds.";

// The table of contents as the drive reset read it (SCSI READ TOC layout, scd_cache.h).
extern CdToc cd_toc_v024;

// Posts a text to the user interface thread; bound by the earlier program's front end, null
// in tests and the headless runner (the text is then only counted).
extern void (*cd_notice_slot_v024)(const char* text);
// Notices posted since the last boot (at most one a kind).
extern u32 cd_notices_posted_v024;

// Boot: forgets the notices posted (each may be posted once again).
void cd_access_boot_v024();

// Reads the table into cd_toc_v024. With a chosen drive: READ TOC; false when it fails (the
// table is then the default one). Without: from the image's track table, each track's start
// the sum of the lengths before it and the lead-out the sum of all; with no tracks (a plain
// image) the default one-track table. Gives the lead-out's frame number (0 for a default
// table).
u32 aspi_read_toc_v024();

// The 2048 user bytes of disc sector `lba` (image sector 0 = LBA 0) into `out`. False, with
// `out` zero-filled, when the sector could not be read.
bool aspi_read_sector_v024(s32 lba, std::span<u8, 2048> out);

// CD audio on the chosen drive (nothing without one; false when the drive refused).
// Plays track `track` (1-based) to the start of the next one, the last track to the end of
// the disc; a track past the last plays nothing.
bool mci_play_cd_track_v024(u32 track);
// Resumes a paused track.
bool mci_play_cd_track_at_v024();
bool mci_pause_cd_v024();
bool mci_stop_cd_v024();
bool mci_door_open_v024();
bool mci_door_close_v024();

}  // namespace varn
