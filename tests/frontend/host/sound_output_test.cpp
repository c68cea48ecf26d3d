#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/config.h"
#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/cd_requests.h"
#include "cddrive/fake_drive.h"
#include "frontend/host/frame_images.h"
#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"
#include "frontend/host/window_host.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"

namespace varn {
namespace {

class SoundOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        cfg_sound_rate.store(0);
        thread_link_reset();
        sound_output_reset();
    }
    void TearDown() override {
        emu_set_host(nullptr);
        cfg_sound_rate.store(0);
        sound_output_reset();
    }

    // One frame of samples through the runtime's frame end, with `host` as the host.
    void frame_of(s16 value, u32 samples = 735) {
        for (u32 i = 0; i < samples; ++i)
            *sound_next_slot() = value, sound_frame.sound_write_pos += 2;
        sound_frame_end();
    }

    std::vector<std::string> messages;
    SoundOutput output{[this](const std::string& m) { messages.push_back(m); }};
};

TEST_F(SoundOutputTest, OpensTwoSecondsAtTheConfiguredRateAndStreamsFrames) {
    cfg_sound_rate.store(1);
    output.init();
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(output.enabled());
    EXPECT_EQ(output.rate(), 22050u);
    EXPECT_EQ(output.size_bytes(), 88200u);
    EXPECT_TRUE(output.streaming());

    // The frame lands ahead of the write cursor by the lead the hand-over keeps.
    RequestQueue requests;
    FrameImages images;
    WindowHost host(requests, images, output);
    emu_set_host(&host);
    output.ring().stop();  // hold the device still so the positions can be checked
    const u32 cursor = output.write_cursor();
    frame_of(0x1234, 367);
    const std::vector<u8> ring = output.ring().contents();
    const u32 at               = (cursor + (0x628 >> 1)) % 88200;
    EXPECT_EQ(ring[at], 0x34);
    EXPECT_EQ(ring[at + 1], 0x12);
    EXPECT_EQ(ring[(at + 2 * 367 - 1) % 88200], 0x12);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    output.shutdown();
}

TEST_F(SoundOutputTest, PauseAndStopSilenceTheBufferAndResumeStartsFromSilence) {
    output.init();
    ASSERT_TRUE(output.enabled());
    SoundWindow w;
    ASSERT_TRUE(output.lock(0, 4000, w));
    std::fill(w.piece1, w.piece1 + w.length1, u8{0x55});
    output.unlock();

    output.pause();
    EXPECT_TRUE(output.paused());
    EXPECT_FALSE(output.streaming());
    EXPECT_FALSE(output.ring().playing());
    EXPECT_EQ(output.ring().contents(), std::vector<u8>(176400, 0));
    output.resume();
    EXPECT_TRUE(output.streaming());
    EXPECT_TRUE(output.ring().playing());

    ASSERT_TRUE(output.lock(100, 10, w));
    std::fill(w.piece1, w.piece1 + w.length1, u8{0x66});
    output.unlock();
    output.stop_clear();
    EXPECT_TRUE(output.stopped());
    EXPECT_FALSE(output.streaming());
    EXPECT_EQ(output.ring().contents(), std::vector<u8>(176400, 0));
    output.resume();
    EXPECT_TRUE(output.streaming());
    output.shutdown();
    EXPECT_FALSE(output.streaming());
}

