// The hand-shakes between the user-interface side and the emulation thread, run on a real
// thread (these tests also run under ThreadSanitizer).

#include <algorithm>
#include <atomic>
#include <thread>

#include "runtime_fixture.h"

namespace varn::test {
namespace {

std::atomic<u32> frames_run{0};

// The Genesis run entry, counting the frames it ends.
void counting_entry() {
    for (;;) {
        if (run_frame() == FrameResult::kHalted) {
            emu_thread_target.store(nullptr);
            return;
        }
        frames_run.fetch_add(1);
        if (!emu_check_pause_stop()) return;
    }
}

// A second machine kind, to tell which entry a thread runs.
std::atomic<u32> other_entries{0};
void other_entry() {
    other_entries.fetch_add(1);
    while (emu_check_pause_stop()) std::this_thread::yield();
}

// A machine whose first frame ends only after the user-interface side has released the pause
// it was booted under.
std::atomic<bool> late_entered{false};
void late_first_frame_entry() {
    late_entered.store(true);
    while ((emu_pause_req.load() & 0xFF) != 0) std::this_thread::yield();
    while (emu_check_pause_stop()) std::this_thread::yield();
}

class ThreadLinkTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        power_on("runtime_frame_cart");
        cfg_set(cfg_frame_skip, 0);  // no pacing: frames run back to back
        host.set_yield_step(1);      // fast-forward paces: let its clock move
        frames_run.store(0);
        other_entries.store(0);
        thread = emu_thread_start();
    }
    void TearDown() override {
        emu_stop_and_wait();
        emu_thread_target.store(emu_thread_exit);
        thread.join();
        EXPECT_FALSE(emu_thread_alive());
        MachineTest::TearDown();
    }

    static void wait_until(auto done) {
        while (!done()) std::this_thread::yield();
    }
    static void wait_frames(u32 n) {
        const u32 target = frames_run.load() + n;
        wait_until([&] { return frames_run.load() >= target; });
    }
    void start(RunEntry entry = counting_entry) {
        emu_stop_and_wait();
        emu_thread_target.store(entry);
        wait_until([] { return emu_thread_state.load() == kThreadRunning; });
    }

    std::thread thread;
};

TEST_F(ThreadLinkTest, IdleThreadAcknowledgesRequestsAndAcceptsARunEntry) {
    emu_stop_and_wait();
    EXPECT_EQ(emu_stop_ack.load(), 1u);
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    emu_pause_request(kPauseMenu);  // no machine: acknowledged by the idle loop
    EXPECT_EQ(emu_pause_ack.load(), kPauseMenu);
    EXPECT_NE(emu_state_flags.load() & kStatePaused, 0u);
    emu_resume_request(kPauseMenu);
    EXPECT_EQ(emu_state_flags.load() & kStatePaused, 0u);
    EXPECT_FALSE(host.sound_paused());

    start();
    wait_frames(3);
    // Accepting the entry cleared the stop words and the target.
    EXPECT_EQ(emu_stop_req.load(), 0u);
    EXPECT_EQ(emu_stop_ack.load(), 0u);
    EXPECT_EQ(emu_thread_target.load(), nullptr);

    emu_stop_and_wait();
    const u32 frames = frames_run.load();
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(frames_run.load(), frames) << "an idle thread runs no frame";
    const auto posts = host.requests();
    EXPECT_GE(std::count(posts.begin(), posts.end(), kRequestThreadStateChanged), 3);
}

TEST_F(ThreadLinkTest, BootUnderAPauseReleasedBeforeTheFirstFrameEndResumes) {
    // Loading an image: paused while idle, booted, released at once. The idle loop's copy
    // of the pause must not keep the release waiting for a pause loop that never comes.
    emu_stop_and_wait();
    emu_pause_request(kPauseFile);
    late_entered.store(false);
    emu_thread_target.store(late_first_frame_entry);
    wait_until([] { return late_entered.load(); });
    emu_resume_request(kPauseFile | kPauseMenu);
    EXPECT_EQ(emu_pause_ack.load(), 0u);
    EXPECT_EQ(emu_state_flags.load() & kStatePaused, 0u);
    EXPECT_FALSE(host.sound_paused());
}

TEST_F(ThreadLinkTest, PauseHoldsTheThreadUntilEveryReasonIsReleased) {
    start();
    wait_frames(2);
    emu_pause_request(kPauseUser);
    emu_pause_request(kPauseFocus);
    EXPECT_EQ(emu_thread_state.load(), kThreadPaused);
    EXPECT_TRUE(host.sound_paused());
    const u32 frames = frames_run.load();
    emu_resume_request(kPauseUser);  // focus still lost
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(frames_run.load(), frames);
    EXPECT_EQ(emu_thread_state.load(), kThreadPaused);
    EXPECT_TRUE(host.sound_paused());
    emu_resume_request(kPauseFocus);
    wait_frames(2);
    EXPECT_EQ(emu_thread_state.load(), kThreadRunning);
    EXPECT_FALSE(host.sound_paused());
    EXPECT_EQ(emu_state_flags.load() & kStatePaused, 0u);
}

TEST_F(ThreadLinkTest, StopAndRebootStopTheSoundWhereAPauseOnlyHoldsIt) {
    start();
    wait_frames(2);
    const u32 stops = host.sound_stops();  // the start's own stop of the idle thread
    emu_pause_request(kPauseUser);
    emu_resume_request(kPauseUser);
    EXPECT_EQ(host.sound_stops(), stops);
    emu_reboot_sequence(0);
    EXPECT_EQ(host.sound_stops(), stops + 1);
    emu_stop_and_wait();
    EXPECT_EQ(host.sound_stops(), stops + 2);
    EXPECT_TRUE(host.sound_paused());
}

