#pragma once
// A SCSI device as the CD drive layer sees it: one command at a time, data flowing from the
// device into a buffer (or no data), a time limit on every command, and the sense bytes
// of a command that ended in CHECK CONDITION. The kernel's SG_IO interface implements it
// for real drives (sg_io_bus.h); tests put a fake drive behind the same interface.

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/types.h"

namespace varn {

enum class ScsiOutcome : u8 {
    kGood,            // the command completed without error
    kCheckCondition,  // the device reported an error; the sense bytes say which
    kTimeout,         // the device did not complete in time: the command failed
    kFailed,          // the host could not carry the command out
};

// The fixed-format sense bytes that are kept: the sense key in byte 2, the additional
// sense code in byte 12 and its qualifier in byte 13.
inline constexpr u32 kScsiSenseBytes = 14;

struct ScsiReply {
    ScsiOutcome outcome = ScsiOutcome::kFailed;
    std::array<u8, kScsiSenseBytes> sense{};

    bool good() const { return outcome == ScsiOutcome::kGood; }
    u8 sense_code() const { return sense[12]; }
    u8 sense_qualifier() const { return sense[13]; }
};

class ScsiDevice {
  public:
    virtual ~ScsiDevice() = default;
    // Sends one command block; a device-to-host transfer of at most `data.size()` bytes
    // lands in `data` (empty: no data phase). Returns after at most `timeout_ms`.
    virtual ScsiReply execute(std::span<const u8> cdb, std::span<u8> data, u32 timeout_ms) = 0;
};

// SCSI peripheral device types that can hold a CD.
inline constexpr u8 kScsiTypeWriteOnce = 4;
inline constexpr u8 kScsiTypeCdRom     = 5;

// One device the host knows, by its place on the host's SCSI buses.
struct ScsiDeviceInfo {
    u32 host    = 0;
    u32 channel = 0;
    u32 id      = 0;
    u32 lun     = 0;
    u8 type     = 0;   // peripheral device type
    std::string path;  // the device node commands are sent to
};

// The host's SCSI devices: the listing and the opening of one of them.
class ScsiBus {
  public:
    virtual ~ScsiBus() = default;
    // Every device the host has, in any order.
    virtual std::vector<ScsiDeviceInfo> devices() = 0;
    // Null when the device cannot be opened.
    virtual std::unique_ptr<ScsiDevice> open(const std::string& path) = 0;
};

}  // namespace varn
