#pragma once
// The disc as the emulation thread sees it: a four-slot sector cache that another thread
// fills (the user-interface thread reading a CD image or a real drive), the table of
// contents, and the conversions between frame numbers and packed-BCD times.
//
// Sectors are asked for ahead of need: the drive posts request 0x30000001 (argument: the
// image sector) to the user interface, whose handler fills the next slot with
// `cd_cache_fill`. When the drive needs a sector it copies it out of its slot with
// `cd_read_sector_cached`, waiting, still honouring pause and stop, until it arrives.
//
// Hand-over without a lock: each slot's state word says who may touch its bytes.
//   0 filling     the filler owns the bytes
//   1 ready       the filler has finished; the reader may take it
//   | 2 taken     the reader has copied it at least once
//   | 4 reading   the reader is copying it now; the filler waits before taking the slot
// The filler claims a slot by moving its state from a value without the reading bit to 0,
// and publishes it by storing 1 after the bytes (release); the reader claims it by adding
// the reading bit to a ready state (acquire), copies, and drops the bit again (release).
// Both claims are compare-exchanges on the one state word, so a slot being read is never
// overwritten and a slot being filled is never read.
//
// Times: frame numbers count 75 frames a second from 00:00:00; image sector = frame - 150.
// Packed BCD times are 0x00MMSSFF (conversions in cddrive/cd_msf.h).

#include <array>
#include <atomic>
#include <functional>
#include <span>

#include "base/types.h"
#include "cddrive/cd_msf.h"

namespace varn {

inline constexpr u32 kCdRawSectorBytes = 2352;
inline constexpr u32 kCdUserDataStart  = 16;
inline constexpr u32 kCdUserDataBytes  = 2048;
inline constexpr u32 kCdCacheSlots     = 4;
inline constexpr u32 kCdLeadInFrames   = 150;  // image sector 0 is at 00:02:00

inline constexpr u8 kCdSlotFilling = 0;
inline constexpr u8 kCdSlotReady   = 1;
inline constexpr u8 kCdSlotTaken   = 2;
inline constexpr u8 kCdSlotReading = 4;

struct CdSectorCache {
    std::array<std::atomic<u8>, kCdCacheSlots> state{};
    std::array<std::atomic<s32>, kCdCacheSlots> sector{};  // image sector the slot holds
    std::atomic<u32> fill_index{0};
    std::array<std::array<u8, kCdRawSectorBytes>, kCdCacheSlots> data{};
};
extern CdSectorCache cd_cache;

// ---- filling side (one filler thread at a time) ----

// Takes the slot at the fill index for image sector `sector` (waiting while the emulation
// thread copies out of it) and returns its 2352 bytes for the filler to write: the raw
// sector, the 2048 user bytes at offset 16.
std::span<u8, kCdRawSectorBytes> cd_cache_fill_begin(s32 sector);
// Marks that slot ready and advances the fill index round-robin.
void cd_cache_fill_end();
// Both, with `read` writing the slot; a negative sector only marks the slot ready.
void cd_cache_fill(s32 sector, const std::function<void(std::span<u8, kCdRawSectorBytes>)>& read);

// ---- emulation side ----

// Asks the user interface for image sector `sector` (request 0x30000001).
void cd_request_sector(u32 sector);

// Copies the raw 2352 bytes of image sector `sector` into `out`. Waits while no slot holds
// it; between looks it runs `cd_cache_wait`, and gives up (false, `out` untouched) when that
// returns false: the emulation is being stopped. A sector that has not arrived after a
// while is asked for again, so a request the user interface dropped cannot hold the machine
// forever; without an emulation thread (nobody could stop the wait) it gives up after a few
// such requests.
bool cd_read_sector_cached(u32 sector, std::span<u8, kCdRawSectorBytes> out);

// One look without waiting: true, with `out` filled, when a slot holds the sector ready.
bool cd_cache_peek(u32 sector, std::span<u8, kCdRawSectorBytes> out);

// The wait between looks: by default a yield, with the emulation thread's pause and stop
// check while that thread runs. Returns false to give up.
extern bool (*cd_cache_wait)();

// Clears the fill index, the slots and their bytes (machine close; nothing may fill then).
void cd_clear_read_cache();

// ---- table of contents ----

// The table as a SCSI READ TOC answer: 4-byte header (first track at byte 2, last at byte
// 3), then 8-byte descriptors {0, control (bit 2: data), track, 0, big-endian start frame};
// descriptor i is track i + 1, and the one after the last track is the lead-out. Starts are
// frame numbers from 00:00:00, the drive's positions: a disc's first track at 150
// (00:02:00), where image sector 0 lies. (A drive that answers in block addresses counts
// from that sector: add 150.)
inline constexpr u32 kCdTocBytes       = 804;
inline constexpr u32 kCdTocDescriptors = 100;
using CdToc                            = std::array<u8, kCdTocBytes>;
extern CdToc cd_toc;

// Builds the table of the loaded disc (the CD image's cue sheet, a real drive); null or
// returning false: the default table.
extern bool (*cd_toc_builder)(CdToc& toc);

// Clears the table and builds it (boot).
void cd_read_toc();
// The table of a disc without track information: one data track from 00:00:00, the
// lead-out at 73:59:74 (frame 332999).
void cd_default_toc(CdToc& toc);
// Writes descriptor `index` (track `track`, start frame, control byte).
void cd_toc_set(CdToc& toc, u32 index, u8 track, u32 start, u8 control);

u8 cd_toc_first_track();
u8 cd_toc_last_track();
// Descriptor `index`'s start frame and control byte; 0 for an index outside the table.
u32 cd_toc_start(s32 index);
u8 cd_toc_control(s32 index);
// The descriptor a frame lies in: the last whose start is not after it (-1 before the
// first track); at or past the lead-out, the lead-out's.
s32 cd_track_lookup(u32 frame);

}  // namespace varn
