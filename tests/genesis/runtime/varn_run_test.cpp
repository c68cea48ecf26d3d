// The headless runner as a user runs it: a child process, its output and exit status.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/endian.h"
#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

std::string program_path(const std::string& name) {
    return (std::filesystem::path(VARN_TESTPROG_DIR) / (name + ".bin")).string();
}

std::filesystem::path temp_file(const std::string& name) {
    return test::temp_file("varn_run_test", name);
}

TEST(VarnRun, AnHourOfFramesGivesExactSliceAndSampleCounts) {
    const auto r = run_varn("--frames 3600 --fake-clock " + program_path("runtime_frame_cart"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("frames 3600 slices 9907200 samples 2645999 seconds "),
              std::string::npos)
        << r.output;
}

TEST(VarnRun, BadArgumentsAndImagesExitWithStatus2) {
    const auto empty = temp_file("empty.bin");
    std::ofstream(empty).close();
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"/nonexistent/image.bin", "cannot open /nonexistent/image.bin"},
        {empty.string(), "is empty"},
        {std::filesystem::temp_directory_path().string(), "cannot read"},  // a directory
        {"", "no image given"},
        {"--frames", "--frames needs N"},
        {"--frames 0 x.bin", "out of range"},
        {"--frames 12a x.bin", "not a number"},
        {"--system 32x x.bin", "unsupported system: 32x"},
        {"--bogus x.bin", "unknown option: --bogus"},
        {"a.bin b.bin", "more than one image"},
    };
    for (const Case& c : cases) {
        const auto r = run_varn(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
    }
    std::filesystem::remove(empty);

    const auto help = run_varn("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("usage: varn-run"), std::string::npos);
}

TEST(VarnRun, AHaltedCpuEndsTheRunWithStatus1) {
    const auto r = run_varn("--frames 5 --fake-clock " + program_path("runtime_halt_cart"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("frames 0 slices 1 samples 0"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("the 68000 halted"), std::string::npos);

    const auto z80 = run_varn("--frames 5 --fake-clock " + program_path("runtime_z80_stop_cart"));
    EXPECT_EQ(z80.status, 1) << z80.output;
    EXPECT_NE(z80.output.find("frames 0 "), std::string::npos) << z80.output;
    EXPECT_NE(z80.output.find("the Z80 stopped"), std::string::npos) << z80.output;
}

TEST(VarnRun, WavFrameCrcAndFrameDump) {
    const auto wav = temp_file("out.wav");
    const auto ppm = temp_file("out.ppm");
    const auto r =
        run_varn("--frames 10 --fake-clock --frame-crc --wav " + wav.string() + " --dump-frame " +
                 ppm.string() + " " + program_path("runtime_frame_cart"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("frame-crc "), std::string::npos);

    const auto bytes  = read_file(wav);
    const u32 samples = 734 + 9 * 735;
    ASSERT_EQ(bytes.size(), 44u + 2 * samples);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(load_le32(&bytes[4]), 36u + 2 * samples);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(load_le16(&bytes[20]), 1u);  // PCM
    EXPECT_EQ(load_le16(&bytes[22]), 1u);  // mono
    EXPECT_EQ(load_le32(&bytes[24]), 44100u);
    EXPECT_EQ(load_le32(&bytes[28]), 88200u);
    EXPECT_EQ(load_le16(&bytes[34]), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(load_le32(&bytes[40]), 2 * samples);

    const auto picture = read_file(ppm);
    const std::string head(picture.begin(), picture.begin() + 15);
    EXPECT_EQ(head.rfind("P6\n320 224\n255\n", 0), 0u) << head;
    EXPECT_EQ(picture.size(), 15u + 320 * 224 * 3);
    std::filesystem::remove(wav);
    std::filesystem::remove(ppm);
}

}  // namespace
}  // namespace varn::test
