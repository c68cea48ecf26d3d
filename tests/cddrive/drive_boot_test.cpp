// Boot Sega CD with a drive: the fake drive holding the shared disc image stands for a real
// one, and what the emulated drive and CD controller receive through the sector cache is
// compared with what the same disc gives when it is loaded as an image file.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/host.h"
#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/cd_msf.h"
#include "cddrive/cd_requests.h"
#include "cddrive/fake_drive.h"
#include "genesis/runtime/scheduler.h"
#include "m68k/m68k_bus.h"
#include "media/cue_sheet.h"
#include "media/media_fixture.h"
#include "runtime/machine_table.h"
#include "runtime/region.h"
#include "segacd/scd_cache.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd.h"

namespace varn {
namespace {

using test::FakeBus;
using test::FakeDrive;
using test::FakeDriveLog;

// No user-interface thread here: CD work is done as soon as it is asked for.
class CdServingHost final : public RecordingHost {
  public:
    void post_request(u32 code, u32 param = 0) override {
        RecordingHost::post_request(code, param);
        if (code >= kRequestCdPoll && code <= kRequestCdOpenTray) cd_request(code, param);
    }
};

// The cache's wait gives up instead of spinning when a sector never comes.
int waits_left = 0;
bool bounded_wait() { return --waits_left > 0; }

// What the disc side held after a boot and a read of the first sectors.
struct DiscView {
    CdToc toc{};
    u32 region = 0;
    std::vector<u8> sector0;
    std::vector<u8> cdc;  // the controller's buffer after the read
};

class DriveBoot : public test::MediaTest {
  protected:
    DriveBoot() : MediaTest(kMachineGenesis | kMachineSegaCd) {}

    static constexpr u32 kSectors = 8;

    void SetUp() override {
        MediaTest::SetUp();
        iso_path = test::testdata_file("roms/segacd/nikonamd/rom_mcd_u.iso");
        if (iso_path.empty()) GTEST_SKIP() << "test data absent: " << VARN_TESTDATA_DIR;
        iso = test::fixture_iso();
        emu_set_host(&host);
        const auto bios = test::read_program("segacd_boot");
        ASSERT_FALSE(bios.empty());
        cfg_system_rom_paths[kScdSysRom0U] = write("us_scd1_9210.bin", bios).string();
        cfg_set(cfg_region, 4);
        saved_wait    = cd_cache_wait;
        cd_cache_wait = bounded_wait;
        drive.insert(iso);
        bus.entries = {{{1, 0, 0, 0, kScsiTypeCdRom, "/dev/sr0"}, &drive}};
        cd_drive_set_system_bus(&bus);
        cd_drive_scan(bus);
    }
    void TearDown() override {
        machine_close();
        aspi_stop_disc();
        cd_drive_set_system_bus(nullptr);
        cd_drive_table_reset();
        cfg_set(cfg_cd_drive, 0);
        cd_cache_wait                      = saved_wait;
        cfg_system_rom_paths[kScdSysRom0U] = kSystemRomDefaultPaths[kScdSysRom0U];
        emu_set_host(nullptr);
        MediaTest::TearDown();
    }

    // The emulated drive reads from 00:02:00 (image sector 0) for `kSectors` sectors, as
    // the BIOS would ask it to, and the controller stores them in its buffer.
    static void read_sectors() {
        scd_ga.regs[0x33] = 0x30;
        const u8 read[9]  = {3, 0, 0, 0, 0, 2, 0, 0, 0};
        for (u32 i = 0; i < 9; ++i) s68k_write_byte(0xFF8042 + i, read[i]);
        s68k_write_byte(0xFF804B, 0);
        for (u32 t = 0; t < kCddCommandTicks + kSectors * (kCddSectorReload + 1); ++t) {
            waits_left = 1000;
            scd_tick();
        }
    }

