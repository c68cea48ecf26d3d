// The user-interface side of the thread link with a live emulation thread: requests reach
// the window in order and only while it is ready, frames and sound flow while the window
// pauses, resumes and stops the thread, and the exit entry ends it. Built for the tsan preset.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "frontend/host/frame_images.h"
#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"
#include "frontend/host/window_host.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"

namespace varn {
namespace {

TEST(RequestQueue, DeliversInOrderOnlyWhileReadyAndWakesOncePerBatch) {
    RequestQueue queue;
    int wakes = 0;
    queue.set_wake([&] { ++wakes; });
    gui_ready.store(0);
    queue.post(1, 0);  // before start-up is over: lost
    EXPECT_TRUE(queue.empty());
    gui_ready.store(1);
    queue.post(0x20000001, 0);
    queue.post(1, 2);
    EXPECT_EQ(wakes, 1);
    std::vector<ThreadRequest> got;
    queue.drain([&](const ThreadRequest& r) {
        got.push_back(r);
        if (got.size() == 1) queue.post(0x20000000, 0);  // posted while draining
    });
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].code, 0x20000001u);
    EXPECT_EQ(got[1].code, 1u);
    EXPECT_EQ(got[1].param, 2u);
    EXPECT_EQ(got[2].code, 0x20000000u);
    queue.post(2, 0);
    EXPECT_EQ(wakes, 2);
    gui_ready.store(0);
}

// A stand-in machine: every frame draws its number into the image, makes a frame of sound,
// asks for a status update and checks pause and stop, as the frame loops do.
WindowHost* link_host = nullptr;
std::atomic<u32> machine_frames{0};

void stand_in_machine() {
    FrameSurface s = link_host->present_frame();
    for (;;) {
        const u32 n = machine_frames.fetch_add(1) + 1;
        std::fill(s.pixels, s.pixels + s.pitch * s.height, static_cast<u16>(n));
        for (u32 i = 0; i < 735; ++i) {
            *sound_next_slot() = static_cast<s16>(n);
            sound_frame.sound_write_pos += 2;
        }
        sound_frame_end();
        s = link_host->present_frame();
        gui_post_to_frame(n, kRequestThreadStateChanged);
        if (!emu_check_pause_stop()) return;
    }
}

TEST(WindowLink, HandshakesWithALiveThread) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    thread_link_reset();
    sound_output_reset();
    RequestQueue requests;
    FrameImages images;
    SoundOutput sound([](const std::string&) {});
    sound.init();
    WindowHost host(requests, images, sound);
    link_host = &host;
    machine_frames.store(0);
    std::atomic<int> wakes{0};
    requests.set_wake([&] { wakes.fetch_add(1); });
    emu_set_host(&host);
    gui_ready.store(0);

    std::thread thread = emu_thread_start();
    emu_stop_and_wait();  // start-up's proof that the thread is alive
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    EXPECT_TRUE(requests.empty());  // its first status request came before the window was ready
    gui_ready.store(1);

    // With no machine the idle loop acknowledges a pause and its release.
    emu_pause_request(kPauseUser);
    EXPECT_NE(emu_state_flags.load() & kStatePaused, 0u);
    EXPECT_FALSE(sound.streaming());
    emu_resume_request(kPauseUser);
    EXPECT_EQ(emu_state_flags.load() & kStatePaused, 0u);
    EXPECT_TRUE(sound.streaming());

    // A machine runs; the window takes frames and requests while it pauses and resumes it.
    emu_thread_target.store(stand_in_machine);
    u32 last_request = 0;
    auto drain       = [&] {
        requests.drain([&](const ThreadRequest& r) {
            if (r.code != kRequestThreadStateChanged || r.param == 0) return;
            EXPECT_GT(r.param, last_request);  // in order, none twice
            last_request = r.param;
        });
        const u16* p = images.latest();
        EXPECT_TRUE(std::all_of(p, p + 640 * 480, [p](u16 v) { return v == p[0]; }));
    };
    for (int round = 0; round < 20; ++round) {
        while (machine_frames.load() < static_cast<u32>(5 * (round + 1))) drain();
        emu_pause_request(kPauseMenu | kPauseFocus);
        const u32 held = machine_frames.load();
        EXPECT_EQ(emu_thread_state.load(), kThreadPaused);
        emu_resume_request(kPauseMenu);
        EXPECT_EQ(machine_frames.load(), held);  // focus still holds it
        EXPECT_NE(emu_state_flags.load() & kStatePaused, 0u);
        emu_resume_request(kPauseFocus);
        EXPECT_EQ(emu_state_flags.load() & kStatePaused, 0u);
    }
    drain();
    EXPECT_GT(wakes.load(), 0);
    EXPECT_GT(images.frames_presented(), 100u);

    // Shut-down: requests dropped, stop, exit entry, and the thread ends.
    gui_ready.store(0);
    emu_stop_and_wait();
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    const u32 stopped_at = machine_frames.load();
    emu_thread_target.store(emu_thread_exit);
    thread.join();
    EXPECT_FALSE(emu_thread_alive());
    EXPECT_EQ(machine_frames.load(), stopped_at);
    requests.drain([](const ThreadRequest& r) { EXPECT_NE(r.code, 0u); });
    EXPECT_TRUE(requests.empty());

    sound.shutdown();
    emu_set_host(nullptr);
    thread_link_reset();
    sound_output_reset();
}

}  // namespace
}  // namespace varn
