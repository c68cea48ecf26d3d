// Sega CD machines booted as a user boots them: a small disc image of our own under the Sega
// CD filter, a test BIOS at the path the default settings name (in a temporary profile
// folder), run by the headless runner; what the BIOS saw is read back from the RAM files of
// the close.

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

constexpr u8 kMarkJapan  = 0xA1;
constexpr u8 kMarkUsa    = 0x7A;
constexpr u8 kMarkEurope = 0x64;

void write_bytes(const fs::path& path, const std::vector<u8>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A folder of its own per case, with a disc whose sector 0 carries the region mark.
class ScdBoot : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            temp_file("ScdBoot", ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "brm");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void disc(u8 mark) {
        std::vector<u8> iso(4 * 2048, 0);
        const std::string id = "SEGADISCSYSTEM  ";
        std::copy(id.begin(), id.end(), iso.begin());
        iso[0x20B] = mark;
        write_bytes(dir_ / "disc.iso", iso);
    }
    void bios(const std::string& program, const std::string& file) {
        const auto image = read_program(program);
        ASSERT_FALSE(image.empty()) << program;
        write_bytes(dir_ / file, image);
    }
    RunResult run(const std::string& args) {
        return run_varn("--profile . --filter 3 --brm-path brm " + args + " disc.iso", dir_);
    }
    std::vector<u8> brm(const std::string& name) { return read_file(dir_ / "brm" / name); }

    fs::path dir_;
};

std::string text_at(const std::vector<u8>& bytes, std::size_t at, std::size_t n) {
    if (bytes.size() < at + n) return {};
    return std::string(reinterpret_cast<const char*>(bytes.data() + at), n);
}
u32 word_at(const std::vector<u8>& b, std::size_t at) { return u32{b[at]} << 8 | b[at + 1]; }

TEST_F(ScdBoot, RegionChoosesTheBiosFileAndAMissingOneStopsTheBoot) {
    struct Case {
        u8 mark;
        const char* bios;
        const char* backup;
        u8 version;  // overseas and PAL bits of the version register
    };
    const Case cases[] = {
        {kMarkJapan, "jp_mcd1_9112.bin", "jp_mcd1_9112.BRM", 0x00},
        {kMarkUsa, "us_scd1_9210.bin", "us_scd1_9210.BRM", 0x80},
        {kMarkEurope, "eu_mcd1_9210.bin", "eu_mcd1_9210.BRM", 0xC0},
    };
    for (const Case& c : cases) {
        disc(c.mark);
        fs::remove_all(dir_ / "brm");
        fs::create_directories(dir_ / "brm");
        for (const char* f : {"jp_mcd1_9112.bin", "us_scd1_9210.bin", "eu_mcd1_9210.bin"})
            fs::remove(dir_ / f);
        // Only the other regions' files: the boot names the one it needs and nothing runs.
        for (const Case& other : cases)
            if (&other != &c) bios("segacd_boot", other.bios);
        auto r = run("--frames 2");
        EXPECT_EQ(r.status, 2) << c.bios << "\n" << r.output;
        EXPECT_NE(r.output.find(std::string(".\\") + c.bios + " not found."), std::string::npos)
            << r.output;
        EXPECT_EQ(r.output.find("frames "), std::string::npos) << r.output;
        EXPECT_TRUE(fs::is_empty(dir_ / "brm")) << c.bios;

        bios("segacd_boot", c.bios);
        r = run("--frames 20");
        ASSERT_EQ(r.status, 0) << c.bios << "\n" << r.output;
        const auto cart = brm("disc.BRM");
        ASSERT_EQ(cart.size(), 0x10000u) << c.bios;
        EXPECT_EQ(cart[0] & 0xC0, c.version) << c.bios;
        EXPECT_EQ(brm(c.backup).size(), 0x2000u) << c.bios;
    }
}

