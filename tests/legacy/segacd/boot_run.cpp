// The shared Sega CD image booted on the earlier machine as a user boots it (varn-run
// --legacy), with a test BIOS of ours at the path the default settings name. The main CPU
// releases the sub-CPU, which runs on the older core: both talk through the communication
// words, and the sub-CPU records into backup RAM, read back from its file after the close.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

namespace fs = std::filesystem;

TEST(LegacySegaCd, TheSharedImageBootsAndBothCpusRun) {
    const fs::path iso = testdata_file("roms/segacd/nikonamd/rom_mcd_u.iso");
    if (iso.empty()) GTEST_SKIP() << "shared test images absent";
    const fs::path dir = temp_file("LegacySegaCd", "boot");
    fs::remove_all(dir);
    fs::create_directories(dir / "brm");
    const auto bios = read_program("segacd_boot");
    ASSERT_FALSE(bios.empty());
    for (const char* name : {"us_scd1_9210.bin", "jp_mcd1_9112.bin", "eu_mcd1_9210.bin"}) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bios.data()),
                   static_cast<std::streamsize>(bios.size()));
    }

    constexpr int kFrames = 60;
    const RunResult r     = run_varn("--legacy --profile . --brm-path brm --frames " +
                                         std::to_string(kFrames) + " '" + iso.string() + "'",
                                     dir);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("frames 60 "), std::string::npos) << r.output;
    std::vector<u8> backup;
    for (const auto& entry : fs::directory_iterator(dir / "brm")) {
        if (entry.path().extension() == ".BRM" && fs::file_size(entry.path()) == 0x2000)
            backup = read_file(entry.path());
    }
    fs::remove_all(dir);
    ASSERT_EQ(backup.size(), 0x2000u) << "no backup RAM file was written";

    // First boot: formatted, the sub-CPU's boot counter at 1, the words went both ways.
    EXPECT_EQ(backup[0], 1);
    EXPECT_EQ(backup[1], 0x55);
    // Timer interrupts at value 1 reach the older core: one each 5.0725 ticks of the 2752 a
    // frame, from the sub-CPU's start in the first frames.
    const u32 irqs = u32{backup[2]} << 24 | u32{backup[3]} << 16 | u32{backup[4]} << 8 | backup[5];
    EXPECT_LE(irqs, kFrames * 2752 / 5.0725);
    EXPECT_GE(irqs, (kFrames - 5) * 2752 / 5.0725);
}

}  // namespace
}  // namespace varn::test