TEST_F(SoundOutputTest, StopAndRebootStopARealDrivesAudioWhereAPauseHoldsIt) {
    // A chosen drive playing CD audio; the window's requests are carried out as the main
    // window carries them out.
    test::FakeDriveLog log;
    test::FakeDrive drive{"FAKECO  FAKE CD-ROM     ", &log};
    drive.insert(std::vector<u8>(2048 * 16, 0));
    test::FakeBus bus;
    bus.entries = {{{0, 0, 0, 0, kScsiTypeCdRom, "/dev/sr0"}, &drive}};
    cd_drive_table_reset();
    cd_drive_set_system_bus(&bus);
    cd_drive_scan(bus);
    cd_drive_select(1);
    output.init();
    RequestQueue requests;
    FrameImages images;
    WindowHost host(requests, images, output);
    emu_set_host(&host);
    gui_ready.store(1);
    auto carry_out = [&] {
        log.commands.clear();
        requests.drain([](const ThreadRequest& r) { cd_request(r.code, r.param); });
        std::vector<u8> sent;
        for (const auto& c : log.commands) sent.push_back(c.cdb[0]);
        return sent;
    };
    constexpr u8 kPauseResume = 0x4B, kStartStop = 0x1B;
    const struct {
        const char* what;
        void (*command)();
        std::vector<u8> sent;
        bool stopped;
    } steps[] = {
        {"pause", [] { emu_pause_request(kPauseUser); }, {kPauseResume}, false},
        {"resume", [] { emu_resume_request(kPauseUser); }, {kPauseResume}, false},
        {"reboot", [] { emu_reboot_sequence(0); }, {kPauseResume, kStartStop}, false},
        {"stop", [] { emu_stop_and_wait(); }, {kStartStop}, true},
    };
    for (const auto& step : steps) {
        cd_audio_playing = {1, 1, 1};  // the drive plays
        step.command();
        EXPECT_EQ(carry_out(), step.sent) << step.what;
        EXPECT_EQ(output.stopped(), step.stopped) << step.what;
    }
    EXPECT_EQ(cd_audio_playing.playing, 0u) << "nothing is left to resume";
    gui_ready.store(0);
    aspi_stop_disc();
    cd_drive_set_system_bus(nullptr);
    cd_drive_table_reset();
    output.shutdown();
}

TEST_F(SoundOutputTest, RateChangeRecreatesTheStreamAndStartsItsPositionsAgain) {
    output.init();
    sound_frame.sound_host_write_pos = 5000;
    sound_frame.sound_write_pos      = 20;
    cfg_sound_rate.store(2);
    output.rebuild();
    EXPECT_EQ(output.rate(), 11025u);
    EXPECT_EQ(output.size_bytes(), 44100u);
    EXPECT_EQ(output.ring().size(), 44100u);
    EXPECT_EQ(sound_frame.sound_host_write_pos, 0u);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    EXPECT_TRUE(output.streaming());
    EXPECT_TRUE(messages.empty());
    output.shutdown();
}

// A stream recreated while the emulator is paused stays still until the resume.
TEST_F(SoundOutputTest, StreamCreatedUnderAPauseWaitsForTheResume) {
    output.init();
    emu_state_flags.store(kStatePaused);
    output.rebuild();
    EXPECT_FALSE(output.ring().playing());
    output.resume();
    EXPECT_TRUE(output.ring().playing());
    output.shutdown();
}

TEST_F(SoundOutputTest, WithoutADeviceTheProgramRunsSilentAndFramesAreStillConsumed) {
    const std::string driver = std::getenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    output.init();
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    EXPECT_EQ(messages,
              std::vector<std::string>{"DirectSound not initialized.  Executing in silent mode."});
    EXPECT_FALSE(output.enabled());
    EXPECT_FALSE(output.streaming());

    // Every call is safe in silent mode, and none says anything more.
    output.resume();
    output.pause();
    output.stop_clear();
    output.resume();
    output.rebuild();
    EXPECT_FALSE(output.streaming());
    EXPECT_EQ(messages.size(), 1u);
    SoundWindow w;
    EXPECT_FALSE(output.lock(0, 2944, w));
    output.unlock();

    RequestQueue requests;
    FrameImages images;
    WindowHost host(requests, images, output);
    emu_set_host(&host);
    for (int i = 0; i < 5; ++i) {
        frame_of(100);
        EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    }
    output.shutdown();
}

}  // namespace
}  // namespace varn