TEST_F(ScdBoot, BothCpusRecordIntoTheRamFilesAcrossBoots) {
    disc(kMarkEurope);
    bios("segacd_boot", "eu_mcd1_9210.bin");
    constexpr int kFrames = 60;
    for (u8 boot = 1; boot <= 2; ++boot) {
        const auto r = run("--frames " + std::to_string(kFrames));
        ASSERT_EQ(r.status, 0) << r.output;
        const auto cart   = brm("disc.BRM");
        const auto backup = brm("eu_mcd1_9210.BRM");
        ASSERT_EQ(cart.size(), 0x10000u);
        ASSERT_EQ(backup.size(), 0x2000u);

        // The files are read after the power-on: each boot counts on from the last one.
        EXPECT_EQ(cart[1], boot);
        EXPECT_EQ(backup[0], boot);
        // Formatted at the first boot (no files yet), kept since.
        EXPECT_EQ(text_at(backup, 0x1FE0, 11), "SEGA_CD_ROM");
        EXPECT_EQ(text_at(cart, 0xFFE0, 11), "SEGA_CD_ROM");
        EXPECT_EQ(text_at(cart, 0xFFF0, 16), "RAM_CARTRIDGE___");
        EXPECT_EQ(word_at(cart, 0xFFD0), 0x03FDu);  // 64 KB cartridge: its free blocks
        EXPECT_EQ(cart[6], 3);                      // size code in the identification

        // Communication words both ways, then every word-RAM step reached.
        EXPECT_EQ(backup[1], 0x55);
        ASSERT_EQ(cart[5], 0xAA);
        // Memory mode as the main CPU reads it: 2M returned (RET), given back (DMNA), 1M
        // with the main CPU on bank 1 (MODE, RET).
        EXPECT_EQ(cart[2], 0x01);
        EXPECT_EQ(cart[3], 0x02);
        EXPECT_EQ(cart[4], 0x05);
        // DMA from word RAM: 2M pattern, then the swapped 1M bank, then the fill page of the
        // 1M upper half.
        for (u32 i = 0; i < 8; ++i) {
            EXPECT_EQ(word_at(cart, 0x10 + 2 * i), 0xA000 + i) << i;
            EXPECT_EQ(word_at(cart, 0x20 + 2 * i), 0xB000 + i) << i;
        }
        for (u32 i = 0; i < 4; ++i)
            EXPECT_EQ(word_at(cart, 0x30 + 2 * i), i % 2 == 0 ? 0x0403u : 0x0201u) << i;

        // Timer interrupts at value 1: one each 5.0725 ticks of the 2752 a frame, from the
        // sub-CPU's start in the first frames.
        const u32 irqs =
            u32{backup[2]} << 24 | u32{backup[3]} << 16 | u32{backup[4]} << 8 | backup[5];
        EXPECT_LE(irqs, kFrames * 2752 / 5.0725);
        EXPECT_GE(irqs, (kFrames - 5) * 2752 / 5.0725);
    }
}

TEST_F(ScdBoot, PcmReachesTheSoundLog) {
    disc(kMarkUsa);
    bios("segacd_comm", "us_scd1_9210.bin");
    const auto r = run("--frames 30 --wav out.wav");
    ASSERT_EQ(r.status, 0) << r.output;
    const auto wav = read_file(dir_ / "out.wav");
    ASSERT_GT(wav.size(), 44u);
    std::vector<s16> samples;
    for (std::size_t i = 44; i + 1 < wav.size(); i += 2)
        samples.push_back(static_cast<s16>(wav[i] | wav[i + 1] << 8));
    // 30 frames at 44,100 Hz; silence until the sub-CPU has set the channel up, then its
    // 0x85 bytes at ENV 0x80 (640, halved into the mix) alone, FM and PSG being silent.
    ASSERT_GT(samples.size(), 20000u);
    EXPECT_EQ(samples.front(), 0);
    for (std::size_t i = samples.size() / 2; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], 320) << i;
}

}  // namespace
}  // namespace varn::test
