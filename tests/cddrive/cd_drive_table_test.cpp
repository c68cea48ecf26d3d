// The drive table: the scan's order and names, its limits, the lookup of a saved name, the
// choice, and the kernel listing read from a sysfs tree.

#include "cddrive/cd_drive_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "cddrive/fake_drive.h"
#include "cddrive/sg_io_bus.h"

namespace varn {
namespace {

using test::FakeBus;
using test::FakeDrive;

ScsiDeviceInfo at(u32 host, u32 channel, u32 id, u32 lun, u8 type, std::string path) {
    return {host, channel, id, lun, type, std::move(path)};
}

class CdDriveTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cd_drive_table_reset();
        cfg_set(cfg_cd_drive, 0);
    }
    void TearDown() override { cd_drive_table_reset(); }
};

TEST_F(CdDriveTableTest, RecordZeroIsNoneBeforeAnyScan) {
    EXPECT_EQ(cd_drive_records[0].name_text(), "<none>");
    EXPECT_EQ(cd_drive_count, 0);
    const auto* bytes = reinterpret_cast<const u8*>(&cd_drive_records[1]);
    EXPECT_EQ(bytes - reinterpret_cast<const u8*>(&cd_drive_records[0]), 32);
}

TEST_F(CdDriveTableTest, ScanOrdersByBusPlaceAndKeepsOnlyCdDrivesThatAnswer) {
    FakeDrive a("VENDOR_A PRODUCT_A      "), b("VENDOR_B PRODUCT_B      ");
    FakeDrive worm("WORMCO  WRITE ONCE      "), disk("DISKCO  HARD DISK       ");
    FakeDrive mute("MUTE    NO INQUIRY      ");
    mute.inquiry_fails = true;
    FakeBus bus;
    bus.entries = {
        {at(1, 0, 3, 0, kScsiTypeCdRom, "/dev/sr2"), &b},
        {at(0, 0, 0, 0, 0, "/dev/sda"), &disk},  // a disk is no CD drive
        {at(1, 0, 0, 0, kScsiTypeCdRom, "/dev/sr1"), &a},
        {at(0, 1, 0, 0, kScsiTypeWriteOnce, "/dev/sg4"), &worm},
        {at(0, 0, 2, 0, kScsiTypeCdRom, "/dev/sr0"), &mute},    // fails its INQUIRY
        {at(0, 0, 1, 0, kScsiTypeCdRom, "/dev/sr9"), nullptr},  // cannot be opened
    };
    EXPECT_EQ(cd_drive_scan(bus), 3u);
    ASSERT_EQ(cd_drive_count, 3);
    EXPECT_TRUE(cd_drive_table_built);
    // Channel 1 of host 0 comes before host 1; on host 1 target 0 before target 3.
    EXPECT_EQ(cd_drive_records[1].name_text(), "WORMCO  WRITE ONCE      ");
    EXPECT_EQ(cd_drive_records[2].name_text(), "VENDOR_A PRODUCT_A      ");
    EXPECT_EQ(cd_drive_records[3].name_text(), "VENDOR_B PRODUCT_B      ");
    EXPECT_EQ(cd_drive_paths[1], "/dev/sg4");
    EXPECT_EQ(cd_drive_paths[2], "/dev/sr1");
    EXPECT_EQ(cd_drive_paths[3], "/dev/sr2");
    const CdDriveRecord& r = cd_drive_records[3];
    EXPECT_EQ(r.adapter, 1);
    EXPECT_EQ(r.target, 3);
    EXPECT_EQ(r.lun, 0);
    EXPECT_EQ(r.letter, 0);
    EXPECT_EQ(r.terminator, (std::array<u8, 4>{}));
    EXPECT_EQ(cd_drive_records[0].name_text(), "<none>");
    EXPECT_TRUE(cd_drive_records[4].name_text().empty());
}

TEST_F(CdDriveTableTest, TableStopsAtSevenDrivesAndNamesLoseTheirLineEnds) {
    std::vector<std::unique_ptr<FakeDrive>> drives;
    FakeBus bus;
    for (u32 i = 0; i < 9; ++i) {
        drives.push_back(std::make_unique<FakeDrive>("DRIVE " + std::to_string(i) + "\r\nX"));
        bus.entries.push_back(
            {at(0, 0, i, 0, kScsiTypeCdRom, "/dev/sr" + std::to_string(i)), drives.back().get()});
    }
    EXPECT_EQ(cd_drive_scan(bus), 7u);
    EXPECT_EQ(cd_drive_records[7].name_text().substr(0, 10), "DRIVE 6  X");
    EXPECT_EQ(bus.opened.size(), 7u) << "no drive is opened once the table is full";
    for (u32 i = 1; i <= 7; ++i) {
        EXPECT_EQ(cd_drive_records[i].name_text().find_first_of("\r\n"), std::string::npos);
    }
}