TEST_F(ThreadLinkTest, PauseBitsAboveTheLowByteAreNotSeen) {
    start();
    emu_pause_req.store(0x100);
    wait_frames(3);
    EXPECT_EQ(emu_thread_state.load(), kThreadRunning);
    emu_pause_req.store(0);
}

TEST_F(ThreadLinkTest, StopWhilePausedGoesIdleAndKeepsThePauseForTheNextRun) {
    start();
    emu_pause_request(kPauseFile);
    emu_stop_and_wait();
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    EXPECT_EQ(emu_pause_req.load(), kPauseFile);
    // The next run stops at its first frame end, still paused.
    const u32 frames = frames_run.load();
    emu_thread_target.store(counting_entry);
    wait_until([] { return emu_thread_state.load() == kThreadPaused; });
    EXPECT_EQ(frames_run.load(), frames + 1);
    emu_resume_request(kPauseFile);
    wait_frames(1);
}

TEST_F(ThreadLinkTest, RebootUnderAPauseIsConsumedOnRelease) {
    start();
    emu_pause_request(kPauseUser);
    // What a reboot does under the pause: reset the machine, then store the run entry.
    emu_thread_target.store(counting_entry);
    emu_resume_request(kPauseUser);
    wait_frames(2);
    EXPECT_EQ(emu_thread_target.load(), nullptr);
    // A later stop leaves the thread idle, not restarted.
    emu_stop_and_wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
}

TEST_F(ThreadLinkTest, StopAfterARebootThatWasNeverReleasedLeavesTheThreadIdle) {
    start();
    emu_pause_request(kPauseUser);
    emu_thread_target.store(counting_entry);
    emu_stop_and_wait();  // closing the machine while the reboot's pause still holds
    const u32 frames = frames_run.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    EXPECT_EQ(emu_thread_target.load(), nullptr);
    EXPECT_EQ(frames_run.load(), frames);
    emu_resume_request(kPauseUser);
}

std::atomic<u32> boots{0};

TEST_F(ThreadLinkTest, RebootSequenceResetsTheRunningMachineUnderAPause) {
    boots.store(0);
    machine_boot_slot = [](u32 mode) {
        // The boot runs while the thread sits in its pause loop.
        EXPECT_EQ(emu_thread_state.load(), kThreadPaused);
        EXPECT_EQ(mode, 2u);
        boots.fetch_add(1);
        // The power-on, with the entry of the machine this test runs.
        genesis_power_on_machine();
        emu_thread_target.store(counting_entry);
    };
    start();
    wait_frames(2);
    emu_reboot_sequence(2);
    machine_boot_slot = nullptr;
    EXPECT_EQ(boots.load(), 1u);
    wait_frames(2);
    EXPECT_EQ(emu_thread_target.load(), nullptr);
    EXPECT_EQ(emu_thread_state.load(), kThreadRunning);
    EXPECT_FALSE(host.sound_paused());
}

TEST_F(ThreadLinkTest, RebootIntoAnotherMachineSwitchesEntries) {
    start();
    emu_pause_request(kPauseUser);
    emu_thread_target.store(other_entry);
    emu_resume_request(kPauseUser);
    wait_until([] { return other_entries.load() == 1; });
    EXPECT_EQ(emu_thread_target.load(), nullptr);
}

TEST_F(ThreadLinkTest, StopRightAfterARunEntryStillEndsIdle) {
    for (int i = 0; i < 50; ++i) {
        emu_stop_and_wait();
        emu_thread_target.store(counting_entry);
        emu_stop_and_wait();
        ASSERT_EQ(emu_thread_target.load(), nullptr);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_EQ(emu_thread_state.load(), kThreadIdle) << i;
    }
}

TEST_F(ThreadLinkTest, HaltLeavesTheThreadIdleAndTheNextEntryClearsIt) {
    // As the boot does it: with the thread idle, load an image and power on; the run entry
    // the power-on stores starts the machine. This one halts in its first slice.
    emu_stop_and_wait();
    load_cartridge("runtime_halt_cart");
    genesis_power_on();
    wait_until([] { return emu_thread_target.load() == nullptr; });
    emu_stop_and_wait();
    EXPECT_EQ(host.frames_presented(), 0u);
    EXPECT_EQ(m68k_context.status & kM68kStatusHalted, kM68kStatusHalted);
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);

    // The next machine runs: accepting its entry cleared the halt bits.
    load_cartridge("runtime_frame_cart");
    genesis_power_on();
    wait_until([this] { return host.frames_presented() >= 2; });
    emu_stop_and_wait();
    EXPECT_EQ(m68k_context.status & kM68kStatusHalted, 0u);
}

TEST_F(ThreadLinkTest, FastForwardStopsTheSoundAndAPauseReturnsToRunning) {
    start();
    emu_fast_forward_on();  // the input update calls these on the emulation thread;
                            // here the state words are what is checked
    EXPECT_EQ(emu_thread_state.load(), kThreadFastForward);
    EXPECT_TRUE(host.sound_paused());
    emu_pause_request(kPauseUser);
    emu_resume_request(kPauseUser);
    wait_until([] { return emu_thread_state.load() == kThreadRunning; });
    emu_fast_forward_off();
    EXPECT_FALSE(host.sound_paused());
}

}  // namespace
}  // namespace varn::test
