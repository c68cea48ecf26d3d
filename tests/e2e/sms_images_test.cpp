// The Master System images from the shared folder, each run as a user would run it for 1,800
// frames: the first pad pressed on a script, the picture of the last frame and the sound of
// the whole run checked against CRCs recorded after looking at the pictures and listening to
// the sound. Set VARN_E2E_DUMP to a folder to write them there (PPM and WAV).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/crc32.h"
#include "base/host.h"
#include "base/speed_paths.h"
#include "e2e_wav.h"
#include "genesis/io/controller_ports.h"
#include "genesis/runtime/power_on.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "media/zip_builder.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "sms/sms.h"
#include "sms/sms_fixture.h"
#include "support/machine_records.h"
#include "support/test_files.h"
#include "support/test_machine.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

// Pad buttons as set bits: Up, Down, Left, Right, button 1, button 2 on the TH-high step,
// Start on the TH-low step (the Master System's Pause).
enum SmsButton : u8 {
    kUp      = 0x01,
    kDown    = 0x02,
    kLeft    = 0x04,
    kRight   = 0x08,
    kButton1 = 0x10,
    kButton2 = 0x20,
    kPause   = 0x80,
};

struct Press {
    u64 first;  // held from this frame up to, not including, `end`
    u64 end;
    u8 buttons;
};

struct SmsImage {
    const char* file;
    std::vector<Press> presses;
    u64 picture_frame;  // 1-based
    u32 picture_crc;
    u32 sound_crc;
    bool sounds;
};

void PrintTo(const SmsImage& c, std::ostream* os) { *os << c.file; }

constexpr u64 kFrames = 1800;

struct Sound {
    u32 crc  = 0;
    u64 loud = 0;
    std::vector<s16> samples;
};
Sound sound;

void keep_sound(const s16* samples, u32 bytes) {
    for (u32 i = 0; i < bytes / 2; ++i) {
        const u8 le[2] = {static_cast<u8>(samples[i]),
                          static_cast<u8>(static_cast<u16>(samples[i]) >> 8)};
        sound.crc      = crc32_update(sound.crc, le);
        if (samples[i] > 256 || samples[i] < -256) ++sound.loud;
    }
    sound.samples.insert(sound.samples.end(), samples, samples + bytes / 2);
}

void set_pad(u8 held) {
    const u8 pressed               = static_cast<u8>(~held);
    controller_ports[0].pad_seq[0] = static_cast<u8>(0x40 | (pressed & 0x3F));
    controller_ports[0].pad_seq[1] = static_cast<u8>((pressed & 0x03) | ((pressed >> 2) & 0x20));
    controller_ports[1].pad_seq[0] = 0x7F;
}

struct ImageRun {
    bool halted   = false;
    u64 frames    = 0;
    u32 picture   = 0;
    u32 sound_crc = 0;
    u64 loud      = 0;
    std::vector<u32> frame_crcs;  // every frame's picture
};

