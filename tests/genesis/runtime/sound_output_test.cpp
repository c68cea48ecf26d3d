#include <cstring>
#include <vector>

#include "runtime/machine_table.h"
#include "runtime_fixture.h"

namespace varn::test {
namespace {

class SoundOutputTest : public RuntimeTest {
  protected:
    void fill_frame(u32 samples, s16 first = 1) {
        for (u32 i = 0; i < samples; ++i) {
            s16* slot = sound_next_slot();
            ASSERT_NE(slot, nullptr);
            *slot = static_cast<s16>(first + i);
            sound_frame.sound_write_pos += 2;
        }
    }
    s16 ring_sample(u32 byte_offset) {
        const auto& ring = host.sound_ring();
        s16 v;
        std::memcpy(&v, ring.data() + byte_offset, 2);
        return v;
    }
};

TEST_F(SoundOutputTest, DriftControlKeepsTheLeadBetweenItsLimits) {
    struct Case {
        u32 rate;
        u32 lead;
        u32 expected_lead;
    };
    const Case cases[] = {
        {0, 1000, 1576}, {0, 5000, 4312},   {0, 2000, 2000}, {0, 1472, 1472},
        {0, 4416, 4312}, {0, 100000, 1576},  // overtaken: half the buffer or more
        {1, 500, 788},   {1, 2300, 2156},   {2, 1200, 1078}, {2, 400, 400},
    };
    for (const Case& c : cases) {
        cfg_set(cfg_sound_rate, c.rate);
        const u32 size                   = 4 * kSoundRates[c.rate];
        const u32 cursor                 = size - 300;  // leads wrap past the end
        sound_frame.host_buffer_size     = size;
        sound_frame.host_write_cursor    = cursor;
        sound_frame.sound_host_write_pos = (cursor + c.lead) % size;
        sound_sync_write_cursor();
        EXPECT_EQ((sound_frame.sound_host_write_pos + size - cursor) % size, c.expected_lead)
            << c.rate << " " << c.lead;
    }
}

TEST_F(SoundOutputTest, FrameIsCopiedInTwoPiecesAcrossTheRingEnd) {
    host.open_sound(176400);
    host.set_sound_write_cursor(176400 - 1576 - 100);
    sound_frame.sound_host_write_pos = 176400 - 100;  // 1576 ahead: no correction
    fill_frame(735);
    sound_frame_end();
    EXPECT_EQ(ring_sample(176400 - 100), 1);
    EXPECT_EQ(ring_sample(176400 - 2), 50);
    EXPECT_EQ(ring_sample(0), 51);
    EXPECT_EQ(ring_sample(1470 - 100 - 2), 735);
    EXPECT_EQ(sound_frame.sound_host_write_pos, 1470u - 100);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
}

TEST_F(SoundOutputTest, SamplesBeyondTheWindowAreDroppedButThePositionMovesByTheFrame) {
    static u8 piece[100];
    sound_frame.lock_window          = {piece, sizeof piece, nullptr, 0};
    sound_frame.host_buffer_size     = 1000;
    sound_frame.sound_host_write_pos = 950;
    fill_frame(200);
    sound_copy_to_buffer();
    EXPECT_EQ(piece[0], 1);
    EXPECT_EQ(sound_frame.sound_host_write_pos, (950u + 400) % 1000);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
}

TEST_F(SoundOutputTest, FrameIsConsumedWhateverTheSoundState) {
    static u32 logged_bytes;
    logged_bytes   = 0;
    sound_log_slot = [](const s16*, u32 bytes) { logged_bytes += bytes; };

    // Silent host: the log still receives the frame.
    fill_frame(735);
    sound_frame_end();
    EXPECT_EQ(logged_bytes, 1470u);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);

    // A refused lock discards the frame.
    host.open_sound(176400);
    host.set_sound_lock_fails(true);
    fill_frame(735);
    sound_frame_end();
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    EXPECT_EQ(logged_bytes, 2 * 1470u);

    // Fast-forward: nothing copied, the host position stays, nothing logged.
    host.set_sound_lock_fails(false);
    emu_thread_state.store(kThreadFastForward);
    sound_frame.sound_host_write_pos = 5000;
    fill_frame(10);
    sound_frame_end();
    EXPECT_EQ(sound_frame.sound_host_write_pos, 5000u);
    EXPECT_EQ(sound_frame.sound_write_pos, 0u);
    EXPECT_EQ(logged_bytes, 2 * 1470u);
    sound_log_slot = nullptr;
}

TEST_F(SoundOutputTest, TheAreaIsNeverWrittenPastItsEnd) {
    fill_frame(kFrameSampleCapacity);
    EXPECT_EQ(sound_next_slot(), nullptr);
    sound_reset_positions();
    EXPECT_NE(sound_next_slot(), nullptr);
}

using SoundDispatchTest = MachineTest;

TEST_F(SoundDispatchTest, RateChangeRecalculatesTheFmChipOnlyForMachinesThatHaveOne) {
    power_on("runtime_frame_cart");
    ym2612_latch_part1(0x30);  // channel 1, operator 1: MUL 1
    ym2612_write_data_part1(0x01);
    ym2612_latch_part1(0xA4);  // block 4
    ym2612_write_data_part1(0x22);
    ym2612_latch_part1(0xA0);
    ym2612_write_data_part1(0x69);
    const u32 at_44100 = ym2612_state.op[0].phase_inc;
    ASSERT_NE(at_44100, 0u);

    cfg_set(cfg_sound_rate, 1);
    machine_kind = kMachineSms;
    sound_dispatch_by_mode();
    EXPECT_EQ(ym2612_state.op[0].phase_inc, at_44100);
    for (u32 kind : {kMachineGenesis, kMachine32x, kMachineSegaCd}) {
        ym2612_state.op[0].phase_inc = at_44100;
        machine_kind                 = kind;
        sound_dispatch_by_mode();
        EXPECT_NEAR(ym2612_state.op[0].phase_inc, 2.0 * at_44100, 2.0) << kind;
    }
}

}  // namespace
}  // namespace varn::test
