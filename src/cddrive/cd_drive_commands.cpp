#include "cddrive/cd_drive_commands.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "cddrive/cd_drive_table.h"
#include "cddrive/scsi_commands.h"

namespace varn {

namespace {

struct OpenDrive {
    std::unique_ptr<ScsiDevice> device;
    std::string path;  // the node it was opened from
    bool hung = false;
};
OpenDrive open_drive;

bool open_chosen() {
    open_drive = {};
    if (cd_drive_selected == 0 || cd_drive_address.path.empty()) return false;
    open_drive.device = cd_drive_system_bus().open(cd_drive_address.path);
    open_drive.path   = cd_drive_address.path;
    return open_drive.device != nullptr;
}

// A command with data lands in a buffer of its own first: a failed command may have moved
// part of a transfer, and the caller's bytes stay as they were unless it succeeded.
bool command_into(std::span<const u8> cdb, std::span<u8> out, u32 timeout_ms) {
    std::vector<u8> data(out.size());
    if (!cd_drive_command(cdb, data, timeout_ms).good()) return false;
    std::copy(data.begin(), data.end(), out.begin());
    return true;
}

bool command(std::span<const u8> cdb, u32 timeout_ms) {
    return cd_drive_command(cdb, {}, timeout_ms).good();
}

}  // namespace

ScsiReply cd_drive_command(std::span<const u8> cdb, std::span<u8> data, u32 timeout_ms) {
    ScsiReply failed;
    if (cd_drive_selected == 0) return failed;
    // Another drive chosen since the device was opened: the commands follow the choice.
    if (!open_drive.device || open_drive.path != cd_drive_address.path) {
        if (!open_chosen()) return failed;
    }
    if (open_drive.hung) {
        failed.outcome = ScsiOutcome::kTimeout;
        return failed;
    }
    const ScsiReply reply = open_drive.device->execute(cdb, data, timeout_ms);
    if (reply.outcome == ScsiOutcome::kTimeout) open_drive.hung = true;
    return reply;
}

void mci_open_cdaudio() { open_chosen(); }

void mci_close_cdaudio() {
    if (open_drive.device && !open_drive.hung) aspi_stop_unit();
    open_drive = {};
}

bool mci_cdaudio_open() { return open_drive.device != nullptr; }

bool cd_drive_hung() { return open_drive.hung; }

CdUnitState aspi_test_unit_ready() {
    const Cdb6 cdb        = cdb_test_unit_ready();
    const ScsiReply reply = cd_drive_command(cdb, {}, kScsiQuickTimeoutMs);
    if (reply.good()) return CdUnitState::kReady;
    if (reply.outcome == ScsiOutcome::kCheckCondition && reply.sense_code() == 0x3A &&
        reply.sense_qualifier() == 0x00) {
        return CdUnitState::kNoMedium;
    }
    return CdUnitState::kUnknown;
}

bool aspi_read_toc(std::span<u8> toc) {
    const Cdb10 cdb = cdb_read_toc();
    return command_into(cdb, toc.first(std::min<std::size_t>(toc.size(), kTocBytes)),
                        kScsiSpinTimeoutMs);
}

bool aspi_read_sector(u32 lba, std::span<u8> block) {
    const Cdb10 cdb = cdb_read_block(lba);
    return command_into(cdb, block.first(std::min<std::size_t>(block.size(), kDataBlockBytes)),
                        kScsiSpinTimeoutMs);
}

bool aspi_play_audio_msf(u32 start_bcd, u32 end_bcd) {
    const Cdb10 cdb = cdb_play_audio_msf(start_bcd, end_bcd);
    return command(cdb, kScsiSpinTimeoutMs);
}

bool aspi_pause_audio() {
    const Cdb10 cdb = cdb_pause_resume(false);
    return command(cdb, kScsiQuickTimeoutMs);
}

bool aspi_resume_audio() {
    const Cdb10 cdb = cdb_pause_resume(true);
    return command(cdb, kScsiQuickTimeoutMs);
}

bool aspi_stop_unit() {
    const Cdb6 cdb = cdb_stop_unit();
    return command(cdb, kScsiQuickTimeoutMs);
}

bool aspi_eject() {
    const Cdb6 cdb = cdb_eject();
    return command(cdb, kScsiQuickTimeoutMs);
}

bool aspi_load() {
    const Cdb6 cdb = cdb_load();
    return command(cdb, kScsiQuickTimeoutMs);
}

void aspi_stop_disc() {
    if (cd_drive_selected != 0 && !open_drive.hung) aspi_stop_unit();
    open_drive = {};
}

}  // namespace varn
