#include <vector>

#include "runtime_fixture.h"

namespace varn::test {
namespace {

// Counts of the per-line and per-frame events the loop raises.
struct Events {
    u32 hint_step = 0, hint_reload = 0, vint = 0, z80_irq_clear = 0, render = 0, z80 = 0;
    u32 cpu = 0;
    std::vector<u32> render_lines;
};
Events events;

void install_counting_seams() {
    events                          = Events{};
    frame_seams.m68k_slice          = [] { return ++events.cpu, false; };
    frame_seams.z80_slice           = [] { ++events.z80; };
    frame_seams.hint_counter_step   = [] { ++events.hint_step; };
    frame_seams.hint_counter_reload = [] { ++events.hint_reload; };
    frame_seams.vint_raise          = [] { ++events.vint; };
    frame_seams.z80_irq_clear       = [] { ++events.z80_irq_clear; };
    frame_seams.render_line         = [] {
        ++events.render;
        events.render_lines.push_back(current_line());
    };
}

class SchedulerTest : public RuntimeTest {
  protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        cfg_set(cfg_frame_skip, 0);  // no pacing: frames run as fast as the host allows
        install_counting_seams();
    }

    // Samples made by each of `frames` frames.
    std::vector<u32> samples_per_frame(u32 frames) {
        std::vector<u32> out;
        for (u32 i = 0; i < frames; ++i) {
            const u64 before = run_stats.samples;
            EXPECT_EQ(run_frame(), FrameResult::kFrameEnd);
            out.push_back(static_cast<u32>(run_stats.samples - before));
        }
        return out;
    }
};

TEST_F(SchedulerTest, AFrameIs2752SlicesWithItsLineAndFrameEvents) {
    for (int frame = 0; frame < 3; ++frame) {
        events           = Events{};
        const u64 before = run_stats.slices;
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        EXPECT_EQ(run_stats.slices - before, kSlicesPerFrame);
        EXPECT_EQ(events.cpu, kSlicesPerFrame);
        EXPECT_EQ(events.z80, kSlicesPerFrame);
        EXPECT_EQ(events.hint_step, 224u);
        EXPECT_EQ(events.hint_reload, 1u);
        EXPECT_EQ(events.z80_irq_clear, 224u);
        EXPECT_EQ(events.vint, 1u);
        ASSERT_EQ(events.render, 224u);
        EXPECT_EQ(events.render_lines.front(), 0u);
        EXPECT_EQ(events.render_lines.back(), 223u);
        // The loop ends a frame positioned at the start of the vertical blank.
        EXPECT_EQ(frame_pos.slice_counter, 0u);
        EXPECT_EQ(frame_pos.slice_phase, kPhaseVblank);
    }
    EXPECT_EQ(run_stats.frames, 3u);
    EXPECT_EQ(host.frames_presented(), 3u);
    EXPECT_EQ(host.input_polls(), 3u);
}

TEST_F(SchedulerTest, SampleClockGivesTheRateExactly) {
    cfg_set(cfg_sound_rate, 0);
    EXPECT_EQ(samples_per_frame(4), (std::vector<u32>{734, 735, 735, 735}));

    scheduler_reset_all();
    cfg_set(cfg_sound_rate, 1);
    EXPECT_EQ(samples_per_frame(4), (std::vector<u32>{367, 368, 367, 368}));

    scheduler_reset_all();
    cfg_set(cfg_sound_rate, 2);
    const auto quarter = samples_per_frame(8);
    for (u32 n : quarter) EXPECT_TRUE(n == 183 || n == 184) << n;
    EXPECT_EQ(quarter[4] + quarter[5] + quarter[6] + quarter[7], 735u);
}

TEST_F(SchedulerTest, SamplesReachTheSoundAreaAndAreConsumedAtFrameEnd) {
    static std::vector<s16> logged;
    logged.clear();
    frame_seams.psg_sample = [](s16* slot) { *slot = 100; };
    frame_seams.fm_sample  = [](s16* slot) { *slot = static_cast<s16>(*slot + 20); };
    sound_log_hook         = [](const s16* samples, u32 bytes) {
        logged.assign(samples, samples + bytes / 2);
    };
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_EQ(logged.size(), 734u);
    EXPECT_EQ(logged.front(), 120);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    sound_log_hook = nullptr;
}

TEST_F(SchedulerTest, FastForwardMakesNoSamples) {
    emu_thread_state.store(kThreadFastForward);
    const u32 clock_before = frame_pos.sound_sample_clock;
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_EQ(run_stats.samples, 0u);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    // The clock itself keeps running.
    EXPECT_NE(frame_pos.sound_sample_clock, clock_before);
}

TEST_F(SchedulerTest, SkippedFramesRunEverythingButRenderAndPresent) {
    frame_skip_select(1);  // one frame in two
    std::vector<u32> renders, vints;
    for (int i = 0; i < 4; ++i) {
        events = Events{};
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        renders.push_back(events.render);
        vints.push_back(events.vint);
        EXPECT_EQ(events.hint_step, 224u);
    }
    EXPECT_EQ(renders, (std::vector<u32>{0, 224, 0, 224}));
    EXPECT_EQ(vints, (std::vector<u32>{1, 1, 1, 1}));
    EXPECT_EQ(host.frames_presented(), 2u);
}

TEST_F(SchedulerTest, BootStartLineComesFromTheClock) {
    struct Case {
        u32 clock;
        u32 first_frame_slices;
    };
    // Clock 0 starts at line 0 and runs the whole visible part; 100 starts at line 100,
    // slice 3 (5 + 2 slices left of it, then 123 lines); 252 gives line 224, which ends
    // the frame at the first phase change, after the entry slice alone.
    for (const Case c : {Case{0x1000, 2240}, Case{100, 1237}, Case{252, 1}}) {
        video_reset_line_counters(c.clock);
        const u64 before = run_stats.slices;
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        EXPECT_EQ(run_stats.slices - before, c.first_frame_slices) << c.clock;
        const u64 second = run_stats.slices;
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        EXPECT_EQ(run_stats.slices - second, kSlicesPerFrame);
    }
    video_reset_line_counters(230);  // (230 - 224) * 8 = line 48, slice 1
    EXPECT_EQ(frame_pos.slice_counter, (48u << 4) | 1u);
    EXPECT_EQ(frame_pos.slice_phase, kPhaseDraw);
}

TEST_F(SchedulerTest, HaltAbandonsTheFrameAtOnce) {
    frame_seams.m68k_slice = [] { return ++events.cpu == 100; };
    EXPECT_EQ(run_frame(), FrameResult::kHalted);
    EXPECT_EQ(events.cpu, 100u);
    EXPECT_EQ(events.z80, 99u);  // the chain behind the halted slice does not run
    EXPECT_EQ(host.frames_presented(), 0u);
}

TEST_F(SchedulerTest, SegaCdMachinePollsTheDriveEveryFrame) {
    machine_kind = kMachineSegaCd;
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    machine_kind = kMachineGenesis;
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    u32 polls = 0;
    for (u32 code : host.requests()) polls += code == kRequestCdPoll;
    EXPECT_EQ(polls, 1u);
}

}  // namespace
}  // namespace varn::test