ImageRun run_image(const SmsImage& c, const std::vector<u8>& image, const char* dump_dir,
                   u64 frames = kFrames) {
    test::compose_machines();
    reset_runtime_records();
    cfg_set(cfg_frame_skip, 15);
    cfg_set(cfg_sound_rate, 0);
    cfg_set(cfg_region_order, 0);
    cfg_set(cfg_sms_use_bios, 0);
    cfg_set(cfg_sms_sprite_limit, 1);
    reset_genesis_records();
    sms_reset_records();

    SmsHost host;
    emu_set_host(&host);
    FrameImage frame;
    frame.attach(320, 240);
    std::copy(image.begin(), image.end(), cart_rom.begin());
    machine_kind = kMachineSms;
    sms_region_select();
    sound_reset_positions();
    sms_power_on_machine();
    surface_set_origin(render_surface.pixels, render_surface.pitch, render_surface.width,
                       render_surface.height, 0, 0);
    scheduler_reset();
    pace_rebase(host.now_ms());
    sound          = Sound{};
    sound_log_slot = keep_sound;

    ImageRun r;
    for (u64 f = 0; f < frames; ++f) {
        u8 held = 0;
        for (const Press& p : c.presses) {
            if (f >= p.first && f < p.end) held |= p.buttons;
        }
        set_pad(held);
        if (sms_run_frame() == FrameResult::kHalted) {
            r.halted = true;
            break;
        }
        ++r.frames;
        r.frame_crcs.push_back(frame.crc32(screen_width, screen_height));
        if (r.frames == c.picture_frame) {
            r.picture = frame.crc32(screen_width, screen_height);
            if (dump_dir != nullptr) {
                const std::string stem = std::string(dump_dir) + "/" + c.file;
                EXPECT_EQ(frame.write_ppm(stem + ".ppm", screen_width, screen_height), "");
            }
        }
    }
    sound_log_slot = nullptr;
    r.sound_crc    = sound.crc;
    r.loud         = sound.loud;
    if (dump_dir != nullptr) {
        test::e2e_write_wav(std::string(dump_dir) + "/" + c.file + ".wav", sound.samples);
    }
    emu_set_host(nullptr);
    render_output_reset();
    return r;
}

class SmsImageTest : public ::testing::TestWithParam<SmsImage> {};

TEST_P(SmsImageTest, RunsDrawsAndSoundsAsRecorded) {
    const SmsImage& c = GetParam();
    const auto path   = testdata_file(std::string("roms/sms/") + c.file);
    if (path.empty()) GTEST_SKIP() << "shared test images not present: " << c.file;
    const std::vector<u8> image = read_file(path);
    ASSERT_FALSE(image.empty());
    const ImageRun r = run_image(c, image, std::getenv("VARN_E2E_DUMP"));
    std::printf("%s: frames %llu picture %08x sound %08x loud %llu\n", c.file,
                static_cast<unsigned long long>(r.frames), r.picture, r.sound_crc,
                static_cast<unsigned long long>(r.loud));
    EXPECT_FALSE(r.halted);
    EXPECT_EQ(r.frames, kFrames);
    if (c.sounds) {
        EXPECT_GT(r.loud, 0u);
    }
    EXPECT_EQ(r.picture, c.picture_crc);
    EXPECT_EQ(r.sound_crc, c.sound_crc);
}

// What the kept frames show (checked by eye when recorded):
//   inlib_demo                 "inlib test", both ports as SMS pads; port 1 with button bits
//                              $0011 and "Up 1" while Up and button 1 are held (silent)
//   stevepro_hscroll_hockey    the rink scrolled to its centre line: Right scrolls it, Pause
//                              freezes it (Left is then ignored), Pause again and Left move
//                              it back part of the way (silent)
//   stevepro_pcm_psg_sfx       "== PCM SAMPLE TESTER ==" with its two lines of help; the sound
//                              has the spoken sample at 5 s, 11.7 s and 18.3 s (fire) and PSG
//                              effects at 10 s (Right) and 16.7 s (Down)
const SmsImage kImages[] = {
    {"inlib_demo.sms", {{600, 1800, kUp | kButton1}}, 1800, 0x61d5e45f, 0xe503f166, false},
    {"stevepro_hscroll_hockey.sms",
     {{300, 600, kRight},
      {900, 905, kPause},
      {1000, 1300, kLeft},
      {1400, 1405, kPause},
      {1500, 1560, kLeft}},
     1800,
     0x91607acd,
     0xe503f166,
     false},
    {"stevepro_pcm_psg_sfx.sms",
     {{300, 310, kButton1},
      {600, 610, kRight},
      {700, 710, kButton1},
      {1000, 1010, kDown},
      {1100, 1110, kButton1}},
     1800,
     0x298e6b6c,
     0x8f1cbd99,
     true},
};

INSTANTIATE_TEST_SUITE_P(MasterSystem, SmsImageTest, ::testing::ValuesIn(kImages),
                         [](const ::testing::TestParamInfo<SmsImage>& param_info) {
                             std::string name;
                             for (const char* p = param_info.param.file; *p != '.'; ++p) {
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             }
                             return name;
                         });

