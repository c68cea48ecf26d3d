#pragma once
// The SCSI command blocks the CD drive layer sends, and the time each may take. Multi-byte
// fields are big-endian, as SCSI has them.

#include <array>

#include "base/types.h"

namespace varn {

using Cdb6  = std::array<u8, 6>;
using Cdb10 = std::array<u8, 10>;

inline constexpr u32 kInquiryBytes   = 32;   // vendor and product end at byte 31
inline constexpr u32 kTocBytes       = 804;  // header and 100 descriptors of 8 bytes
inline constexpr u32 kDataBlockBytes = 2048;

// Time limits, in milliseconds. A drive that does not answer in time has failed the
// command: the window waits no longer than this for any one of them. Reads, the table of
// contents and playing may have to wait for the disc to spin up; the rest answer at once
// (the tray and stop commands are sent with the immediate bit).
inline constexpr u32 kScsiQuickTimeoutMs = 3000;
inline constexpr u32 kScsiSpinTimeoutMs  = 8000;

Cdb6 cdb_test_unit_ready();
Cdb6 cdb_inquiry();
// READ TOC in block-address form, from track 1, for the whole 804-byte table.
Cdb10 cdb_read_toc();
// READ(10) of one block.
Cdb10 cdb_read_block(u32 lba);
// PLAY AUDIO MSF between two packed-BCD times 0x00MMSSFF, each field sent in binary.
Cdb10 cdb_play_audio_msf(u32 start_bcd, u32 end_bcd);
// PAUSE/RESUME: resume bit clear pauses, set resumes.
Cdb10 cdb_pause_resume(bool resume);
// START STOP UNIT with the immediate bit: stop the disc, open the tray, close the tray.
Cdb6 cdb_stop_unit();
Cdb6 cdb_eject();
Cdb6 cdb_load();

// A packed-BCD byte (two decimal digits) as a binary number.
constexpr u8 bcd_byte_to_binary(u32 bcd) {
    return static_cast<u8>(((bcd >> 4) & 0x0F) * 10 + (bcd & 0x0F));
}

}  // namespace varn
