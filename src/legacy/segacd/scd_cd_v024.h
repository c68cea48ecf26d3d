#pragma once
// The earlier release's CD drive and CD controller of the Sega CD. The drive reads its table
// of contents and its data sectors and starts CD audio itself, through the CD access of
// cd_access_v024.h, on the emulation thread.
//
// Drive: a countdown of 2201 sub-CPU slices; at each expiry a playing drive steps its
// position (a frame number, image sector 0 at frame 150) by `step`. Reaching the end of its
// track it takes the next track from the table (past the last one it stops); an audio track
// is started on the CD drive, a data track's sectors go into the controller.
//
// Controller: the sector ring of the main program (scd_cdc_buffer, 64 KB) and its records
// (cdc, scd_drive.h); each sector takes 2352 bytes of the ring: 12 left as they are, the
// 4-byte header (BCD minute, second, frame, mode 1), the 2048 user bytes. Transfers and the
// host-data register are the main program's (they wrap within the ring and within their
// target memory or bank).

#include <array>

#include "base/types.h"

namespace varn {

inline constexpr u32 kCddTickReloadV024 = 2201;
inline constexpr u32 kCdRingStrideV024  = 2352;

// One track of the drive's table.
struct CddTrackV024 {
    u8 control = 0;  // bit 2: data
    u32 start  = 0;  // frame numbers, image sector 0 at 150
    u32 end    = 0;  // the next track's start (the last track's: the lead-out)
};

struct CddStateV024 {
    u32 countdown   = kCddTickReloadV024;
    u32 position    = 0;  // frame number
    u32 step        = 0;  // 0 paused, 1 playing
    u8 playing      = 0;
    u8 track        = 0;  // 1-based; 0 none
    u32 track_start = 0, track_end = 0;
    u8 data_track  = 0;
    u32 relative   = 0;  // frames into the track
    u8 first_track = 0, last_track = 0;
    u32 lead_out = 0;
    std::array<CddTrackV024, 100> toc{};  // index = track number - 1
};
extern CddStateV024 cdd_v024;

// Power-on: the controller's registers and the drive (which reads the table of contents).
void cdd_cdc_reset_regs_v024();
void cdd_reset_v024();
// The stopped, no-track state.
void cdd_reset_track_state_v024();
// Once per sub-CPU slice.
void cdd_tick_v024();
// The current position's sector into the ring (a data track while the drive plays).
void cdc_load_sector_v024();

// Drive commands, the CD audio they need started or stopped directly.
void cdd_stop_v024();
// Seeks to the packed-BCD time `bcd_msf` (0x00MMSSFF) and plays from there.
void cdd_play_v024(u32 bcd_msf);
void cdd_pause_v024();
void cdd_resume_v024();

}  // namespace varn
