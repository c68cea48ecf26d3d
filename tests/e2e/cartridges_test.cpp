// The test cartridges from the shared folder, each run as a user would run it: it must not
// halt, its picture and sound are as checked by eye and ear when they were recorded (the
// CRCs below), and the ones with sound drivers make sound.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "base/endian.h"
#include "e2e_machine.h"
#include "genesis/vdp/render_output.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

struct Cartridge {
    const char* file;
    u64 frames;
    u64 picture_frame;
    u64 sound_frames;
    std::vector<PadPress> presses;
    bool sounds;  // a Z80 driver makes sound within the run
    u32 picture_crc;
    u32 sound_crc;
};

void PrintTo(const Cartridge& c, std::ostream* os) { *os << c.file; }

// With VARN_E2E_DUMP set to a folder, the kept picture (PPM) and the sound (WAV, 16-bit
// mono) are written there, to look at and listen to before recording new CRCs.
void dump(const std::string& dir, const std::string& file, const E2eRunResult& r) {
    const std::string stem = dir + "/" + file.substr(0, file.rfind('.'));
    const u32 w = r.picture_width, h = r.picture_height;
    std::vector<u8> rows((static_cast<std::size_t>(w) * 3 + 1) * h);
    if (!r.picture.empty() && png_convert_surface_rows(r.picture.data(), 320, w, h, rows)) {
        if (std::FILE* f = std::fopen((stem + ".ppm").c_str(), "wb")) {
            std::fprintf(f, "P6\n%u %u\n255\n", w, h);
            for (u32 y = 0; y < h; ++y) std::fwrite(&rows[y * (w * 3 + 1) + 1], 1, w * 3, f);
            std::fclose(f);
        }
    }
    if (std::FILE* f = std::fopen((stem + ".wav").c_str(), "wb")) {
        const u32 data = static_cast<u32>(r.sound.size() * 2);
        u8 hdr[44]     = {'R', 'I', 'F', 'F', 0,  0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
                          ' ', 16,  0,   0,   0,  1, 0,   1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58,
                          1,   0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};
        store_le32(hdr + 4, 36 + data);
        store_le32(hdr + 40, data);
        std::fwrite(hdr, 1, sizeof hdr, f);
        for (const s16 v : r.sound) {
            u8 le[2];
            store_le16(le, static_cast<u16>(v));
            std::fwrite(le, 1, 2, f);
        }
        std::fclose(f);
    }
}

class CartridgeTest : public ::testing::TestWithParam<Cartridge> {};

TEST_P(CartridgeTest, RunsDrawsAndSoundsAsRecorded) {
    const Cartridge& c = GetParam();
    const auto path    = testdata_file(std::string("roms/genesis/") + c.file);
    if (path.empty()) GTEST_SKIP() << "shared test images not present: " << c.file;
    E2eRunPlan plan{path.string(), c.frames, c.picture_frame, c.sound_frames, c.presses};
    const E2eRunResult r = e2e_run(plan);
    ASSERT_TRUE(r.loaded);
    std::printf("%s: frames %llu picture %08x (%ux%u) sound %08x samples %llu loud %llu z80 %d\n",
                c.file, static_cast<unsigned long long>(r.frames_run), r.picture_crc,
                r.picture_width, r.picture_height, r.sound_crc,
                static_cast<unsigned long long>(r.sound_samples),
                static_cast<unsigned long long>(r.loud_samples), r.z80_ran ? 1 : 0);
    if (const char* dir = std::getenv("VARN_E2E_DUMP"); dir != nullptr) dump(dir, c.file, r);
    EXPECT_FALSE(r.halted);
    EXPECT_EQ(r.frames_run, c.frames);
    if (c.sounds) {
        EXPECT_TRUE(r.z80_ran);
        EXPECT_GT(r.loud_samples, 0u);
    }
    EXPECT_EQ(r.picture_crc, c.picture_crc);
    EXPECT_EQ(r.sound_crc, c.sound_crc);
}