    DiscView view() const {
        DiscView v;
        v.toc    = cd_toc;
        v.region = region.scd_region;
        std::array<u8, kCdRawSectorBytes> raw{};
        if (cd_cache_peek(0, raw)) v.sector0.assign(raw.begin() + 16, raw.begin() + 16 + 2048);
        read_sectors();
        v.cdc.assign(scd_cdc_buffer.begin(), scd_cdc_buffer.end());
        return v;
    }

    std::filesystem::path iso_path;
    std::vector<u8> iso;
    CdServingHost host;
    FakeDriveLog log;
    FakeDrive drive{"FAKECO  FAKE CD-ROM     ", &log};
    FakeBus bus;
    bool (*saved_wait)() = nullptr;
};

TEST_F(DriveBoot, DriveRoadDeliversTheSameSectorsAsTheImageRoad) {
    // The image road: the same disc loaded as a file.
    ASSERT_EQ(rom_load_file(iso_path.string(), lang::kFilterSegaCd), LoadResult::kBooted)
        << (ui.messages.empty() ? "" : ui.messages.front());
    const DiscView image = view();
    machine_close();

    // The drive road.
    cfg_set(cfg_cd_drive, 1);
    log.commands.clear();
    boot_sega_cd_from_drive();
    ASSERT_NE(emu_state_flags.load() & kStateMachineRunning, 0u)
        << (ui.messages.empty() ? "" : ui.messages.front());
    EXPECT_EQ(cd_drive_selected, 1);
    ASSERT_GE(log.commands.size(), 2u);
    EXPECT_EQ(log.commands[0].cdb[0], 0x43) << "the table of contents comes from the drive";
    EXPECT_EQ(log.commands[1].cdb[0], 0x28) << "then sector 0";
    const DiscView real = view();

    // One data track from 00:02:00; the drive knows where the disc ends.
    EXPECT_EQ(cd_toc_last_track(), 1);
    EXPECT_EQ(cd_toc_start(0), 150u);
    EXPECT_EQ(cd_toc_control(0) & 0x04, 0x04);
    EXPECT_EQ(cd_toc_start(1), 150u + drive.blocks());

    EXPECT_EQ(real.region, image.region);
    EXPECT_EQ(real.region, 1u) << "the disc is a USA disc";
    ASSERT_EQ(real.sector0.size(), 2048u);
    EXPECT_EQ(real.sector0, image.sector0);
    EXPECT_TRUE(std::equal(real.sector0.begin(), real.sector0.end(), iso.begin()));
    EXPECT_EQ(real.cdc, image.cdc);
    for (u32 s = 0; s < kSectors; ++s) {
        const auto user = real.cdc.begin() + 16 + s * kCdRawSectorBytes;
        EXPECT_TRUE(std::equal(user, user + 2048, iso.begin() + s * 2048)) << "sector " << s;
    }
}

// The test BIOS reads sectors 0-9 into PRG-RAM, 10-19 into word RAM and 156-157 (the last,
// partly filled one) through the host-data register, then reports 0x600D.
TEST_F(DriveBoot, TestBiosReadsTheSameBytesIntoPrgRamFromTheDrive) {
    const auto read_disc = std::filesystem::path(VARN_TESTPROG_DIR) / "segacd_disc_read_disc.bin";
    ASSERT_TRUE(std::filesystem::exists(read_disc)) << read_disc;
    cfg_system_rom_paths[kScdSysRom0U] = read_disc.string();
    auto finish                        = [] {
        for (int f = 0; f < 150 && (scd_ga.regs[0x20] << 8 | scd_ga.regs[0x21]) != 0x600D; ++f) {
            waits_left = 1 << 20;
            run_frame();
        }
        return (scd_ga.regs[0x20] << 8 | scd_ga.regs[0x21]) == 0x600D;
    };
    ASSERT_EQ(rom_load_file(iso_path.string(), lang::kFilterSegaCd), LoadResult::kBooted);
    ASSERT_TRUE(finish()) << "image road";
    const std::vector<u8> image_prg(scd_prg_ram.begin(), scd_prg_ram.end());
    const std::vector<u8> image_word(scd_word_ram.begin(), scd_word_ram.end());
    machine_close();

    cfg_set(cfg_cd_drive, 1);
    boot_sega_cd_from_drive();
    ASSERT_NE(emu_state_flags.load() & kStateMachineRunning, 0u);
    ASSERT_TRUE(finish()) << "drive road";
    EXPECT_TRUE(std::equal(image_prg.begin(), image_prg.end(), scd_prg_ram.begin()));
    EXPECT_TRUE(std::equal(image_word.begin(), image_word.end(), scd_word_ram.begin()));
    EXPECT_TRUE(std::equal(iso.begin(), iso.begin() + 10 * 2048, scd_prg_ram.begin() + 0x40000));
    EXPECT_TRUE(std::equal(iso.begin() + 10 * 2048, iso.begin() + 20 * 2048, scd_word_ram.begin()));
    EXPECT_EQ(scd_prg_ram[0x60000 + 2048], iso.back());
    u32 reads = 0;
    for (const auto& c : log.commands) reads += c.cdb[0] == 0x28 ? 1 : 0;
    EXPECT_GE(reads, 23u) << "every sector came from the drive";
}

// The table holds the drive's positions: frames from 00:00:00, the disc's first block at
// 00:02:00, as a real drive reports its tracks and as the BIOS expects the data track (the
// drive road above gives the same). A sheet of a 1000-block data track and a 2000-block audio
// track gives the table of that disc, and a real drive asked to play track 2 starts at the
// track's first block, 1000 (MSF 00:15:25 in the SCSI command set's addressing).
TEST_F(DriveBoot, TheTableCountsFromTheDiscStartOnTheSheetAndDriveRoads) {
    cue_clear_tables();
    cue_tables.track_count = 2;
    cue_tables.tracks[0]   = {kCueMode1_2048, 0, 0, 1000 * 2048, 0, 1000};
    cue_tables.tracks[1]   = {kCueModeAudio, 0, 1000 * 2048, 2000 * 2352, 1000, 2000};
    cd_read_toc();
    const struct {
        u8 track, control;
        u32 start;
    } want[] = {{1, 0x14, 150}, {2, 0x10, 1150}, {0xAA, 0x10, 3150}};
    EXPECT_EQ(cd_toc_first_track(), 1);
    EXPECT_EQ(cd_toc_last_track(), 2);
    for (s32 i = 0; i < 3; ++i) {
        EXPECT_EQ(cd_toc[4 + 8 * i + 2], want[i].track) << i;
        EXPECT_EQ(cd_toc_control(i), want[i].control) << i;
        EXPECT_EQ(cd_toc_start(i), want[i].start) << i;
    }
    EXPECT_EQ(cd_track_lookup(1150), 1) << "track 2 from its first frame";

    cd_drive_select(1);
    log.commands.clear();
    cd_request(kRequestCdPlayAudio, frames_to_bcd_msf(cd_toc_start(1)));
    ASSERT_EQ(log.commands.size(), 1u);
    EXPECT_EQ(log.commands[0].cdb, (std::vector<u8>{0x47, 0, 0, 0, 15, 25, 0, 42, 0, 0}))
        << "from block 1000 to the lead-out at block 3000";
    cue_clear_tables();
}

TEST_F(DriveBoot, TrayFindingsReachTheEmulatedDriveAtItsTick) {
    cfg_set(cfg_cd_drive, 1);
    boot_sega_cd_from_drive();
    ASSERT_NE(emu_state_flags.load() & kStateMachineRunning, 0u);
    drive.remove();
    cd_request(kRequestCdPoll, 0);
    EXPECT_EQ(cdd.tray_open, 0) << "not under the emulated drive's feet";
    scd_tick();
    EXPECT_EQ(cdd.tray_open, 1);
    EXPECT_EQ(cd_tray_word, 1u);
    drive.insert(iso);
    cd_request(kRequestCdPoll, 0);
    scd_tick();
    EXPECT_EQ(cdd.tray_open, 0);
    EXPECT_EQ(cdd.tray_closed, 1);
    EXPECT_EQ(cd_tray_word, 0u);
}

}  // namespace
}  // namespace varn
