#include <utility>
#include <vector>

#include "genesis/z80/genesis_z80.h"

#include "runtime/machine_table.h"
#include "runtime_fixture.h"

namespace varn::test {
namespace {

class SchedulerTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        cfg_set(cfg_frame_skip, 0);  // no pacing: frames run as fast as the host allows
        power_on("runtime_frame_cart");
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
    // Interrupts the cartridge has taken (its counters run down from 0xFFFF).
    static u32 vints_taken() { return 0xFFFFu - ram_word(0); }
    static u32 hints_taken() { return 0xFFFFu - ram_word(2); }
};

TEST_F(SchedulerTest, AFrameIs2752SlicesWithItsLineAndFrameInterrupts) {
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);  // the cartridge sets the chip up
    const u32 v0 = vints_taken(), h0 = hints_taken();
    for (int frame = 0; frame < 3; ++frame) {
        const u64 before = run_stats.slices;
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        EXPECT_EQ(run_stats.slices - before, kSlicesPerFrame);
        // The loop ends a frame positioned at the start of the vertical blank.
        EXPECT_EQ(frame_pos.slice_counter, 0u);
        EXPECT_EQ(frame_pos.slice_phase, kPhaseVblank);
    }
    EXPECT_EQ(vints_taken() - v0, 3u);
    EXPECT_EQ(hints_taken() - h0, 3u * 224);
    EXPECT_EQ(run_stats.frames, 4u);
    EXPECT_EQ(host.frames_presented(), 4u);
    EXPECT_EQ(host.input_polls(), 4u);
    EXPECT_EQ(m68k_context.status & kM68kStatusHalted, 0u);
}

// The add-on units run after every slice once their slots are bound, the 32X only while it
// is active; a frame after they are unbound runs without them.
TEST_F(SchedulerTest, AddOnSlotsRunAfterEverySliceOnceBound) {
    static u32 cd_slices, s32x_slices;
    cd_slices = s32x_slices = 0;
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    frame_slots.segacd_slice = [] { ++cd_slices; };
    frame_slots.s32x_slice   = [] { ++s32x_slices; };
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_EQ(cd_slices, kSlicesPerFrame);
    EXPECT_EQ(s32x_slices, 0u);
    emu_state_flags.fetch_or(kState32xActive);
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_EQ(cd_slices, 2 * kSlicesPerFrame);
    EXPECT_EQ(s32x_slices, kSlicesPerFrame);
    emu_state_flags.fetch_and(~kState32xActive);
    frame_slots = FrameSlots{};
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_EQ(cd_slices, 2 * kSlicesPerFrame);
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

    // Only the option's low byte counts, and a rate outside 0-2 is taken as 44100.
    scheduler_reset_all();
    cfg_set(cfg_sound_rate, 0x107);
    EXPECT_EQ(samples_per_frame(2), (std::vector<u32>{734, 735}));
    scheduler_reset_all();
    cfg_set(cfg_sound_rate, 0x201);
    EXPECT_EQ(samples_per_frame(2), (std::vector<u32>{367, 368}));
}

