// A Sega CD image booted as the Load ROM command boots it (a plain ISO, and the same image
// through its cue sheet), with a test BIOS of ours that reads sectors through the drive and
// the CD controller into PRG-RAM and word RAM; what arrives is compared with the file.

#include <gtest/gtest.h>

#include <algorithm>

#include "base/host.h"
#include "cddrive/cd_requests.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/runtime/sound_output.h"
#include "media/cue_sheet.h"
#include "media/media_fixture.h"
#include "media/system_roms.h"
#include "segacd/scd_bind.h"
#include "segacd/scd_cache.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd.h"

namespace varn {
namespace {

// Serves the CD requests at once, as the headless runner does.
class ServingHost : public RecordingHost {
  public:
    void post_request(u32 code, u32 param) override {
        RecordingHost::post_request(code, param);
        if (code >= kCdRequestRead && code <= kCdRequestEject) cd_request(code, param);
    }
};

class DiscBoot : public test::MediaTest {
  protected:
    static void SetUpTestSuite() {
        MediaTest::SetUpTestSuite();
        scd_bind_unit();
    }
    void SetUp() override {
        MediaTest::SetUp();
        emu_set_host(&host);
        bios = std::filesystem::path(VARN_TESTPROG_DIR) / "segacd_disc_read_disc.bin";
        for (auto key : {kScdSysRom0J, kScdSysRom0U, kScdSysRom0E})
            cfg_system_rom_paths[key] = bios.string();
    }
    void TearDown() override {
        MediaTest::TearDown();
        for (auto key : {kScdSysRom0J, kScdSysRom0U, kScdSysRom0E})
            cfg_system_rom_paths[key] = kSystemRomDefaultPaths[key];
        emu_set_host(nullptr);
    }

    static u32 comm_status() { return u32{scd_ga.regs[0x20]} << 8 | scd_ga.regs[0x21]; }

    // The image's sector as the disc holds it: zeros past the file's end.
    static std::vector<u8> sector_of(const std::vector<u8>& image, u32 s) {
        std::vector<u8> out(2048, 0);
        const std::size_t from = std::size_t{s} * 2048;
        if (from < image.size())
            std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(from),
                        std::min<std::size_t>(2048, image.size() - from), out.begin());
        return out;
    }
    static bool holds(std::span<const u8> memory, u32 at, const std::vector<u8>& bytes) {
        return std::equal(bytes.begin(), bytes.end(), memory.begin() + at);
    }

    ServingHost host;
    std::filesystem::path bios;
};

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

}  // namespace
}  // namespace varn
