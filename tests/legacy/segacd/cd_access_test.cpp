// The earlier release's CD access: the table of contents and sectors from the image's track
// table or from a drive (the drive layer's fake drive), CD audio on the drive.

#include <gtest/gtest.h>

#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/fake_drive.h"
#include "legacy/segacd/cd_access_v024.h"
#include "media/cue_sheet.h"
#include "media/image_loader.h"

namespace varn::test {
namespace {

u32 toc_start(u32 index) {
    const u8* d = cd_toc_v024.data() + 4 + 8 * index;
    return u32{d[4]} << 24 | u32{d[5]} << 16 | u32{d[6]} << 8 | d[7];
}

class LegacyCdAccess : public ::testing::Test {
  protected:
    void SetUp() override {
        cd_drive_table_reset();
        cue_clear_tables();
        image_loader.cd_memory_image.clear();
        cd_access_boot_v024();
        notices             = 0;
        cd_notice_slot_v024 = [](const char*) { ++notices; };
        bus.entries         = {{{0, 0, 0, 0, kScsiTypeCdRom, "/dev/sr0"}, &drive}};
        cd_drive_set_system_bus(&bus);
    }
    void TearDown() override {
        aspi_stop_disc();
        cd_drive_set_system_bus(nullptr);
        cd_drive_table_reset();
        cue_clear_tables();
        image_loader.cd_memory_image.clear();
        cd_notice_slot_v024 = nullptr;
    }
    void choose_drive() {
        cd_drive_scan(bus);
        cd_drive_select(1);
        log.commands.clear();
    }

    static inline int notices = 0;
    FakeDriveLog log;
    FakeDrive drive{"FAKECO  FAKE CD-ROM     ", &log};
    FakeBus bus;
};

TEST_F(LegacyCdAccess, WithoutADriveTheTableComesFromTheTrackTable) {
    auto& t       = cue_tables;
    t.track_count = 3;
    t.tracks[0]   = {kCueMode1_2048, 0, 0, 0, 0, 1000};
    t.tracks[1]   = {kCueModeAudio, 1, 0, 0, 0, 500};
    t.tracks[2]   = {kCueModeAudio, 2, 0, 0, 0, 250};
    EXPECT_EQ(aspi_read_toc_v024(), 1750u);
    EXPECT_EQ(cd_toc_v024[2], 1);
    EXPECT_EQ(cd_toc_v024[3], 3);
    const u32 starts[]  = {0, 1000, 1500, 1750};
    const u8 controls[] = {0x14, 0x10, 0x10, 0x10};
    const u8 tracks[]   = {1, 2, 3, 0xAA};
    for (u32 i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(toc_start(i), starts[i]);
        EXPECT_EQ(cd_toc_v024[4 + 8 * i + 1], controls[i]);
        EXPECT_EQ(cd_toc_v024[4 + 8 * i + 2], tracks[i]);
    }
    // A plain image (no tracks) gets the one-track default table.
    cue_clear_tables();
    EXPECT_EQ(aspi_read_toc_v024(), 0u);
    EXPECT_EQ(cd_toc_v024[3], 1);
    EXPECT_EQ(cd_toc_v024[4 + 1], 0x04);
}

TEST_F(LegacyCdAccess, ADriveAnswersThroughTheDriveLayerWithATimeLimit) {
    std::vector<u8> disc(2048 * 4);
    for (u32 i = 0; i < disc.size(); ++i) disc[i] = static_cast<u8>(i / 2048 + 1);
    drive.insert(disc);
    choose_drive();
    std::array<u8, 2048> out{};
    EXPECT_TRUE(aspi_read_sector_v024(2, out));
    EXPECT_EQ(out[0], 3);
    ASSERT_FALSE(log.commands.empty());
    EXPECT_EQ(log.commands.back().cdb[0], 0x28);
    EXPECT_GT(log.commands.back().timeout_ms, 0u);

    // A failed or timed-out read hands over zeros, never the bytes the device left.
    for (ScsiOutcome o : {ScsiOutcome::kCheckCondition, ScsiOutcome::kTimeout}) {
        drive.next_outcomes = {o, o, o};
        out.fill(0x77);
        EXPECT_FALSE(aspi_read_sector_v024(1, out));
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](u8 b) { return b == 0; }));
        drive.next_outcomes.clear();
        mci_open_cdaudio();  // a timed-out drive counts as hung until opened again
    }
    EXPECT_FALSE(aspi_read_sector_v024(-1, out)) << "a negative address reads nothing";

    EXPECT_NE(aspi_read_toc_v024(), 0u);
    EXPECT_EQ(log.commands.back().cdb[0], 0x43);
}

TEST_F(LegacyCdAccess, TracksPlayToTheNextTrackOrTheDiscEnd) {
    drive.insert(std::vector<u8>(2048 * 4));
    choose_drive();
    aspi_read_toc_v024();
    const u32 last = cd_toc_v024[3];
    log.commands.clear();
    EXPECT_TRUE(mci_play_cd_track_v024(last));
    ASSERT_EQ(log.commands.size(), 1u);
    EXPECT_EQ(log.commands[0].cdb[0], 0x47) << "PLAY AUDIO MSF";
    log.commands.clear();
    EXPECT_FALSE(mci_play_cd_track_v024(last + 1)) << "past the last track nothing plays";
    EXPECT_TRUE(log.commands.empty());
    EXPECT_TRUE(mci_pause_cd_v024());
    EXPECT_TRUE(mci_play_cd_track_at_v024());
    // Without a drive every audio operation does nothing.
    cd_drive_select(0);
    log.commands.clear();
    EXPECT_FALSE(mci_play_cd_track_v024(1));
    EXPECT_FALSE(mci_stop_cd_v024());
    EXPECT_TRUE(log.commands.empty());
}

TEST_F(LegacyCdAccess, ASectorPastAnImageInMemoryIsReportedOncePerBoot) {
    image_loader.cd_memory_image.assign(2048 * 2, 0x5A);
    std::array<u8, 2048> out{};
    EXPECT_TRUE(aspi_read_sector_v024(1, out));
    EXPECT_EQ(out[0], 0x5A);
    EXPECT_FALSE(aspi_read_sector_v024(2, out));
    EXPECT_FALSE(aspi_read_sector_v024(7, out));
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(notices, 1);
    cd_access_boot_v024();
    EXPECT_FALSE(aspi_read_sector_v024(2, out));
    EXPECT_EQ(notices, 2);
}

}  // namespace
}  // namespace varn::test
