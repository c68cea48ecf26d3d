#include "cddrive/cd_drive_table.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "base/config.h"
#include "cddrive/scsi_commands.h"
#include "cddrive/sg_io_bus.h"
#include "settings/config_paths.h"

namespace varn {

namespace {

constexpr std::string_view kNoDriveName = "<none>";

CdDriveRecord none_record() {
    CdDriveRecord r;
    std::memcpy(r.name.data(), kNoDriveName.data(), kNoDriveName.size());
    return r;
}

}  // namespace

std::array<CdDriveRecord, kCdDriveRecordCount> cd_drive_records = {none_record()};
u8 cd_drive_count                                               = 0;
std::array<std::string, kCdDriveRecordCount> cd_drive_paths;
bool cd_drive_table_built = false;
u8 cd_drive_selected      = 0;
CdDriveAddress cd_drive_address;

namespace {

ScsiBus* system_bus_override = nullptr;

// A name is written to the settings file as one line: line ends inside it would split the
// line and lose the keys after it.
char name_byte(u8 b) { return b == '\r' || b == '\n' ? ' ' : static_cast<char>(b); }

}  // namespace

std::string_view CdDriveRecord::name_text() const {
    const auto end = std::find(name.begin(), name.end(), '\0');
    return {name.data(), static_cast<std::size_t>(end - name.begin())};
}

void cd_drive_table_reset() {
    cd_drive_records.fill(CdDriveRecord{});
    cd_drive_records[0] = none_record();
    cd_drive_paths.fill({});
    cd_drive_count       = 0;
    cd_drive_table_built = false;
    cd_drive_selected    = 0;
    cd_drive_address     = {};
}

u32 cd_drive_scan(ScsiBus& bus) {
    cd_drive_table_reset();
    std::vector<ScsiDeviceInfo> devices = bus.devices();
    std::stable_sort(devices.begin(), devices.end(), [](const auto& a, const auto& b) {
        return std::tie(a.host, a.channel, a.id, a.lun) < std::tie(b.host, b.channel, b.id, b.lun);
    });
    for (const ScsiDeviceInfo& info : devices) {
        if (cd_drive_count >= kCdDriveMax) break;  // the table is full
        if (info.type != kScsiTypeCdRom && info.type != kScsiTypeWriteOnce) continue;
        const std::unique_ptr<ScsiDevice> device = bus.open(info.path);
        if (!device) continue;
        std::array<u8, kInquiryBytes> inquiry{};
        const Cdb6 cdb = cdb_inquiry();
        if (!device->execute(cdb, inquiry, kScsiQuickTimeoutMs).good()) continue;
        const u32 index  = ++cd_drive_count;
        CdDriveRecord& r = cd_drive_records[index];
        // The bus numbers are kept in bytes; the channel has no byte of its own and goes
        // into the order only.
        r.adapter = static_cast<u8>(info.host);
        r.target  = static_cast<u8>(info.id);
        r.lun     = static_cast<u8>(info.lun);
        for (u32 i = 0; i < kCdDriveNameBytes; ++i) r.name[i] = name_byte(inquiry[8 + i]);
        cd_drive_paths[index] = info.path;
    }
    cd_drive_table_built = true;
    return cd_drive_count;
}

u32 cd_drive_find(std::string_view saved) {
    saved = saved.substr(0, std::min(saved.find('\0'), std::size_t{kCdDriveNameBytes}));
    if (saved.empty()) return 0;
    for (u32 i = 1; i <= cd_drive_count; ++i) {
        if (cd_drive_records[i].name_text() == saved) return i;
    }
    return 0;
}

void cd_drive_select(u32 index) {
    if (index > cd_drive_count) index = 0;
    cd_drive_selected = static_cast<u8>(index);
    cfg_set(cfg_cd_drive, index);
    const CdDriveRecord& r = cd_drive_records[index];
    cd_drive_address       = {r.adapter, r.target, r.lun, r.letter, cd_drive_paths[index]};
}

CdDriveNameField cd_drive_name_field(u32 index) {
    const CdDriveRecord& r = cd_drive_records[index <= cd_drive_count ? index : 0];
    CdDriveNameField field{};
    std::copy(r.name.begin(), r.name.end(), field.begin());
    if (index > cd_drive_count || (index == 0 && field[0] == '\0')) {
        field.fill('\0');
        std::memcpy(field.data(), kNoDriveName.data(), kNoDriveName.size());
    }
    return field;
}

CdDriveNameField cd_drive_settings_name() {
    if (cd_drive_table_built) return cd_drive_name_field(cfg(cfg_cd_drive));
    if (cfg_cd_drive_text.empty()) return cd_drive_name_field(0);
    CdDriveNameField field{};
    for (std::size_t i = 0; i < field.size() && i < cfg_cd_drive_text.size(); ++i) {
        field[i] = name_byte(static_cast<u8>(cfg_cd_drive_text[i]));
    }
    return field;
}

void aspi_init() { aspi_init(cd_drive_system_bus()); }

void aspi_init(ScsiBus& bus) {
    cd_drive_scan(bus);
    cd_drive_select(cd_drive_find(cfg_cd_drive_text));
}

ScsiBus& cd_drive_system_bus() {
    static SgIoBus kernel_bus;
    return system_bus_override ? *system_bus_override : kernel_bus;
}

void cd_drive_set_system_bus(ScsiBus* bus) { system_bus_override = bus; }

}  // namespace varn
