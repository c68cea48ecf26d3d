// YM2612 register interface: decoding, key on/off, timers, reset and the state chunk.

#include <vector>

#include "sound_fixture.h"

namespace varn::test {
namespace {

using YmRegisterTest = SoundTest;

TEST_F(YmRegisterTest, DataWritesGoToTheRegisterLastLatched) {
    // At start the latch holds 0, a register that does nothing.
    ym2612_write_data_part1(0x55);
    ym2612_latch_part1(0xA0);
    ym2612_write_data_part1(0x12);
    EXPECT_EQ(ym2612_state.channel[0].fnum_lo, 0x12);
    ym2612_write_data_part1(0x34);  // no new address: same register
    EXPECT_EQ(ym2612_state.channel[0].fnum_lo, 0x34);
    EXPECT_EQ(ym2612_state.ym2612_latch_part1, 0xA0);
    // Bank II's latch is separate and reaches channels 4-6.
    ym2612_latch_part2(0xA1);
    ym2612_write_data_part2(0x56);
    EXPECT_EQ(ym2612_state.channel[4].fnum_lo, 0x56);
    EXPECT_EQ(ym2612_state.channel[1].fnum_lo, 0);
}

TEST_F(YmRegisterTest, OperatorAndChannelFieldsDecode) {
    // Channel 2 (low bits 1), slot +8 (bits 2-3 = 2): operator index 2 of channel 2.
    ym_write(0, 0x39, 0x5A);  // DT 5, MUL 10
    ym_write(0, 0x49, 0xFF);  // TL 127
    ym_write(0, 0x59, 0xDF);  // KS 3, AR 31
    ym_write(0, 0x69, 0x95);  // AM, DR 21
    ym_write(0, 0x79, 0xF3);  // SR 19
    ym_write(0, 0x89, 0xA7);  // SL 10, RR 7
    ym_write(0, 0x99, 0xFB);  // SSG-EG 11
    const auto& r = ym2612_state.channel[1].op[2];
    EXPECT_EQ(r.dt, 5);
    EXPECT_EQ(r.mul, 10);
    EXPECT_EQ(r.tl, 127);
    EXPECT_EQ(r.ks, 3);
    EXPECT_EQ(r.ar, 31);
    EXPECT_EQ(r.am, 0xFF);
    EXPECT_EQ(r.dr, 21);
    EXPECT_EQ(r.sr, 19);
    EXPECT_EQ(r.sl, 10);
    EXPECT_EQ(r.rr, 7);
    EXPECT_EQ(r.ssg_eg, 11);

    ym_write(1, 0xA6, 0xFF);  // channel 6: block 7, F-number high 7
    ym_write(1, 0xB2, 0xFF);  // feedback 7, algorithm 7
    ym_write(1, 0xB6, 0xF7);  // L/R 3, AMS 3, PMS 7
    const auto& c = ym2612_state.channel[5];
    EXPECT_EQ(c.block, 7);
    EXPECT_EQ(c.fnum_hi, 7);
    EXPECT_EQ(c.algorithm, 7);
    EXPECT_EQ(c.feedback, 7);
    EXPECT_EQ(c.lr, 3);
    EXPECT_EQ(c.ams, 3);
    EXPECT_EQ(c.pms, 7);

    // Numbers whose low two bits are 3 hold nothing.
    const Ym2612State before = ym2612_state;
    ym_write(0, 0x33, 0x7F);
    ym_write(0, 0xA3, 0x7F);
    ym_write(1, 0x28, 0xF0);  // key on/off is bank I only
    ym_write(1, 0x2A, 0x00);
    EXPECT_EQ(ym2612_state.channel[0].op[3].mul, before.channel[0].op[3].mul);
    EXPECT_EQ(ym2612_state.key_mask[0], 0);
    EXPECT_EQ(ym2612_state.dac_data, 0x80);
}

TEST_F(YmRegisterTest, PhaseIncrementFromBlockAndFnumber) {
    struct Case {
        u16 fnum;
        u8 block;
        u8 mul;
        u32 rate;
        u32 inc;
    };
    // floor(F << B * MUL * 2^28 / divisor); MUL 0 halves.
    const Case cases[] = {
        {0x400, 4, 1, 0, 2533073},  // about 416 Hz
        {0x28D, 4, 1, 0, 1615329},  // about 265 Hz
        {0x400, 4, 0, 0, 1266536},  // MUL 0: half
        {0x28D, 4, 1, 2, 6461320},  // same pitch at 11025: four times the step
        {0x001, 0, 0, 0, 0},        // 1 >> 1 = 0
    };
    for (const Case& c : cases) {
        cfg_set(cfg_sound_rate, c.rate);
        ym_write(0, 0x30, c.mul);
        ym_write(0, 0xA4, static_cast<u8>(c.block << 3 | c.fnum >> 8));
        ym_write(0, 0xA0, static_cast<u8>(c.fnum));
        EXPECT_EQ(ym2612_state.op[0].phase_inc, c.inc) << std::hex << c.fnum << " " << +c.block;
    }
}

TEST_F(YmRegisterTest, AliasingOffSilencesTooHighAFrequency) {
    cfg_set(cfg_sound_rate, 2);
    ym_write(0, 0x30, 0x0F);  // MUL 15
    ym_write(0, 0xA4, 0x3F);  // block 7, F high 7
    ym_write(0, 0xA0, 0xFF);
    EXPECT_EQ(ym2612_state.op[0].phase_inc, 2430564681u);  // wraps: kept with aliasing on

    cfg_set(cfg_sound_aliasing, 0);
    ym2612_state.op[0].phase_acc = 0x12345678;
    ym2612_recalc_phase(0);
    EXPECT_EQ(ym2612_state.op[0].phase_inc, 0u);
    EXPECT_EQ(ym2612_state.op[0].phase_acc, 0u);
}

TEST_F(YmRegisterTest, SpecialModeGivesOperatorsTheirOwnFrequency) {
    for (int bank = 0; bank < 2; ++bank) {
        const int ch = bank * 3 + 2;
        ym_write(bank, 0xA6, 0x22);  // channel: block 4, F 0x200
        ym_write(bank, 0xA2, 0x00);
        ym_write(bank, 0xAD, 0x24);  // operator at +8: block 4, F 0x400
        ym_write(bank, 0xA9, 0x00);
        const u32 own = ym2612_state.op[ch * 4 + 2].phase_inc;
        EXPECT_EQ(own, ym2612_state.op[ch * 4 + 0].phase_inc) << "normal mode";

        ym_write(bank, 0x27, 0x40);                                 // special mode on
        EXPECT_EQ(ym2612_state.op[ch * 4 + 2].phase_inc, 2 * own);  // twice the F-number
        EXPECT_EQ(ym2612_state.op[ch * 4 + 0].phase_inc, own);      // slot +0 keeps the channel's
        EXPECT_EQ(ym2612_state.op[ch * 4 + 1].phase_inc, 0u);       // its own pair is still 0
        ym_write(bank, 0x27, 0x00);
        EXPECT_EQ(ym2612_state.op[ch * 4 + 2].phase_inc, own);
    }
}

TEST_F(YmRegisterTest, EnvelopeRecalculation) {
    ym_write(0, 0x50, 0x1F);  // AR 31: capped
    ym_write(0, 0x60, 0x01);  // DR 1
    ym_write(0, 0x70, 0x02);  // SR 2
    ym_write(0, 0x80, 0x70);  // SL 7, RR 0
    ym_write(0, 0x40, 0x10);  // TL 16
    const auto& rate  = ym2612_state.rate[0];
    const auto& level = ym2612_state.level[0];
    EXPECT_EQ(rate[kYmPhaseAttack], 0x1000000u);
    EXPECT_EQ(rate[kYmPhaseDecay], 0x3FBu >> 1);
    EXPECT_EQ(rate[kYmPhaseSustain], 0x5F8u >> 1);
    EXPECT_EQ(rate[kYmPhaseRelease], 0u);  // RR 0 holds a released level
    EXPECT_EQ(level[kYmPhaseAttack], 16u << 10);
    EXPECT_EQ(level[kYmPhaseDecay], (0x44000000u >> 1) | 0x80000000u);

    ym_write(0, 0x80, 0x05);  // RR 5: table entry 11
    EXPECT_EQ(rate[kYmPhaseRelease], 0x7F54u >> 1);

    // At 11025 every rate below the cap is four times as large.
    cfg_set(cfg_sound_rate, 2);
    ym2612_recalc_all_operators();
    EXPECT_EQ(rate[kYmPhaseAttack], 0x1000000u);
    EXPECT_EQ(rate[kYmPhaseDecay], (0x3FBu >> 1) << 2);
    EXPECT_EQ(rate[kYmPhaseRelease], (0x7F54u >> 1) << 2);
}

TEST_F(YmRegisterTest, KeyOnOffMapsSlotsAndKeysOnlyChanges) {
    // Channel codes 0-2 and 4-6; bits 4-7 are S1, S2, S3, S4 = slots +0, +8, +4, +0xC.
    ym_write(0, 0x28, 0x25);  // channel 5 (code 5), S2
    EXPECT_EQ(ym2612_state.key_mask[4], 0x4);
    EXPECT_EQ(ym2612_state.op[4 * 4 + 2].env_phase, kYmPhaseAttack);
    ym_write(0, 0x28, 0x40);  // channel 1, S3 = slot +4
    EXPECT_EQ(ym2612_state.key_mask[0], 0x2);
    EXPECT_EQ(ym2612_state.op[1].env_phase, kYmPhaseAttack);

    // Codes 3 and 7 change nothing.
    ym_write(0, 0x28, 0xF3);
    ym_write(0, 0x28, 0xF7);
    for (int i = 0; i < kYmChannels; ++i)
        EXPECT_EQ(ym2612_state.key_mask[i], i == 0 ? 2 : i == 4 ? 4 : 0);

    // The same mask again keys nothing: the envelope runs on.
    ym2612_state.op[1].env_counter = 0x90000000;
    ym_write(0, 0x28, 0x40);
    EXPECT_EQ(ym2612_state.op[1].env_counter, 0x90000000u);

    // Key off sends the operator to release.
    ym_write(0, 0x28, 0x00);
    EXPECT_EQ(ym2612_state.op[1].env_phase, kYmPhaseRelease);
    EXPECT_EQ(ym2612_state.op[1].env_base, 0u);
}

TEST_F(YmRegisterTest, KeyOffAndOnKeepTheLoudness) {
    ym_write(0, 0x50, 0x08);  // AR 8: a slow attack
    ym_write(0, 0x80, 0x0F);  // RR 15
    ym_write(0, 0x28, 0x10);  // key on S1
    auto& o = ym2612_state.op[0];
    o.env_counter += 0x30000000;  // part-way up the attack
    const u32 loud = ym2612_env_curve[(o.env_counter - o.env_base) >> 14];
    ASSERT_GT(loud, 1000u);
    ASSERT_LT(loud, 50000u);

    ym_write(0, 0x28, 0x00);  // key off during attack: same loudness on the decay curve
    EXPECT_EQ(o.env_rate, ym2612_state.rate[0][kYmPhaseRelease]);
    const u32 released = ym2612_env_curve[(o.env_counter - o.env_base) >> 14];
    EXPECT_NEAR(static_cast<double>(released), loud, 8.0);

    ym_write(0, 0x28, 0x10);  // key on during release: the attack resumes from there
    EXPECT_EQ(o.env_phase, kYmPhaseAttack);
    EXPECT_EQ(o.env_base, 0x80000000u);
    const u32 resumed = ym2612_env_curve[(o.env_counter - o.env_base) >> 14];
    EXPECT_NEAR(static_cast<double>(resumed), loud, 40.0);
}

TEST_F(YmRegisterTest, TimerARaisesItsFlagAndStops) {
    ym_write(0, 0x24, 0xFF);
    ym_write(0, 0x25, 0x03);  // value 1023: period 1, 2 slices
    ym_write(0, 0x27, 0x05);  // load A, flag enabled
    ym2612_timers_line();
    EXPECT_EQ(ym2612_read_status(), 0);
    ym2612_timers_line();
    EXPECT_EQ(ym2612_read_status(), 1);
    EXPECT_EQ(ym2612_read_status_word(), 0x0101);
    EXPECT_EQ(ym2612_state.timer_a_run, 0u);  // stopped until loaded again
    EXPECT_EQ(ym2612_read_status(), 1);       // reading clears nothing

    ym_write(0, 0x27, 0x15);  // clear the flag, load again (a rising edge: run was 0)
    EXPECT_EQ(ym2612_read_status(), 0);
    ym2612_timers_line();
    ym2612_timers_line();
    EXPECT_EQ(ym2612_read_status(), 1);
}

// Slices until the given timer's flag rises.
int slices_to_flag(u8 bit) {
    for (int n = 1; n < 20000; ++n) {
        ym2612_timers_line();
        if (ym2612_read_status() & bit) return n;
    }
    return -1;
}

TEST_F(YmRegisterTest, TimerPeriods) {
    struct Case {
        u8 r24, r25, r26;
        u8 ctl;
        u8 bit;
        int slices;
    };
    const Case cases[] = {
        {0x00, 0x00, 0, 0x05, 1, 3043},  // A, period 1024 (18.4 ms)
        {0xA9, 0x00, 0, 0x05, 1, 1034},  // A, value 676
        {0, 0, 0xFF, 0x0A, 2, 47},       // B, period 1
        {0, 0, 0x00, 0x0A, 2, 12173},    // B, period 256
    };
    for (const Case& c : cases) {
        SetUp();
        ym_write(0, 0x24, c.r24);
        ym_write(0, 0x25, c.r25);
        ym_write(0, 0x26, c.r26);
        ym_write(0, 0x27, c.ctl);
        EXPECT_EQ(slices_to_flag(c.bit), c.slices) << +c.ctl << " " << c.slices;
    }
}

TEST_F(YmRegisterTest, TimerWithoutFlagRunsOnAndLoadsOnlyOnAnEdge) {
    ym_write(0, 0x24, 0xFF);
    ym_write(0, 0x25, 0x03);
    ym_write(0, 0x27, 0x01);  // run A, flag not enabled
    for (int i = 0; i < 9; ++i) ym2612_timers_line();
    EXPECT_EQ(ym2612_read_status(), 0);
    EXPECT_EQ(ym2612_state.timer_a_run, 1u);
    ym2612_timers_sync();
    EXPECT_EQ(ym2612_state.timer_a_counter, 0u - 1);  // 9 slices of period 2: one left

    // A new value while the timer runs waits for the next load.
    ym_write(0, 0x24, 0x00);
    ym_write(0, 0x25, 0x00);
    ym_write(0, 0x27, 0x01);  // run bit already 1: no load
    EXPECT_EQ(ym2612_state.timer_a_reload, 0u - 2);
    ym_write(0, 0x27, 0x00);
    ym_write(0, 0x27, 0x01);
    EXPECT_EQ(ym2612_state.timer_a_reload, 0u - 3043);
}

// The chip counts only to the next carry; a slice-by-slice model of both timers must agree
// with it on the flags and the brought-up-to-date counters after every slice, through
// writes that load, stop, restart and clear the timers while the other one runs.
TEST_F(YmRegisterTest, TimersCountedToTheNextCarryMatchSliceBySliceCounting) {
    struct Model {
        u32 counter[2]{}, reload[2]{}, run[2]{}, flag_enable[2]{};
        u8 overflow[2]{};
        void write_27(u8 d) {
            for (int t = 0; t < 2; ++t) {
                if (d & (0x10 << t)) overflow[t] = 0;
                flag_enable[t]  = (d & (0x04 << t)) != 0;
                const u32 now   = (d >> t) & 1;
                const bool edge = run[t] == 0 && now == 1;
                run[t]          = now;
                if (edge) {
                    reload[t]  = t == 0 ? ym2612_state.timer_a_reload : ym2612_state.timer_b_reload;
                    counter[t] = reload[t];
                }
            }
        }
        void step() {
            for (int t = 0; t < 2; ++t) {
                const u32 before = counter[t];
                counter[t] += run[t];
                if (counter[t] >= before) continue;
                counter[t] = reload[t];
                if (flag_enable[t]) {
                    overflow[t] = 0xFF;
                    run[t]      = 0;
                }
            }
        }
    };
    struct Write {
        int after_slices;  // slices run before the write
        u8 reg, data;
    };
    const Write script[] = {
        {0, 0x24, 0xFF},   {0, 0x25, 0x01},  {0, 0x26, 0xFC},  {0, 0x27, 0x09},  // A runs, B flags
        {7, 0x27, 0x0B},                      // B starts (190 slices)
        {250, 0x27, 0x2B},                    // B's flag cleared, B reloads
        {3, 0x24, 0xF0},   {40, 0x27, 0x0A},  // A stopped mid-count
        {5, 0x27, 0x0F},                      // A reloads with the new value
        {400, 0x27, 0x3F}, {90, 0x27, 0x00}, {20, 0x27, 0x05}, {150, 0x27, 0x15}, {30, 0x00, 0x00},
    };
    Model m;
    int slice = 0;
    for (const Write& w : script) {
        for (int i = 0; i < w.after_slices; ++i, ++slice) {
            ym2612_timers_line();
            m.step();
            ASSERT_EQ(ym2612_read_status(), (m.overflow[0] & 1) | (m.overflow[1] & 2))
                << "slice " << slice;
        }
        ym2612_timers_sync();
        const Ym2612State& ym = ym2612_state;
        ASSERT_EQ(ym.timer_a_counter, m.counter[0]) << "slice " << slice;
        ASSERT_EQ(ym.timer_b_counter, m.counter[1]) << "slice " << slice;
        ASSERT_EQ(ym.timer_a_run, m.run[0]) << "slice " << slice;
        ASSERT_EQ(ym.timer_b_run, m.run[1]) << "slice " << slice;
        if (w.reg == 0) break;
        ym_write(0, w.reg, w.data);
        if (w.reg == 0x27) m.write_27(w.data);
    }
}

TEST_F(YmRegisterTest, ResetKeepsLatchesAndMirrorsAndReleasesEveryKey) {
    ym_write(0, 0x2B, 0x80);
    ym_write(0, 0x2A, 0x10);
    ym_write(0, 0x24, 0x12);
    ym_write(0, 0x30, 0x71);
    ym_write(0, 0x28, 0xF0);
    ym_write(0, 0x27, 0x45);
    ym2612_timers_line();
    ym2612_timers_line();
    ym2612_timers_line();
    ym2612_latch_part2(0x42);

    ym2612_reset();
    const Ym2612State& ym = ym2612_state;
    EXPECT_EQ(ym2612_read_status(), 0);
    EXPECT_EQ(ym.timer_a_run, 0u);
    EXPECT_EQ(ym.dac_data, 0x80);
    EXPECT_EQ(ym.channel[0].op[0].mul, 0);
    EXPECT_EQ(ym.op[0].env_phase, kYmPhaseOff);
    EXPECT_EQ(ym.op[0].env_counter, 0x7F000000u);
    EXPECT_EQ(ym.op[0].env_base, 0x80000000u);
    EXPECT_EQ(ym.level[0][3], 0xFF000000u);
    // Kept:
    EXPECT_EQ(ym.ym2612_latch_part1, 0x27);
    EXPECT_EQ(ym.ym2612_latch_part2, 0x42);
    EXPECT_EQ(ym.reg_24, 0x12);
    EXPECT_EQ(ym.reg_27, 0x45);
    EXPECT_EQ(ym.dac_enable_mask, 0xFFFFFFFFu);
    EXPECT_EQ(ym.ch3_special, 0xFFFFFFFFu);
    // Nothing is held after a power-on: the same key-on again starts the operators.
    EXPECT_EQ(ym.key_mask[0], 0);
    ym_write(0, 0x28, 0xF0);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(ym.op[s].env_phase, kYmPhaseAttack) << s;
}

// --- State chunk ---------------------------------------------------------------------------

std::vector<u8> save_ym(u32 id_width = 1) {
    std::vector<u8> buf(300);
    ByteWriter w(buf);
    EXPECT_TRUE(ym2612_save_state_chunk(w, id_width));
    buf.resize(w.position());
    return buf;
}

// Writes a distinct value to every live register of both banks.
void program_every_register() {
    for (int bank = 0; bank < 2; ++bank) {
        for (int reg = 0x30; reg <= 0xB6; ++reg) {
            if ((reg & 3) == 3) continue;
            SoundTest::ym_write_public(bank, static_cast<u8>(reg),
                                       static_cast<u8>(reg * 7 + bank * 13 + 1));
        }
    }
}

TEST_F(YmRegisterTest, ChunkLayout) {
    ym_write(0, 0x22, 0x0B);
    ym_write(0, 0x24, 0x11);
    ym_write(0, 0x25, 0x02);
    ym_write(0, 0x26, 0x33);
    ym_write(0, 0x27, 0x40);
    ym_write(0, 0x2B, 0x80);
    ym_write(0, 0x28, 0x91);  // channel 2: S1 and S4 = slots +0 and +0xC
    ym_write(0, 0x28, 0x46);  // channel 6: S3 = slot +4
    ym_write(0, 0x31, 0x5A);
    ym_write(1, 0xB6, 0xC5);
    ym_write(1, 0xAE, 0x2D);

    const auto buf = save_ym();
    ASSERT_EQ(buf.size(), 5u + 213u);
    EXPECT_EQ(buf[0], 0x88);
    EXPECT_EQ(buf[1], 213);
    EXPECT_EQ(buf[2] | buf[3] | buf[4], 0);
    const u8* d = buf.data() + 5;
    EXPECT_EQ(d[0], 0x90);  // channel 1 none, channel 2 slots 0 and 3
    EXPECT_EQ(d[1], 0x00);
    EXPECT_EQ(d[2], 0x20);  // channel 6 slot 1
    const u8 globals[] = {0x0B, 0x11, 0x02, 0x33, 0x40, 0x80};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(d[3 + i], globals[i]) << i;
    EXPECT_EQ(d[9 + 1], 0x5A);          // bank I 0x31 is the second register
    EXPECT_EQ(d[111 + 101], 0xC5);      // bank II 0xB6 is the last
    EXPECT_EQ(d[111 + 84 + 11], 0x2D);  // bank II 0xAE
}

TEST_F(YmRegisterTest, ChunkRoundTripRestoresEveryRegister) {
    program_every_register();
    ym_write(0, 0x22, 0x0A);
    ym_write(0, 0x24, 0x55);
    ym_write(0, 0x25, 0x01);
    ym_write(0, 0x26, 0x77);
    ym_write(0, 0x2B, 0x80);
    ym_write(0, 0x27, 0x4F);
    ym_write(0, 0x28, 0xF1);
    ym_write(0, 0x28, 0x36);
    const auto saved         = save_ym();
    const Ym2612State before = ym2612_state;

    ym2612_clear();
    ym2612_reset();
    ByteReader r(saved);
    ASSERT_TRUE(ym2612_load_state_chunk(r));
    EXPECT_TRUE(r.at_end());
    EXPECT_EQ(save_ym(), saved);

    const Ym2612State& ym = ym2612_state;
    for (int ch = 0; ch < kYmChannels; ++ch) {
        EXPECT_EQ(ym.channel[ch].feedback, before.channel[ch].feedback);
        EXPECT_EQ(ym.channel[ch].lr, before.channel[ch].lr);
        EXPECT_EQ(ym.key_mask[ch], before.key_mask[ch]);
        for (int s = 0; s < 4; ++s) {
            const int n = ch * 4 + s;
            EXPECT_EQ(ym.op[n].phase_inc, before.op[n].phase_inc) << n;
            EXPECT_EQ(ym.rate[n], before.rate[n]) << n;
            EXPECT_EQ(ym.level[n], before.level[n]) << n;
            // Keyed operators are attacking again; the others are silent.
            const bool keyed = (before.key_mask[ch] >> s) & 1;
            EXPECT_EQ(ym.op[n].env_phase, keyed ? kYmPhaseAttack : kYmPhaseOff) << n;
        }
    }
    EXPECT_EQ(ym.dac_enable_mask, 0xFFFFFFFFu);
    EXPECT_EQ(ym.ch3_special, 0xFFFFFFFFu);
    EXPECT_EQ(ym.timer_a_run, 1u);  // 0x27 replayed: the timers load again
    EXPECT_EQ(ym.timer_a_reload, before.timer_a_reload);
    EXPECT_EQ(ym.timer_b_reload, before.timer_b_reload);
}

TEST_F(YmRegisterTest, ChunkLoadReleasesNotesTheStateDoesNotHold) {
    ym_write(0, 0x80, 0x0F);
    ym_write(0, 0x28, 0xF0);  // all four keyed now
    std::vector<u8> chunk = save_ym();
    chunk[5]              = 0x01;  // the state holds only slot +0 of channel 1
    ByteReader r(chunk);
    ASSERT_TRUE(ym2612_load_state_chunk(r));
    EXPECT_EQ(ym2612_state.op[0].env_phase, kYmPhaseAttack);
    for (int s = 1; s < 4; ++s) EXPECT_EQ(ym2612_state.op[s].env_phase, kYmPhaseRelease) << s;
}

TEST_F(YmRegisterTest, ChunkWidthsAndDamagedData) {
    program_every_register();
    // Four-byte ids.
    const auto wide = save_ym(4);
    ASSERT_EQ(wide.size(), 8u + 213u);
    EXPECT_EQ(wide[0], 0x88);
    EXPECT_EQ(wide[1] | wide[2] | wide[3], 0);

    // A longer chunk: the fixed part is read, the rest stepped over.
    std::vector<u8> longer = save_ym();
    longer[1]              = 220;
    longer.insert(longer.end(), 7, 0xEE);
    longer.push_back(0x42);  // the next chunk
    ByteReader r(longer);
    ASSERT_TRUE(ym2612_load_state_chunk(r));
    EXPECT_EQ(r.remaining(), 1u);

    // Short data and short chunks fail and change nothing.
    const Ym2612State before = ym2612_state;
    std::vector<u8> cut      = save_ym();
    cut.resize(cut.size() - 1);
    std::vector<u8> shorter = save_ym();
    shorter[1]              = 212;
    for (const auto* bad : {&cut, &shorter}) {
        for (std::size_t n = 0; n <= bad->size(); n += (n < 8 ? 1 : 50)) {
            ByteReader rb(std::span<const u8>(bad->data(), std::min(n, bad->size())));
            EXPECT_FALSE(ym2612_load_state_chunk(rb)) << n;
            EXPECT_EQ(rb.position(), 0u);
        }
    }
    EXPECT_EQ(ym2612_state.channel[3].op[2].tl, before.channel[3].op[2].tl);
    EXPECT_EQ(ym2612_state.key_mask, before.key_mask);

    // No room to save: nothing written.
    std::vector<u8> small(217);
    ByteWriter w(small);
    EXPECT_FALSE(ym2612_save_state_chunk(w));
    EXPECT_EQ(w.position(), 0u);
}

}  // namespace
}  // namespace varn::test
