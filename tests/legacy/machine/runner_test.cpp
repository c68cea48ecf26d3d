// The earlier machine as the headless runner runs it (varn-run --legacy) on shared images.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/varn_run.h"

namespace varn::test {
namespace {

const std::filesystem::path kRoms = std::filesystem::path(VARN_TESTDATA_DIR) / "roms";

class LegacyRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kRoms / "genesis" / "version-check.bin"))
            GTEST_SKIP() << "shared test images not found in " << kRoms;
    }
    static std::string image(const char* name) { return "'" + (kRoms / name).string() + "'"; }
};

TEST_F(LegacyRunnerTest, RunsACartridgeSilently) {
    const RunResult r = run_varn("--legacy --fake-clock --frames 120 --frame-crc " +
                                 image("genesis/version-check.bin"));
    ASSERT_EQ(r.status, 0) << r.output;
    // The last picture: "32X PRESENT", as this machine's cartridge page always reads "MARS".
    EXPECT_NE(r.output.find("frame-crc e9c3c746\nframes 120 slices 330240 samples 0 "),
              std::string::npos)
        << r.output;
}

TEST_F(LegacyRunnerTest, WhatTheMachineRefuses) {
    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {"--frames 5 --system sms roms/sms/inlib_demo.sms", 2,
         "Master System games cannot be run by this build yet."},
        // Its Z80 driver uses LD IYH,n, which the older Z80 does not have.
        {"--fake-clock --frames 5 roms/genesis/stereo-test.bin", 1,
         "the Z80 stopped on an emulation error"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r =
            run_varn(std::string("--legacy ") + c.args, std::filesystem::path(VARN_TESTDATA_DIR));
        EXPECT_EQ(r.status, c.status) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    }
    const auto state  = temp_file("legacy_runner", "state.vk0");
    const RunResult r = run_varn("--legacy --fake-clock --frames 5 --save-state '" +
                                 state.string() + "' " + image("genesis/version-check.bin"));
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("Saving a state is not supported"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(state));
}

}  // namespace
}  // namespace varn::test
