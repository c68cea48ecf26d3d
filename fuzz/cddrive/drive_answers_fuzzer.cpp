// A drive whose every answer comes from the input: its outcome, sense bytes and data for
// each command (INQUIRY names in the scan, the table of contents, sectors), with the
// requests' parameters taken from the input too. Nothing the drive says may make the
// layer read or write out of bounds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/cd_requests.h"
#include "cddrive/scsi_device.h"
#include "cddrive/sg_io_bus.h"

namespace {

using namespace varn;

struct Input {
    std::span<const u8> bytes;
    std::size_t at = 0;
    u8 byte() { return at < bytes.size() ? bytes[at++] : 0; }
    u32 word() { return u32{byte()} << 24 | u32{byte()} << 16 | u32{byte()} << 8 | byte(); }
};

struct InputDrive final : ScsiDevice {
    explicit InputDrive(Input& in) : in(in) {}
    ScsiReply execute(std::span<const u8>, std::span<u8> data, u32) override {
        ScsiReply reply;
        reply.outcome = static_cast<ScsiOutcome>(in.byte() & 3);
        for (u8& b : reply.sense) b = in.byte();
        // The answer's length is the drive's choice too.
        const std::size_t n = std::min<std::size_t>(data.size(), in.byte() * 8u);
        for (std::size_t i = 0; i < n; ++i) data[i] = in.byte();
        return reply;
    }
    Input& in;
};

struct InputBus final : ScsiBus {
    explicit InputBus(Input& in) : in(in) {}
    std::vector<ScsiDeviceInfo> devices() override {
        std::vector<ScsiDeviceInfo> list(in.byte() % 12);
        for (auto& d : list) {
            d = {in.byte() % 4u,
                 in.byte() % 2u,
                 in.byte() % 8u,
                 in.byte() % 2u,
                 static_cast<u8>(in.byte() % 8),
                 "/dev/sr" + std::to_string(in.byte() % 4)};
        }
        return list;
    }
    std::unique_ptr<ScsiDevice> open(const std::string&) override {
        if (in.byte() == 0xFF) return nullptr;
        return std::make_unique<InputDrive>(in);
    }
    Input& in;
};

std::array<std::array<u8, kCdSlotBytes>, 4> slots;
u32 next_slot = 0;
std::array<u8, 804> toc;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{{data, size}};
    InputBus bus(in);
    cd_drive_set_system_bus(&bus);
    cd_request_slots = {
        [](u32) -> std::span<u8> { return slots[next_slot]; },
        [] { next_slot = (next_slot + 1) & 3; },
        []() -> std::span<u8> { return toc; },
        nullptr,
    };
    aspi_init();
    cd_drive_select(in.byte() % 9);
    (void)cd_drive_settings_name();
    (void)cdrom_build_toc_from_drive(toc);
    while (in.at < in.bytes.size()) {
        const u32 code = 0x30000000u + in.byte() % 9;
        cd_request(code, in.word());
    }
    (void)scsi_fixed_sense(std::span<const u8>(data, std::min<size_t>(size, 64)));
    aspi_stop_disc();
    cd_drive_set_system_bus(nullptr);
    cd_drive_table_reset();
    return 0;
}
