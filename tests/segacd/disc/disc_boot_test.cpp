// A Sega CD image booted as the Load ROM command boots it (a plain ISO, and the same image
// through its cue sheet), with a test BIOS of ours that reads sectors through the drive and
// the CD controller into PRG-RAM and word RAM; what arrives is compared with the file.

#include <gtest/gtest.h>

#include <algorithm>

#include "disc_fixture.h"

#include "genesis/runtime/scheduler.h"
#include "media/cue_sheet.h"
#include "runtime/machine_table.h"
#include "runtime/sound_output.h"
#include "segacd/scd_cache.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd.h"

namespace varn {
namespace {

class DiscBoot : public DiscMachine {};

TEST_F(DiscBoot, TestBiosReadsTheDiscIntoPrgRamAndWordRam) {
    VARN_FIXTURE(iso_path, "roms/segacd/nikonamd/rom_mcd_u.iso");
    VARN_FIXTURE(cue_path, "roms/segacd/nikonamd/rom_mcd_u.cue");
    ASSERT_TRUE(std::filesystem::exists(bios)) << bios;
    const auto image = test::read_file(iso_path);
    ASSERT_EQ(image.size(), 321537u);  // 157 sectors and one byte

    struct Road {
        std::filesystem::path path;
        u32 filter;
        u8 last_track;  // the cue sheet's table knows the track's length
    };
    for (const Road& road :
         {Road{iso_path, lang::kFilterSegaCd, 1}, Road{cue_path, lang::kFilterCue, 1}}) {
        SCOPED_TRACE(road.path.string());
        ui.messages.clear();
        ASSERT_EQ(rom_load_file(road.path.string(), road.filter), LoadResult::kBooted)
            << (ui.messages.empty() ? "" : ui.messages[0]);
        EXPECT_EQ(machine_kind, kMachineSegaCd);
        EXPECT_EQ(cd_toc_last_track(), road.last_track);
        if (road.filter == lang::kFilterCue) {
            EXPECT_EQ(cd_toc_start(0), 150u);
            EXPECT_EQ(cd_toc_start(1), 150u + 157);  // the lead-out
        }
        // Sector 0 came through the cache for the region and the name.
        EXPECT_EQ(cd_cache.sector[0].load(), 0);
        EXPECT_EQ(cd_cache.state[0].load(), kCdSlotReady | kCdSlotTaken);
        for (int f = 0; f < 150 && comm_status() != 0x600D; ++f) run_frame();
        ASSERT_EQ(comm_status(), 0x600Du) << "the test BIOS did not finish";

        for (u32 s = 0; s < 10; ++s)
            EXPECT_TRUE(holds(scd_prg_ram, 0x40000 + s * 2048, sector_of(image, s))) << s;
        for (u32 s = 10; s < 20; ++s)
            EXPECT_TRUE(holds(scd_word_ram, (s - 10) * 2048, sector_of(image, s))) << s;
        EXPECT_TRUE(holds(scd_prg_ram, 0x60000, sector_of(image, 156)));
        EXPECT_TRUE(holds(scd_prg_ram, 0x60000 + 2048, sector_of(image, 157)));  // 1 byte, zeros
        EXPECT_EQ(scd_prg_ram[0x60000 + 2048], image.back());
        EXPECT_EQ(cdd.spinning, 0);  // stopped at the end
        machine_close();
        host.clear();
    }
}

TEST_F(DiscBoot, TrayNoticesOfTheDrivePollReachTheDrive) {
    VARN_FIXTURE(iso_path, "roms/segacd/nikonamd/rom_mcd_u.iso");
    ASSERT_EQ(rom_load_file(iso_path.string(), lang::kFilterSegaCd), LoadResult::kBooted);
    run_frame();  // the sub-CPU is released and ticks
    cd_tray_notice.store(kTrayNoticeOpen);
    run_frame();
    EXPECT_EQ(cdd.tray_open, 1);
    host.clear();
    cd_tray_notice.store(kTrayNoticeClose);
    run_frame();
    EXPECT_EQ(cdd.tray_open, 0);
    EXPECT_EQ(cdd.tray_closed, 1);
    const auto codes = host.requests();
    ASSERT_EQ(std::count(codes.begin(), codes.end(), kRequestReboot), 1);
    cd_tray_word = 0;
}

}  // namespace
}  // namespace varn
