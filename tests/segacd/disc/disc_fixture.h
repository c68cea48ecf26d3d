#pragma once
// A Sega CD machine booted as the Load ROM command boots it, with the test BIOS of ours that
// reads the disc, and a host that serves the CD requests at once (as the headless runner
// does).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/host.h"
#include "cddrive/cd_requests.h"
#include "media/media_fixture.h"
#include "media/system_roms.h"
#include "runtime/machine_table.h"
#include "segacd/segacd.h"

namespace varn {

// Serves the CD requests at once, as the headless runner does.
class ServingHost : public RecordingHost {
  public:
    void post_request(u32 code, u32 param) override {
        RecordingHost::post_request(code, param);
        if (code >= kRequestCdReadSector && code <= kRequestCdOpenTray) cd_request(code, param);
    }
};

class DiscMachine : public test::MediaTest {
  protected:
    DiscMachine() : MediaTest(kMachineGenesis | kMachineSegaCd) {}
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

}  // namespace varn