TEST_F(CdDriveTableTest, SavedNameIsMatchedWithinOneNameFieldOnly) {
    FakeDrive a("ALPHA   DRIVE ONE       "), b("BETA    DRIVE TWO       ");
    FakeBus bus;
    bus.entries = {{at(0, 0, 0, 0, kScsiTypeCdRom, "/dev/sr0"), &a},
                   {at(0, 0, 1, 0, kScsiTypeCdRom, "/dev/sr1"), &b}};
    cd_drive_scan(bus);
    EXPECT_EQ(cd_drive_find("BETA    DRIVE TWO       "), 2u);
    // The file stores the field's 24 bytes; NULs after a shorter name end it.
    EXPECT_EQ(cd_drive_find(std::string("ALPHA   DRIVE ONE       \0\0", 26)), 1u);
    const struct {
        const char* saved;
        const char* why;
    } misses[] = {
        {"", "no key"},
        {"GAMMA", "no such drive"},
        {"DRIVE ONE       BETA    ", "spans the end of one name and the start of the next"},
        {"ALPHA", "only the start of a name"},
        {"<none>", "record 0 is no drive"},
    };
    for (const auto& m : misses) EXPECT_EQ(cd_drive_find(m.saved), 0u) << m.why;
}

TEST_F(CdDriveTableTest, SelectCopiesTheAddressAndNamesTheField) {
    FakeDrive a("ALPHA   DRIVE ONE       ");
    FakeBus bus;
    bus.entries = {{at(2, 0, 5, 1, kScsiTypeCdRom, "/dev/sr3"), &a}};
    cd_drive_scan(bus);
    cd_drive_select(1);
    EXPECT_EQ(cd_drive_selected, 1);
    EXPECT_EQ(cfg(cfg_cd_drive), 1u);
    EXPECT_EQ(cd_drive_address.adapter, 2);
    EXPECT_EQ(cd_drive_address.target, 5);
    EXPECT_EQ(cd_drive_address.lun, 1);
    EXPECT_EQ(cd_drive_address.path, "/dev/sr3");
    const CdDriveNameField one = cd_drive_name_field(1);
    EXPECT_EQ(std::string(one.data(), one.size()), "ALPHA   DRIVE ONE       ");
    cd_drive_select(5);  // past the table: none
    EXPECT_EQ(cd_drive_selected, 0);
    EXPECT_EQ(cfg(cfg_cd_drive), 0u);
    EXPECT_TRUE(cd_drive_address.path.empty());
    const CdDriveNameField none = cd_drive_name_field(5);
    EXPECT_EQ(std::string(none.data(), none.size()), std::string("<none>") + std::string(18, '\0'));
}

// A sysfs tree as the kernel lays it out, with a CD drive that has a block node, one that
// has only a generic node, a disk, and entries that are not devices.
TEST(SgIoBusListing, ReadsTypesAndNodesFromTheDeviceClass) {
    namespace fs        = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("varn_sysfs_" + std::to_string(::getpid()));
    fs::remove_all(root);
    auto device = [&](const std::string& address, const char* type, const char* kind,
                      const char* node) {
        const fs::path d = root / address / "device";
        fs::create_directories(d);
        if (type) std::ofstream(d / "type") << type << "\n";
        if (kind) fs::create_directories(d / kind / node);
    };
    device("3:0:1:0", "5", "block", "sr1");
    device("0:0:0:0", "0", "block", "sda");
    device("1:0:2:0", "4", "scsi_generic", "sg2");
    device("2:0:0:0", "5", nullptr, nullptr);  // no node: left out
    device("not:an:address", "5", "block", "sr7");
    device("4:0:0:0", nullptr, "block", "sr8");  // no type: left out
    SgIoBus bus(root, "/devx");
    std::vector<ScsiDeviceInfo> found = bus.devices();
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.host < b.host; });
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].path, "/devx/sda");
    EXPECT_EQ(found[1].type, kScsiTypeWriteOnce);
    EXPECT_EQ(found[1].path, "/devx/sg2");
    EXPECT_EQ(found[2].host, 3u);
    EXPECT_EQ(found[2].id, 1u);
    EXPECT_EQ(found[2].type, kScsiTypeCdRom);
    EXPECT_EQ(found[2].path, "/devx/sr1");
    EXPECT_EQ(bus.open(root.string() + "/3:0:1:0/device/type"), nullptr)
        << "a file that does not speak SG_IO is no device";
    fs::remove_all(root);
}

TEST(SgIoBusSense, DescriptorSenseLandsInTheFixedPlaces) {
    const u8 descriptor[] = {0x72, 0x02, 0x3A, 0x01, 0, 0, 0, 0};
    const auto fixed      = scsi_fixed_sense(descriptor);
    EXPECT_EQ(fixed[2], 0x02);
    EXPECT_EQ(fixed[12], 0x3A);
    EXPECT_EQ(fixed[13], 0x01);
    const u8 fixed_in[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00};
    EXPECT_EQ(scsi_fixed_sense(fixed_in)[12], 0x24);
    EXPECT_EQ(scsi_fixed_sense({})[12], 0);
}

}  // namespace
}  // namespace varn
