// The SH-2 speed path (waiting loops counted off a round at a time) never changes what the
// 32X does: the shared 32X images, booted from their headers with their sound testers
// playing, run with the speed paths and without them from the same power-on and compared at
// every slice end, 32X parts included.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/speed_paths.h"
#include "e2e/e2e_machine.h"
#include "memory/memory.h"
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

// Appends (at == size) or sets a big-endian word.
void put_be16(std::vector<u8>& v, std::size_t at, u16 w) {
    if (at + 2 > v.size()) v.resize(at + 2);
    v[at]     = static_cast<u8>(w >> 8);
    v[at + 1] = static_cast<u8>(w);
}

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

// Both cores in the same waiting loop, whose round takes longer than a slice: a heartbeat byte
// in SDRAM that both bump (so each sees the other's counts between its slices), a poll of a
// communication byte, and fifty 3-cycle multiplies. Its rounds are recorded across slices and
// counted off; slices end everywhere in it, inside the heartbeat included.
TEST(SpeedPaths32xRandomTest, ARoundLongerThanASliceIsCountedOffAndPlaysAlike) {
    std::vector<u8> input(fuzz::kCodeIn + 16, 0);
    input[1] = 1;                                // 16 bytes of 68000 code
    put_be16(input, fuzz::kCodeIn, 0x60FE);      // bra.s * (the 68000 waits)
    const u16 head[] = {0xE310, 0x4318, 0x33EC,  // R3 = SDRAM + 0x1000
                        0xE503, 0xE607,          // R5 = 3, R6 = 7
                        0x6430, 0x7401, 0x2340,  // heartbeat: @R3 += 1 via R4
                        0xE020, 0x028C,          // R2 = communication byte 0
                        0xE400};                 // R4 overwritten
    for (const u16 w : head) put_be16(input, input.size(), w);
    for (u32 k = 0; k < 50; ++k) put_be16(input, input.size(), 0x0657);  // mul.l r5,r6
    put_be16(input, input.size(), 0xAFC6);                               // bra to the heartbeat
    put_be16(input, input.size(), 0x0009);                               // nop
    put_be16(input, input.size(), 0x0009);  // (the start copies whole longs)
    const auto image = fuzz::build_image(input.data(), input.size());
    u64 counted[2]   = {};
    const auto watch = [&](u64) {
        // (the plain run comes second and counts none)
        for (u32 core = 0; core < 2; ++core) {
            counted[core] = std::max(counted[core], sh2_loop_watch[core].rounds_counted);
        }
    };
    const SpeedPathComparison r =
        compare_speed_paths_32x([&] { e2e_power_on(image, true); }, 4, watch);
    EXPECT_TRUE(r.same) << r.what;
    EXPECT_FALSE(r.halted);
    EXPECT_GT(counted[0], 100u);
    EXPECT_GT(counted[1], 100u);
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
