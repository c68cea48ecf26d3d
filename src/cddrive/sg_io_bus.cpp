#include "cddrive/sg_io_bus.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <system_error>

namespace varn {

namespace {

namespace fs = std::filesystem;

// "H:C:I:L" into four numbers.
bool parse_address(const std::string& name, ScsiDeviceInfo& info) {
    u32* fields[4]  = {&info.host, &info.channel, &info.id, &info.lun};
    const char* p   = name.data();
    const char* end = name.data() + name.size();
    for (int i = 0; i < 4; ++i) {
        const auto [next, ec] = std::from_chars(p, end, *fields[i]);
        if (ec != std::errc{} || next == p) return false;
        p = next;
        if (i < 3) {
            if (p == end || *p != ':') return false;
            ++p;
        }
    }
    return p == end;
}

// The first entry of a sysfs folder (device/block holds the one node name).
std::string first_entry(const fs::path& folder) {
    std::error_code ec;
    std::string best;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (best.empty() || name < best) best = name;
    }
    return best;
}

constexpr u8 kStatusCheckCondition = 0x02;
constexpr u16 kHostTimeOut         = 0x03;  // DID_TIME_OUT
constexpr u16 kDriverTimeOut       = 0x06;  // DRIVER_TIMEOUT
constexpr u16 kDriverSense         = 0x08;  // DRIVER_SENSE

}  // namespace

SgIoBus::SgIoBus(fs::path sysfs_class, fs::path dev)
    : sysfs_class_(std::move(sysfs_class)), dev_(std::move(dev)) {}

std::vector<ScsiDeviceInfo> SgIoBus::devices() {
    std::vector<ScsiDeviceInfo> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysfs_class_, ec)) {
        ScsiDeviceInfo info;
        if (!parse_address(entry.path().filename().string(), info)) continue;
        const fs::path device = entry.path() / "device";
        std::ifstream type_file(device / "type");
        int type = -1;
        if (!(type_file >> type) || type < 0 || type > 0x1F) continue;
        info.type        = static_cast<u8>(type);
        std::string node = first_entry(device / "block");
        if (node.empty()) node = first_entry(device / "scsi_generic");
        if (node.empty()) continue;
        info.path = (dev_ / node).string();
        found.push_back(std::move(info));
    }
    return found;
}

std::unique_ptr<ScsiDevice> SgIoBus::open(const std::string& path) {
    // Read-write where allowed (the tray and stop commands want it), read-only otherwise;
    // non-blocking, so that a drive without a disc opens at once.
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    int version = 0;
    if (::ioctl(fd, SG_GET_VERSION_NUM, &version) < 0 || version < 30000) {
        ::close(fd);  // not a device that speaks SG_IO
        return nullptr;
    }
    return std::make_unique<SgIoDevice>(fd);
}

SgIoDevice::~SgIoDevice() {
    if (fd_ >= 0) ::close(fd_);
}

ScsiReply SgIoDevice::execute(std::span<const u8> cdb, std::span<u8> data, u32 timeout_ms) {
    ScsiReply reply;
    std::array<u8, 64> sense{};
    std::array<u8, 16> command{};
    const std::size_t cdb_len = std::min(cdb.size(), command.size());
    std::copy_n(cdb.begin(), cdb_len, command.begin());

    sg_io_hdr_t io{};
    io.interface_id    = 'S';
    io.dxfer_direction = data.empty() ? SG_DXFER_NONE : SG_DXFER_FROM_DEV;
    io.cmd_len         = static_cast<unsigned char>(cdb_len);
    io.mx_sb_len       = static_cast<unsigned char>(sense.size());
    io.dxfer_len       = static_cast<unsigned>(data.size());
    io.dxferp          = data.empty() ? nullptr : data.data();
    io.cmdp            = command.data();
    io.sbp             = sense.data();
    io.timeout         = timeout_ms;

    if (::ioctl(fd_, SG_IO, &io) < 0) {
        reply.outcome = errno == ETIMEDOUT ? ScsiOutcome::kTimeout : ScsiOutcome::kFailed;
        return reply;
    }
    if (io.host_status == kHostTimeOut || (io.driver_status & 0x0F) == kDriverTimeOut) {
        reply.outcome = ScsiOutcome::kTimeout;
        return reply;
    }
    if ((io.info & SG_INFO_OK_MASK) == SG_INFO_OK) {
        reply.outcome = ScsiOutcome::kGood;
        return reply;
    }
    if (io.status == kStatusCheckCondition || (io.driver_status & 0x0F) == kDriverSense) {
        reply.outcome = ScsiOutcome::kCheckCondition;
        reply.sense   = scsi_fixed_sense(std::span<const u8>(sense.data(), io.sb_len_wr));
        return reply;
    }
    reply.outcome = ScsiOutcome::kFailed;
    return reply;
}

std::array<u8, kScsiSenseBytes> scsi_fixed_sense(std::span<const u8> sense) {
    std::array<u8, kScsiSenseBytes> fixed{};
    if (sense.empty()) return fixed;
    const u8 response = sense[0] & 0x7F;
    if (response == 0x72 || response == 0x73) {
        // Descriptor format: key, code and qualifier in bytes 1-3.
        fixed[0] = 0x70;
        if (sense.size() > 1) fixed[2] = sense[1] & 0x0F;
        if (sense.size() > 2) fixed[12] = sense[2];
        if (sense.size() > 3) fixed[13] = sense[3];
        return fixed;
    }
    std::copy_n(sense.begin(), std::min<std::size_t>(sense.size(), fixed.size()), fixed.begin());
    return fixed;
}

}  // namespace varn
