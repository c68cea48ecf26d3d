// The 32X test images from the shared folder, booted from their cartridge headers (no
// system ROMs) and run as a user would: neither SH-2 nor the 68000 halts, and the picture
// and sound are as checked by eye and ear when they were recorded.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e_machine.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

struct Image32x {
    const char* file;
    u64 frames;
    std::vector<PadPress> presses;
    bool pwm;  // the PWM outputs play within the run
    u32 picture_crc;
    u32 sound_crc;
};

void PrintTo(const Image32x& c, std::ostream* os) { *os << c.file; }

// What the kept (last) frames show:
//   nikona-rom_mars      "Nikona screen template", the frame counter, and the textured model
//                        turning in the 32X frame buffer
//   gema-soundtest_mars  the sound driver's tester with its three 32X sprites, sequence 04
//                        selected
// The tester's pad script: Right and C play sequence 1 (FM and PSG) from frame 130, three
// Rights and C then play sequence 4 (FM and the slave's PWM mix) from frame 480 to the end.
// nikona-rom_mars's run is silent: its slave sets the PWM up and idles it off the middle, a
// constant level that fades out within the first frames.
const Image32x kImages[] = {
    {"nikona-rom_mars.32x", 1800, {}, true, 0xf49d8bad, 0x10442224},
    {"gema-soundtest_mars.32x",
     900,
     {{120, 124, kPadRight},
      {130, 140, kPadC},
      {440, 444, kPadRight},
      {450, 454, kPadRight},
      {460, 464, kPadRight},
      {480, 490, kPadC}},
     true,
     0x4f009a60,
     0xd23e0880},
};

class Image32xTest : public ::testing::TestWithParam<Image32x> {};

TEST_P(Image32xTest, BootsRunsDrawsAndSoundsAsRecorded) {
    const Image32x& c = GetParam();
    const auto path   = testdata_file(std::string("roms/32x/") + c.file);
    if (path.empty()) GTEST_SKIP() << "shared test images not present: " << c.file;
    E2eRunPlan plan{path.string(), c.frames, c.frames, c.frames, c.presses, true};
    const E2eRunResult r = e2e_run(plan);
    ASSERT_TRUE(r.loaded);
    std::printf("%s: frames %llu picture %08x (%ux%u) sound %08x samples %llu loud %llu pwm %d\n",
                c.file, static_cast<unsigned long long>(r.frames_run), r.picture_crc,
                r.picture_width, r.picture_height, r.sound_crc,
                static_cast<unsigned long long>(r.sound_samples),
                static_cast<unsigned long long>(r.loud_samples), r.pwm_played ? 1 : 0);
    if (const char* dir = std::getenv("VARN_E2E_DUMP"); dir != nullptr) e2e_dump(dir, c.file, r);
    EXPECT_FALSE(r.halted);
    EXPECT_EQ(r.frames_run, c.frames);
    EXPECT_EQ(r.pwm_played, c.pwm);
    EXPECT_EQ(r.picture_crc, c.picture_crc);
    EXPECT_EQ(r.sound_crc, c.sound_crc);
}

INSTANTIATE_TEST_SUITE_P(Shared, Image32xTest, ::testing::ValuesIn(kImages),
                         [](const auto& param_info) {
                             std::string name = param_info.param.file;
                             return name.substr(0, name.find('-')) +
                                    std::to_string(param_info.index);
                         });

}  // namespace
}  // namespace varn::test
