#pragma once
// The CD work the emulation thread asks the user interface for (thread requests
// 0x30000000-0x30000007): sectors into the sector cache, the disc's table of contents, CD
// audio played by the chosen drive, the tray. Each request runs on the user-interface
// thread, one at a time, in the order posted. With no real drive chosen, sectors come from
// the loaded disc image and the drive-only requests do nothing.

#include <atomic>
#include <span>

#include "base/types.h"
#include "runtime/thread_link.h"

namespace varn {

// The drive's audio follows the emulator's sound: the sound output asks for a pause when it
// stops and for this resume when it starts again, which resumes the drive only when its
// audio was playing and running at the pause.
inline constexpr u32 kCdResumeWithSound = 1;

inline constexpr u32 kCdSlotBytes     = 2352;
inline constexpr u32 kCdSlotDataStart = 16;  // the 2048 user bytes of a slot start here

// Where the requests' results go: the sector cache's filling side, the emulated drive's
// table of contents and its tray notices. Bound by the Sega CD unit; null entries make
// the matching work do nothing.
struct CdRequestSlots {
    // Takes the cache slot at the fill index for `lba` (state "being filled", its sector
    // number stored) and returns its 2352 bytes.
    std::span<u8> (*fill_begin)(u32 lba);
    // Marks that slot filled and advances the fill index.
    void (*fill_end)();
    // The emulated drive's 804-byte table of contents.
    std::span<u8> (*toc)();
    // Fills one image sector's user data from the loaded disc image (no real drive).
    void (*image_read)(u32 lba, std::span<u8> user_data);
};
extern CdRequestSlots cd_request_slots;

// Drive audio: the playing word, the resume word (the drive is resumed together with the
// sound) and the running word, each 0 or 1.
struct CdAudioWords {
    u32 playing = 0;
    u32 resume  = 0;
    u32 running = 0;
};
extern CdAudioWords cd_audio_playing;

// Tray changes for the emulated drive, handed over as flags that the drive applies on its
// own thread at its next tick (never changed under it from the window's thread): what the
// drive poll found, and the tray requests carried out.
inline constexpr u32 kTrayNoticeOpen    = 1;  // the poll found no disc
inline constexpr u32 kTrayNoticeClose   = 2;  // the poll found a disc ready
inline constexpr u32 kTrayNoticeEjected = 4;  // the tray was opened on request
inline constexpr u32 kTrayNoticeLoaded  = 8;  // the tray was closed on request
inline std::atomic<u32> cd_tray_notice{0};
// Emulation thread: the pending flags, cleared (0 when none). Checked on every tick of the
// drive: a plain look first, the exchange only when something is set.
inline u32 cd_tray_notice_take() {
    if (cd_tray_notice.load(std::memory_order_relaxed) == 0) return 0;
    return cd_tray_notice.exchange(0, std::memory_order_acq_rel);
}

// The request handler: runs one request.
void cd_request(u32 code, u32 param);

void cd_request_poll();
void cdrom_read_sector(u32 lba);
void cd_request_play(u32 start_bcd);
void cd_request_stop();
void cd_request_pause();
void cd_request_resume();
void cd_request_load();
void cd_request_eject();

// Fills the emulated drive's table of contents from the chosen drive; false when no drive
// is chosen or it could not be read (the table then stays as it was).
bool cdrom_build_toc_from_drive(std::span<u8> toc);

// Loading a disc image ends the real drive's part: its audio is stopped and the requests
// go to the image again.
void cd_drive_release();

// Clears the audio words and the tray state (machine close, tests).
void cd_requests_reset();

}  // namespace varn