TEST_F(SchedulerTest, SamplesReachTheSoundLogAndAreConsumedAtFrameEnd) {
    static u32 logged;
    logged         = 0;
    sound_log_slot = [](const s16*, u32 bytes) { logged += bytes; };
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_EQ(logged, 2u * (734 + 735));
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    sound_log_slot = nullptr;
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

TEST_F(SchedulerTest, SkippedFramesRunEverythingButThePresent) {
    ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    host.clear();
    frame_skip_select(1);  // one frame in two
    const u32 v0 = vints_taken(), h0 = hints_taken();
    for (int i = 0; i < 4; ++i) ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_EQ(host.frames_presented(), 2u);
    EXPECT_EQ(host.input_polls(), 4u);
    EXPECT_EQ(vints_taken() - v0, 4u);
    EXPECT_EQ(hints_taken() - h0, 4u * 224);
}

TEST_F(SchedulerTest, AutomaticFrameSkipEndsFramesOnAnUntunedRecordingHost) {
    // Automatic pacing waits for an early frame by yielding and polling the clock; the
    // recording host's clock must move on a yield by default, or the frame never ends.
    frame_skip_select(2);
    const u32 clock = host.now_ms();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
    EXPECT_GT(host.now_ms(), clock);
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
    power_on("runtime_halt_cart");
    emu_thread_target.store(genesis_run_entry);
    EXPECT_EQ(run_frame(), FrameResult::kHalted);
    EXPECT_EQ(run_stats.slices, 1u);
    EXPECT_EQ(emu_thread_target.load(), nullptr);
    EXPECT_EQ(host.frames_presented(), 0u);
}

TEST_F(SchedulerTest, Z80RunsBehindThe68000OnlyWhenReleasedAndEnabled) {
    // A Z80 program counting in B forever: inc b; jr -3.
    const u8 program[] = {0x04, 0x18, 0xFD};
    std::copy(std::begin(program), std::end(program), z80_ram.begin());
    struct Case {
        u32 busreq, reset, disabled;
        bool runs;
    };
    const Case cases[] = {
        {0, 0, 0, false},                    // held in reset (power-on)
        {0xFFFFFFFF, 0xFFFFFFFF, 0, false},  // bus taken by the 68000
        {0, 0xFFFFFFFF, 1, false},           // disabled in the settings
        {0, 0xFFFFFFFF, 0, true},
    };
    for (const Case& c : cases) {
        z80_busreq_latch = c.busreq;
        z80_reset_latch  = c.reset;
        cfg_set(cfg_disable_z80, c.disabled);
        const u16 bc = z80_context.bc;
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        EXPECT_EQ(z80_context.bc != bc, c.runs) << c.busreq << " " << c.reset << " " << c.disabled;
    }
    cfg_set(cfg_disable_z80, 0);
}

// A Z80 stopped by an emulation error stops the whole machine at once, as a 68000 halt does:
// the frame is abandoned in the slice that stopped it and the run entry is withdrawn.
TEST_F(SchedulerTest, Z80ErrorStopsTheMachine) {
    struct Case {
        const char* what;
        std::vector<u8> program;
    };
    const Case cases[] = {
        {"jump to a page without code", {0x00, 0xC3, 0x00, 0x80}},  // nop; jp 0x8000
        {"undefined opcode", {0x00, 0xED, 0x00}},                   // nop; ED 00
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        power_on("runtime_frame_cart");
        std::copy(c.program.begin(), c.program.end(), z80_ram.begin());
        z80_busreq_latch = 0;
        z80_reset_latch  = 0xFFFFFFFF;
        emu_thread_target.store(genesis_run_entry);
        const u64 slices    = run_stats.slices;
        const u64 presented = host.frames_presented();
        EXPECT_EQ(run_frame(), FrameResult::kHalted);
        EXPECT_EQ(run_stats.slices - slices, 1u);
        EXPECT_TRUE(z80_is_stopped());
        EXPECT_EQ(emu_thread_target.load(), nullptr);
        EXPECT_EQ(host.frames_presented(), presented);
        // The next run entry clears the error; a machine booted afresh runs again.
        emu_clear_cpu_halts();
        z80_reset_records();
        EXPECT_EQ(run_frame(), FrameResult::kFrameEnd);
    }
}

// The Z80's interrupt line as the machine drives it: raised at the frame end, dropped when
// line 0 begins, so it is up exactly for the vertical blank, whether the Z80 is held in reset
// or runs with interrupts disabled (an accepted interrupt would take the line down itself).
std::vector<std::pair<bool, bool>> irq_seen;  // line up, in the vertical blank

TEST_F(SchedulerTest, Z80InterruptLineIsUpOnlyDuringTheVerticalBlank) {
    for (bool runs : {false, true}) {
        SCOPED_TRACE(runs ? "Z80 running, interrupts disabled" : "Z80 held in reset");
        power_on("runtime_frame_cart");
        if (runs) {
            const u8 program[] = {0xF3, 0x18, 0xFE};  // di; jr $
            std::copy(std::begin(program), std::end(program), z80_ram.begin());
            z80_reset_latch = 0xFFFFFFFF;
        }
        // The power-on's frame starts in a vertical blank that no frame end began.
        ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        irq_seen.clear();
        slice_end_slot = [] {
            irq_seen.push_back({(z80_context.irq_lines & kZ80LineIrq) != 0,
                                frame_pos.slice_phase == kPhaseVblank});
        };
        for (int f = 0; f < 3; ++f) ASSERT_EQ(run_frame(), FrameResult::kFrameEnd);
        slice_end_slot = nullptr;
        ASSERT_EQ(irq_seen.size(), 3 * kSlicesPerFrame);
        u32 up = 0;
        for (std::size_t i = 0; i < irq_seen.size(); ++i) {
            ASSERT_EQ(irq_seen[i].first, irq_seen[i].second) << "slice " << i;
            up += irq_seen[i].first ? 1 : 0;
        }
        EXPECT_EQ(up, 3 * kVblankSlices);
        EXPECT_EQ(z80_context.pc, runs ? 1 : 0);
    }
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
