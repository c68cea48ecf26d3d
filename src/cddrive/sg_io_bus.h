#pragma once
// The kernel's SCSI devices. The listing reads the SCSI device class in sysfs
// (/sys/class/scsi_device/H:C:I:L: the peripheral type in device/type, the device nodes in
// device/block/srN and device/scsi_generic/sgN); a CD-ROM drive is addressed through its
// srN node when it has one, else through its sgN node. Commands go through the SG_IO
// ioctl with the kernel enforcing each command's time limit.

#include <filesystem>

#include "cddrive/scsi_device.h"

namespace varn {

class SgIoBus final : public ScsiBus {
  public:
    explicit SgIoBus(std::filesystem::path sysfs_class = "/sys/class/scsi_device",
                     std::filesystem::path dev         = "/dev");

    std::vector<ScsiDeviceInfo> devices() override;
    std::unique_ptr<ScsiDevice> open(const std::string& path) override;

  private:
    std::filesystem::path sysfs_class_;
    std::filesystem::path dev_;
};

// One open device node driven through SG_IO.
class SgIoDevice final : public ScsiDevice {
  public:
    explicit SgIoDevice(int fd) : fd_(fd) {}
    ~SgIoDevice() override;
    SgIoDevice(const SgIoDevice&)            = delete;
    SgIoDevice& operator=(const SgIoDevice&) = delete;

    ScsiReply execute(std::span<const u8> cdb, std::span<u8> data, u32 timeout_ms) override;

  private:
    int fd_;
};

// Sense bytes as the kernel returned them (fixed or descriptor format) in the fixed
// format's places: key in byte 2, additional sense code and qualifier in bytes 12 and 13.
std::array<u8, kScsiSenseBytes> scsi_fixed_sense(std::span<const u8> sense);

}  // namespace varn
