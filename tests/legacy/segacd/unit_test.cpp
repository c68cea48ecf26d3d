// The earlier release's Sega CD: the controller's ring, the drive tick, the PCM start and the
// register differences of the sub-CPU's block 0xFF.

#include <gtest/gtest.h>

#include "genesis/vdp/vdp.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/segacd/cd_access_v024.h"
#include "legacy/segacd/scd_cd_v024.h"
#include "legacy/segacd/scd_registers_v024.h"
#include "m68k/m68k_bus.h"
#include "media/cue_sheet.h"
#include "media/image_loader.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd_fixture.h"

namespace varn::test {
namespace {

// A disc held in memory: `sectors` sectors whose bytes are their sector number + 1, one data
// track then one audio track.
class LegacySegaCd : public SegaCdTest {
  protected:
    void SetUp() override {
        SegaCdTest::SetUp();
        boot_blank();
        scd_install_registers_v024();
        cd_access_boot_v024();
        s68k_context_v024 = {};
        cue_clear_tables();
        auto& m = image_loader.cd_memory_image;
        m.assign(2048 * 40, 0);
        for (u32 i = 0; i < m.size(); ++i) m[i] = static_cast<u8>(i / 2048 + 1);
        cue_tables.track_count = 2;
        cue_tables.tracks[0]   = {kCueMode1_2048, 0, 0, 0, 0, 40};
        cue_tables.tracks[1]   = {kCueModeAudio, 1, 0, 0, 0, 100};
        cdd_cdc_reset_regs_v024();
        cdd_reset_v024();
    }
    void TearDown() override {
        image_loader.cd_memory_image.clear();
        cue_clear_tables();
        SegaCdTest::TearDown();
    }
    static u32 header_at(u32 at) {
        return u32{scd_cdc_buffer[at & 0xFFFF]} << 24 |
               u32{scd_cdc_buffer[(at + 1) & 0xFFFF]} << 16 |
               u32{scd_cdc_buffer[(at + 2) & 0xFFFF]} << 8 | scd_cdc_buffer[(at + 3) & 0xFFFF];
    }
};

TEST_F(LegacySegaCd, TheDriveTableFollowsTheTrackTable) {
    const auto& d = cdd_v024;
    EXPECT_EQ(d.first_track, 1);
    EXPECT_EQ(d.last_track, 2);
    EXPECT_EQ(d.toc[0].start, 150u);
    EXPECT_EQ(d.toc[0].end, 190u);
    EXPECT_EQ(d.toc[0].control & 4, 4);
    EXPECT_EQ(d.toc[1].start, 190u);
    EXPECT_EQ(d.lead_out, 290u);
    EXPECT_EQ(d.countdown, kCddTickReloadV024);
}

// Sectors lie 2352 bytes apart in the 64 KB ring; the 28th reaches past its end and wraps.
TEST_F(LegacySegaCd, SectorsLoadIntoTheRingAtTheirStrideAndWrap) {
    scd_ga.regs[0x33] = 0x20;
    cdd_play_v024(0x000200);  // 00:02:00, image sector 0
    for (u32 n = 0; n < 28; ++n) {
        cdd_v024.position = 150 + n;
        cdc_load_sector_v024();
        const u32 header = (n * kCdRingStrideV024 + 12) & 0xFFFF;
        ASSERT_EQ(cdc.header_ptr, header) << n;
        ASSERT_EQ(cdc.write_addr, ((n + 1) * kCdRingStrideV024) & 0xFFFF);
        const u32 bcd = 0x00020000 | (n / 10) << 12 | (n % 10) << 8 | 0x01;
        EXPECT_EQ(header_at(header), bcd) << n;
        EXPECT_EQ(scd_cdc_buffer[(header + 4) & 0xFFFF], n + 1);
        EXPECT_EQ(scd_cdc_buffer[(header + 4 + 2047) & 0xFFFF], n + 1);
    }
    // The 28th sector's user data ends past 64 KB: its last bytes are at the ring's start.
    const u32 last = 27 * kCdRingStrideV024 + 16;
    EXPECT_GT(last + 2048, 0x10000u);
    EXPECT_EQ(scd_cdc_buffer[(last + 2047) & 0xFFFF], 28);
    EXPECT_EQ(s68k_context_v024.irq_pending & 0x20, 0x20) << "level 5 with bit 5 of the mask";
    EXPECT_EQ(s68k_context_v024.irq_check, 1);
}

TEST_F(LegacySegaCd, TheDriveStepsEvery2201SlicesAndLoadsItsDataSectors) {
    cdd_play_v024(0x000200);
    const u16 write0 = cdc.write_addr;
    for (u32 i = 0; i < kCddTickReloadV024 - 1; ++i) cdd_tick_v024();
    EXPECT_EQ(cdd_v024.position, 150u);
    EXPECT_EQ(cdc.write_addr, write0);
    cdd_tick_v024();
    EXPECT_EQ(cdd_v024.position, 151u);
    EXPECT_EQ(cdd_v024.relative, 1u);
    EXPECT_EQ(cdc.write_addr, static_cast<u16>(write0 + kCdRingStrideV024));
    EXPECT_EQ(scd_cdc_buffer[(cdc.header_ptr + 4) & 0xFFFF], 2) << "image sector 1";
    // Paused: the countdown runs, the position stays.
    cdd_pause_v024();
    for (u32 i = 0; i < kCddTickReloadV024; ++i) cdd_tick_v024();
    EXPECT_EQ(cdd_v024.position, 151u);
    // At the data track's end the audio track follows; past the last track the drive stops.
    cdd_resume_v024();
    cdd_v024.position = 189;
    for (u32 i = 0; i < kCddTickReloadV024; ++i) cdd_tick_v024();
    EXPECT_EQ(cdd_v024.track, 2);
    EXPECT_EQ(cdd_v024.data_track, 0);
    cdd_v024.position = 289;
    for (u32 i = 0; i < kCddTickReloadV024; ++i) cdd_tick_v024();
    EXPECT_EQ(cdd_v024.playing, 0);
    EXPECT_EQ(cdd_v024.track, 0);
}

TEST_F(LegacySegaCd, PcmChannelsRestartAtTheirStartAddresses) {
    for (u32 k = 0; k < 8; ++k) {
        pcm.ch[k].st      = static_cast<u8>(0x10 + k);
        pcm.ch[k].address = 0x12345678;
    }
    s68k_write_byte(0xFF000F, 0x00);
    EXPECT_EQ(pcm.ch[3].address, 0x12345678u);
    s68k_write_byte(0xFF000F, 0x80);  // ON from 0 to 1: all eight restart
    for (u32 k = 0; k < 8; ++k) EXPECT_EQ(pcm.ch[k].address, u32{0x10u + k} << 24) << k;
    for (auto& c : pcm.ch) c.address = 1;
    s68k_write_byte(0xFF000F, 0xC2);  // ON stays: nothing restarts; MOD 1: channel 2's window
    EXPECT_EQ(pcm.ch[0].address, 1u);
    EXPECT_EQ(pcm.channel, 2);
    s68k_write_byte(0xFF0011, 0xFF);
    s68k_write_word(0xFF0010, 0x00FA);  // channels 0 and 2 switched on
    EXPECT_EQ(pcm.ch[0].address, 0x10u << 24);
    EXPECT_EQ(pcm.ch[2].address, 0x12u << 24);
    EXPECT_EQ(pcm.ch[1].address, 1u);
    // ENV written by byte, or by word at 0x00, is only stored.
    pcm.ch[2].eff_env = 0x33;
    s68k_write_byte(0xFF0001, 0x44);
    EXPECT_EQ(pcm.ch[2].env, 0x44);
    EXPECT_EQ(pcm.ch[2].eff_env, 0x33);
}

TEST_F(LegacySegaCd, TheMemoryModePointsTheVdpsDmaAtWordRam) {
    const u32 below = kScdWordRamOffset - 2;
    s68k_write_byte(0xFF8003, 0x05);  // 1 Mbit, RET = 1
    EXPECT_EQ(vdp_dma_source_map[0x20].base, below + 0x20000);
    EXPECT_EQ(vdp_dma_source_map[0x21].mask, 0x1FFFFu);
    EXPECT_EQ(vdp_dma_source_map[0x22].image, scd_wram_cell_image_v024.data());
    EXPECT_EQ(scd_ga.wram_1m, 1);
    s68k_write_byte(0xFF8003, 0x00);  // 2 Mbit, RET = 0: DMNA set
    EXPECT_EQ(vdp_dma_source_map[0x23].base, below);
    EXPECT_EQ(vdp_dma_source_map[0x23].mask, 0x3FFFFu);
    EXPECT_EQ(scd_ga.regs[3] & 2, 2);
    s68k_write_byte(0xFF8003, 0x01);
    EXPECT_EQ(scd_ga.regs[3] & 2, 0);
}

TEST_F(LegacySegaCd, SubCpuWritesToTheCommandAreaReachTheMainCpu) {
    s68k_write_word(0xFF8010, 0x1234);
    s68k_write_byte(0xFF801F, 0x56);
    s68k_write_long(0xFF8014, 0xCAFEF00D);
    EXPECT_EQ(scd_main_read_byte(0xA12010), 0x12u);
    EXPECT_EQ(scd_main_read_byte(0xA12011), 0x34u);
    EXPECT_EQ(scd_main_read_byte(0xA1201F), 0x56u);
    EXPECT_EQ(scd_main_read_byte(0xA12017), 0x0Du);
}

}  // namespace
}  // namespace varn::test
