// The SH-2 speed path (waiting loops counted off a round at a time) never changes what the
// 32X does: the shared 32X images, booted from their headers with their sound testers
// playing, run with the speed paths and without them from the same power-on and compared at
// every slice end, 32X parts included.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/speed_paths.h"
#include "e2e/e2e_machine.h"
#include "genesis/memory/memory.h"
#include "s32x/s32x.h"
#include "s32x/s32x_fuzz_image.h"
#include "sh2/sh2_speed_paths.h"
#include "support/machine_compare_32x.h"

namespace varn::test {
namespace {

struct Image32x {
    const char* file;
    u64 frames;
    std::vector<PadPress> presses;  // what starts the sound tester
};

std::vector<u8> read_image(const std::string& file) {
    const auto path = std::filesystem::path(VARN_TESTDATA_DIR) / "roms/32x" / file;
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SpeedPaths32xTest : public ::testing::TestWithParam<Image32x> {
  protected:
    void TearDown() override {
        set_speed_paths(true);
        e2e_power_off();
    }
};

TEST_P(SpeedPaths32xTest, PlaysAlikeWithAndWithoutTheSpeedPaths) {
    const Image32x& p = GetParam();
    const auto image  = read_image(p.file);
    if (image.empty()) GTEST_SKIP() << "shared test image not found: " << p.file;
    ASSERT_LE(image.size(), cart_rom.size());
    u64 counted    = 0;
    const auto pad = [&](u64 frame) {
        u8 buttons = 0;
        for (const PadPress& press : p.presses) {
            if (frame >= press.first && frame < press.end) buttons |= press.buttons;
        }
        e2e_set_pad(buttons);
        counted += sh2_loop_watch[0].rounds_counted + sh2_loop_watch[1].rounds_counted;
    };
    const SpeedPathComparison r =
        compare_speed_paths_32x([&] { e2e_power_on(image, true); }, p.frames, pad);
    EXPECT_TRUE(r.same) << r.what;
    EXPECT_FALSE(r.halted);
    EXPECT_EQ(r.frames, p.frames);
    EXPECT_GT(counted, 0u) << "no waiting loop was counted off: the comparison proved nothing";
}

// Random code on both sides, as the 32X fuzz target builds it (a fixed seed): the speed path
// must keep whatever the programs do, waiting loops or not.
TEST(SpeedPaths32xRandomTest, RandomCartridgesRunAlike) {
    std::mt19937 random(0x32A);
    for (u32 round = 0; round < 24; ++round) {
        std::vector<u8> input(0x20 + 0x400);
        for (u8& b : input) b = static_cast<u8>(random());
        input[0] &= 0xFB;  // the boot fields the start code sets: both cores start at once
        const auto image = fuzz::build_image(input.data(), input.size());
        const SpeedPathComparison r =
            compare_speed_paths_32x([&] { e2e_power_on(image, true); }, 1 + (input[0] & 1));
        EXPECT_TRUE(r.same) << "input " << round << ": " << r.what;
    }
    s32x_set_fitted(false);
    s32x_reset();
    e2e_power_off();
}

INSTANTIATE_TEST_SUITE_P(
    Shared, SpeedPaths32xTest,
    ::testing::Values(Image32x{"gema-soundtest_mars.32x", 150, {{40, 44, kPadC}}},
                      Image32x{"nikona-rom_mars.32x", 150, {{30, 34, kPadStart}, {80, 84, kPadC}}}),
    [](const ::testing::TestParamInfo<Image32x>& param) {
        return std::string(param.param.file).substr(0, 4);
    });

}  // namespace
}  // namespace varn::test
