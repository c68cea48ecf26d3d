// The speed paths (chained dispatch, the 68000 wait and poll loops, the Z80 self-jump loop,
// the wait stretches, the VDP line and sprite caches) never change what the machine does: the real
// Genesis, run with them and without them from the same power-on, compared at every slice end.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/speed_paths.h"
#include "e2e/e2e_machine.h"
#include "genesis/memory/memory.h"
#include "genesis/runtime/scheduler.h"
#include "support/machine_compare.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

// A three-button pad in port 1 pressed now and then: Start, C, Right, A, Start, B, C, Left
// (menus open, sounds play, pages turn).
u8 pad_script(u64 frame) {
    struct Press {
        u64 first;
        u8 buttons;
    };
    static constexpr Press kPresses[] = {{100, kPadStart}, {160, kPadC},     {220, kPadRight},
                                         {280, kPadA},     {340, kPadStart}, {400, kPadB},
                                         {460, kPadC},     {520, kPadLeft}};
    for (const Press& p : kPresses) {
        if (frame >= p.first && frame < p.first + 8) return p.buttons;
    }
    return 0;
}

class SpeedPathsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        set_speed_paths(true);
        e2e_power_off();
    }

    static SpeedPathComparison compare(const std::vector<u8>& image, u64 frames) {
        return compare_speed_paths([&] { e2e_power_on(image); }, frames,
                                   [](u64 frame) { e2e_set_pad(pad_script(frame)); });
    }
};

// The usual wait for a DMA fill: the first status read after the fill reports DMA busy and
// the next one does not, so the loop goes round once and leaves.
TEST_F(SpeedPathsTest, PollLoopOnTheDmaBusyBitLeavesWhenThePlainRunDoes) {
    const auto image = read_program("speed_paths_poll_after_fill");
    ASSERT_FALSE(image.empty());
    const SpeedPathComparison r = compare(image, 20);
    EXPECT_TRUE(r.same) << r.what;
    EXPECT_EQ(r.frames, 20u);
    EXPECT_EQ(r.slices, 20u * kSlicesPerFrame);
    EXPECT_NE(m68k_ram[2] | m68k_ram[3], 0) << "the fills ran";
}

// Each shared test cartridge, 600 frames with a pad pressed now and then.
class SpeedPathsCartridgeTest : public SpeedPathsTest,
                                public ::testing::WithParamInterface<std::string> {};

std::vector<std::string> shared_cartridges() {
    std::vector<std::string> names;
    const std::filesystem::path dir = std::filesystem::path(VARN_TESTDATA_DIR) / "roms/genesis";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.is_regular_file() && entry.path().extension() == ".bin")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) names.push_back("absent");  // the folder is missing: one skipped test
    return names;
}

TEST_P(SpeedPathsCartridgeTest, SixHundredFramesAlike) {
    const auto path = std::filesystem::path(VARN_TESTDATA_DIR) / "roms/genesis" / GetParam();
    std::ifstream in(path, std::ios::binary);
    if (!in) GTEST_SKIP() << "shared test images not found: " << path;
    const std::vector<u8> image((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    ASSERT_LE(image.size(), cart_rom.size());
    const SpeedPathComparison r = compare(image, 600);
    EXPECT_TRUE(r.same) << r.what;
    EXPECT_FALSE(r.halted);
    EXPECT_EQ(r.frames, 600u);
}

std::string cartridge_test_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.find('.'));
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Shared, SpeedPathsCartridgeTest, ::testing::ValuesIn(shared_cartridges()),
                         cartridge_test_name);

}  // namespace
}  // namespace varn::test
