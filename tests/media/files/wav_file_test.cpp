// The WAV sound log: what sox reads from it, its sizes, and a rate change that ends it.

#include "media/wav_log.h"

#include <array>
#include <cstdio>

#include "base/endian.h"
#include "files_fixture.h"
#include "runtime/sound_options.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

using test::MediaMachineTest;
using test::read_file;
using test::ScratchFolder;

std::string sox_info(const fs::path& file) {
    return test::run_command("sox --i '" + file.string() + "'").second;
}

class WavFileTest : public MediaMachineTest {
  protected:
    void TearDown() override {
        (void)wav_log_stop();
        MediaMachineTest::TearDown();
    }
    ScratchFolder folder;
};

TEST_F(WavFileTest, ALogDescribesItsSamplesAtTheConfiguredRateInOneChannel) {
    if (!boot("nikona-rom_md.bin")) GTEST_SKIP() << "shared test images absent";
    cfg_set(cfg_sound_rate, 1);  // 22050 Hz
    sound_dispatch_by_mode();
    const fs::path file = folder / "GAME.WAV";
    ASSERT_TRUE(wav_log_start(file));
    EXPECT_FALSE(fs::exists(file)) << "the log takes its name when it stops";
    run_frames(60);
    ASSERT_TRUE(wav_log_stop());
    EXPECT_EQ(wav_logging, 0u);

    const auto wav = read_file(file);
    ASSERT_GE(wav.size(), kWavHeaderBytes);
    EXPECT_EQ(load_le16(&wav[22]), 1u);
    EXPECT_EQ(load_le32(&wav[24]), 22050u);
    EXPECT_EQ(load_le32(&wav[28]), 44100u);
    EXPECT_EQ(load_le16(&wav[32]), 2u);
    EXPECT_EQ(load_le32(&wav[4]), wav.size() - 8);
    EXPECT_EQ(load_le32(&wav[40]), wav.size() - 44);
    EXPECT_NEAR((wav.size() - 44) / 2.0, 60 * 367.5, 1);

    const std::string info = sox_info(file);
    if (info.find("Channels") == std::string::npos) GTEST_SKIP() << "sox is not installed";
    EXPECT_NE(info.find("Channels       : 1"), std::string::npos) << info;
    EXPECT_NE(info.find("Sample Rate    : 22050"), std::string::npos) << info;
    EXPECT_NE(info.find("Precision      : 16-bit"), std::string::npos) << info;
}

TEST_F(WavFileTest, ALogStoppedAtOnceIsAHeaderAndARateChangeEndsALog) {
    if (!boot("nikona-rom_md.bin")) GTEST_SKIP() << "shared test images absent";
    const fs::path empty = folder / "empty.WAV";
    ASSERT_TRUE(wav_log_start(empty));
    ASSERT_TRUE(wav_log_stop());
    const auto header = read_file(empty);
    ASSERT_EQ(header.size(), 44u);
    EXPECT_EQ(load_le32(&header[4]), 36u);
    EXPECT_EQ(load_le32(&header[40]), 0u);
    const auto expected = wav_fill_header(1, 44100, 0);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), expected.begin()));

    const fs::path file = folder / "rate.WAV";
    ASSERT_TRUE(wav_log_start(file));
    run_frames(10);
    cfg_set(cfg_sound_rate, 2);  // the user picks 11025 Hz while logging
    sound_dispatch_by_mode();
    run_frames(10);
    EXPECT_EQ(wav_logging, 0u);
    EXPECT_TRUE(wav_log_ended_error().empty());
    const auto wav = read_file(file);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(load_le32(&wav[24]), 44100u);
    // Ten frames at 44100 Hz (the sample clock's phase may leave one sample for the next).
    EXPECT_NEAR((wav.size() - 44) / 2.0, 10 * 735, 1) << "only the frames at the log's own rate";
    EXPECT_EQ(load_le32(&wav[40]), wav.size() - 44);
}

}  // namespace
}  // namespace varn