// The line cache (a speed path) draws what drawing every line afresh draws: the scrolling
// picture frame by frame, with the pad scrolling it both ways and pausing it.
TEST(SmsSpeedPaths, PicturesAndSoundMatchThePlainPath) {
    const auto path = testdata_file("roms/sms/stevepro_hscroll_hockey.sms");
    if (path.empty()) GTEST_SKIP() << "shared test images not present";
    const std::vector<u8> image = read_file(path);
    const SmsImage plan{
        "stevepro_hscroll_hockey.sms",
        {{30, 200, kRight}, {220, 225, kPause}, {260, 265, kPause}, {270, 400, kLeft}},
        400,
        0,
        0,
        false};
    const ImageRun fast = run_image(plan, image, nullptr, 400);
    set_speed_paths(false);
    const ImageRun plain = run_image(plan, image, nullptr, 400);
    set_speed_paths(true);
    ASSERT_EQ(fast.frame_crcs.size(), 400u);
    EXPECT_EQ(fast.frame_crcs, plain.frame_crcs);
    EXPECT_EQ(fast.sound_crc, plain.sound_crc);
    // It did scroll.
    EXPECT_NE(fast.frame_crcs[20], fast.frame_crcs[210]);
}

// The runner takes a .sms image by its extension and refuses states on this machine.
TEST(SmsVarnRun, RunsByExtensionAndRefusesStates) {
    const auto path = testdata_file("roms/sms/stevepro_hscroll_hockey.sms");
    if (path.empty()) GTEST_SKIP() << "shared test images not present";
    const RunResult ok = run_varn("--frames 30 --fake-clock " + path.string());
    EXPECT_EQ(ok.status, 0) << ok.output;
    EXPECT_NE(ok.output.find("frames 30 slices 82560"), std::string::npos) << ok.output;

    const auto state = temp_file("sms_varn_run", "x.state");
    for (const char* option : {"--save-state ", "--load-state "}) {
        const RunResult refused =
            run_varn(std::string("--frames 1 ") + option + state.string() + " " + path.string());
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.output.find(kSmsNoStateText), std::string::npos) << refused.output;
    }
    EXPECT_FALSE(std::filesystem::exists(state));
    // Taken under the Genesis filter, as the dialog would, a .sms name has no Genesis load
    // type: the loader says so and nothing runs.
    const RunResult genesis = run_varn("--frames 1 --system genesis --fake-clock " + path.string());
    EXPECT_EQ(genesis.status, 2) << genesis.output;
    EXPECT_NE(genesis.output.find("Load type and/or Load mode could not be determined."),
              std::string::npos)
        << genesis.output;
}

// Inside an archive the name says nothing of the machine: a Genesis state offered to the
// Master System that an archive brought in under its filter is refused all the same.
TEST(SmsVarnRun, AGenesisStateIsRefusedByTheMasterSystemOfAnArchive) {
    const auto sms     = testdata_file("roms/sms/stevepro_hscroll_hockey.sms");
    const auto genesis = testdata_file("roms/genesis/version-check.bin");
    if (sms.empty() || genesis.empty()) GTEST_SKIP() << "shared test images not present";
    const auto state = temp_file("sms_varn_run", "genesis.vk0");
    const auto zip   = temp_file("sms_varn_run", "game.zip");
    ASSERT_EQ(
        run_varn("--frames 5 --fake-clock --save-state " + state.string() + " " + genesis.string())
            .status,
        0);
    const auto zipped = build_zip({{"GAME.SMS", read_file(sms)}});
    std::FILE* f      = std::fopen(zip.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(zipped.data(), 1, zipped.size(), f);
    std::fclose(f);

    const RunResult r = run_varn("--frames 5 --fake-clock --filter 5 --load-state " +
                                 state.string() + " " + zip.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(kSmsNoStateText), std::string::npos) << r.output;
    std::filesystem::remove(state);
    std::filesystem::remove(zip);
}

}  // namespace
}  // namespace varn::test