// What the kept frames show (checked by eye when recorded):
//   minimusic-sample    a blank screen; C pressed at frame 60 queues the driver's effect
//   nikona-rom_md       "Nikona screen template" and the frame counter
//   ram-viewer          the hex view of work RAM, addresses in yellow
//   sgdk-linescroll     the checkered floor in perspective above the card-suit border
//   sgdk-bitmap-cube3d  the wireframe cube in the bitmap, with its figures above it
//   sgdk-hilight-shadow the brick wall with shadowed and highlighted stripes and sprites
//   sgdk-hint-wobble    the tiled lions behind the wave menu
//   sgdk-joy-test       the device list with a three-button pad in port 1
//   stereo-test         the menu; the drum plays left, centre and right (A, B, C)
//   version-check       version 0, America, no 32X
// minimusic-sample's driver takes the C command as sound effect 0 and plays it on the PSG
// noise channel only (white noise clocked by the muted tone 2, noise attenuation 3-9; no FM
// key-on): this PSG produces no noise, so that run is silent by design, not by a driver fault.
// nikona-rom_md's first screen plays nothing: Start leads to its sound test, where C plays the
// chosen sequence (below), so its run here is silent by the cartridge's design.
const Cartridge kCartridges[] = {
    {"minimusic-sample.bin", 300, 300, 300, {{60, 70, kPadC}}, false, 0xc09cc01e, 0xfb129b1a},
    {"nikona-rom_md.bin", 300, 300, 300, {}, false, 0xf17df786, 0xfb129b1a},
    {"ram-viewer.bin", 300, 300, 300, {}, false, 0x47be1a9c, 0xfb129b1a},
    {"sgdk-bitmap-cube3d.bin", 300, 300, 300, {}, false, 0xcdf2c9ac, 0xfb129b1a},
    {"sgdk-hilight-shadow.bin", 300, 300, 300, {}, false, 0x9a2b0584, 0xfb129b1a},
    {"sgdk-hint-wobble.bin", 300, 300, 300, {}, false, 0x88b303ca, 0xfb129b1a},
    {"sgdk-joy-test.bin", 300, 300, 300, {}, false, 0xeb9f4c52, 0xfb129b1a},
    {"stereo-test.bin",
     300,
     300,
     300,
     {{60, 70, kPadA}, {120, 130, kPadB}, {180, 190, kPadC}},
     true,
     0xc20b185b,
     0xacfa5c0c},
    {"version-check.bin", 300, 300, 300, {}, false, 0x6c41ff5a, 0xfb129b1a},
    {"sgdk-linescroll.bin", 300, 300, 300, {}, false, 0x2fa45274, 0xfb129b1a},
};

// nikona-rom_md's sound test: Start leaves the first screen, Right steps the sequence number
// and C plays it through the Z80 tracker driver. Sequence 0 streams one long sample through
// the DAC from the cartridge's bank window; sequence 1 keys FM channels 1, 2, 4 and 5 and
// plays PSG tones 0 and 1 and DAC drums. The kept frame is the sound test with the playing
// sequence's numbers.
const Cartridge kNikonaSoundTest[] = {
    {"nikona-rom_md.bin",
     300,
     300,
     300,
     {{60, 70, kPadStart}, {120, 130, kPadC}},
     true,
     0xd42828d0,
     0xcc25e384},
    {"nikona-rom_md.bin",
     300,
     300,
     300,
     {{60, 70, kPadStart}, {100, 105, kPadRight}, {120, 130, kPadC}},
     true,
     0x63be7101,
     0xa570db68},
};

// gema-soundtest_md's sound tester: Left/Right step the sequence number, C plays it through
// the Z80 driver. Sequence 0 is a PSG square-wave melody whose notes fade; sequences 1 and 2
// are songs of FM voices and drums. The kept frame is the tester with the playing sequence's
// number and its three animated figures.
const Cartridge kGemaSoundTest[] = {
    {"gema-soundtest_md.bin", 300, 300, 300, {{60, 70, kPadC}}, true, 0x166f33c9, 0x9d2d6c1d},
    {"gema-soundtest_md.bin",
     300,
     300,
     300,
     {{30, 35, kPadRight}, {60, 70, kPadC}},
     true,
     0x1856acae,
     0x74a9dc41},
    {"gema-soundtest_md.bin",
     300,
     300,
     300,
     {{20, 25, kPadRight}, {35, 40, kPadRight}, {60, 70, kPadC}},
     true,
     0xd6be8ca1,
     0xd8951034},
};

// Two runs of the same image give the same picture and sound.
TEST(CartridgeRepeat, TwoRunsGiveTheSameCrcs) {
    const auto path = testdata_file("roms/genesis/stereo-test.bin");
    if (path.empty()) GTEST_SKIP() << "shared test images not present";
    const E2eRunPlan plan{path.string(), 120, 120, 120, {{30, 40, kPadB}}};
    const E2eRunResult a = e2e_run(plan);
    const E2eRunResult b = e2e_run(plan);
    EXPECT_EQ(a.picture_crc, b.picture_crc);
    EXPECT_EQ(a.sound_crc, b.sound_crc);
    EXPECT_GT(a.loud_samples, 0u);
}

INSTANTIATE_TEST_SUITE_P(Genesis, CartridgeTest, ::testing::ValuesIn(kCartridges),
                         [](const ::testing::TestParamInfo<Cartridge>& param_info) {
                             std::string name;
                             for (const char* p = param_info.param.file; *p != '.'; ++p) {
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             }
                             return name;
                         });

INSTANTIATE_TEST_SUITE_P(NikonaSoundTest, CartridgeTest, ::testing::ValuesIn(kNikonaSoundTest),
                         [](const ::testing::TestParamInfo<Cartridge>& param_info) {
                             return "sequence_" + std::to_string(param_info.index);
                         });

INSTANTIATE_TEST_SUITE_P(GemaSoundTest, CartridgeTest, ::testing::ValuesIn(kGemaSoundTest),
                         [](const ::testing::TestParamInfo<Cartridge>& param_info) {
                             return "sequence_" + std::to_string(param_info.index);
                         });

}  // namespace
}  // namespace varn::test
