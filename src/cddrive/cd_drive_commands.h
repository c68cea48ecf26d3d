#pragma once
// The commands the CD requests send to the chosen drive, one at a time on the
// user-interface thread. The drive's device stays open from the Boot Sega CD command (which
// opens it as the drive's audio device) until the machine closes or the program ends; a
// command before that opens it.
//
// Every command has a time limit. A drive that lets one run out is taken to be hung: the
// commands after it fail at once, without waiting, until the device is opened again (the
// next Boot Sega CD), so a hung drive never freezes the window.

#include <span>

#include "base/types.h"
#include "cddrive/scsi_device.h"

namespace varn {

// Sends one command to the chosen drive. Without a chosen drive, or when its device cannot
// be opened, the command fails.
ScsiReply cd_drive_command(std::span<const u8> cdb, std::span<u8> data, u32 timeout_ms);

// Opens the chosen drive's device afresh (closing the one open before) and clears a hung
// mark; closes it, stopping the disc first.
void mci_open_cdaudio();
void mci_close_cdaudio();
bool mci_cdaudio_open();
bool cd_drive_hung();

// What TEST UNIT READY found.
enum class CdUnitState : u8 {
    kUnknown,   // failed for another reason, or no answer
    kReady,     // a disc is in and ready
    kNoMedium,  // sense 3A/00: medium not present
};
CdUnitState aspi_test_unit_ready();
// The whole 804-byte table into `toc`; on failure `toc` keeps what it held.
bool aspi_read_toc(std::span<u8> toc);
// One 2048-byte block into `block`; on failure `block` keeps what it held.
bool aspi_read_sector(u32 lba, std::span<u8> block);
// Plays audio between two packed-BCD SCSI times.
bool aspi_play_audio_msf(u32 start_bcd, u32 end_bcd);
bool aspi_pause_audio();
bool aspi_resume_audio();
bool aspi_stop_unit();
bool aspi_eject();
bool aspi_load();

// Program exit: stops the chosen drive's disc and closes its device.
void aspi_stop_disc();

}  // namespace varn
